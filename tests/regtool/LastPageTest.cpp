// The completion page in a real modeless wizard: its line and note by mode,
// and a wizard that can only be finished, with "完了".
#include "CLastPage.h"
#include "EntryPageTestSupport.h"

#include <gtest/gtest.h>

using namespace pagesb;

namespace {

class LastPageTest : public ::testing::Test
{
protected:
    void SetUp() override { CleanToolAndStartup(); }
    void TearDown() override { CleanToolAndStartup(); }
};

TEST_F(LastPageTest, TextsButtonsAndFinishFollowTheMode)
{
    // The note says what became of the tray icon, and only when anything did.
    struct Case {
        int mode;
        const char* line;
        int nOutcome;
        const char* note;
    } cases[] = {
        { RegistNew, "登録処理は正常に終了しました．", CTrayNotice::OutcomeShown,
          "タスクトレイにアイコンを表示しました．\nWindows 11 では、新しく現れたトレイアイコンはまず"
          "タスク バーの隠れたアイコン（「^」）の中に入ります．" },
        { RegistNew, "登録処理は正常に終了しました．", CTrayNotice::OutcomeNotStarted,
          "常駐プログラム(TavroCore.Exe)を起動出来ませんでした. Error = 2\n"
          "登録フォルダのショートカットを開くと、アイコンが表示されます．" },
        { RegistEdit, "登録処理は正常に終了しました．", CTrayNotice::OutcomeNone, NULL },
        { RegistEdit, "登録処理は正常に終了しました．", CTrayNotice::OutcomeUpdated,
          "動作中のトレイアイコンに登録内容を反映しました．" },
        { RegistDelete, "削除処理は正常に終了しました．", CTrayNotice::OutcomeEnded,
          "この登録のトレイアイコンを終了しました．" },
        { RegistDelete, "削除処理は正常に終了しました．", CTrayNotice::OutcomeLeftRunning,
          "応答しない常駐プログラムがあります．この登録のアイコンがトレイに残っていたら、"
          "右クリックして「Tavroの終了」で終了してください．" },
    };
    MessageBoxRecorder boxes;
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].mode);
        CRegistSheet sheet(cases[i].mode, NULL);
        WizardDriver wizard(&sheet);
        sheet.m_trayNotice.m_nOutcome = cases[i].nOutcome;
        sheet.m_trayNotice.m_nCode = 2;
        ASSERT_TRUE(wizard.Start());
        GoToPage(wizard, sheet.GetPageCount() - 1);
        ASSERT_EQ(132u, wizard.CurrentTemplate());
        EXPECT_EQ(&sheet, sheet.m_pLastPage->m_pSheet);

        EXPECT_EQ(cases[i].line, wizard.PageControlText(1024));
        EXPECT_EQ(cases[i].note != NULL, IsWindowVisible(wizard.PageControl(1023)) != FALSE);
        EXPECT_EQ(cases[i].note ? cases[i].note : "", wizard.PageControlText(1023));

        EXPECT_FALSE(wizard.IsButtonEnabled(kWizCancelId));
        EXPECT_FALSE(wizard.IsButtonUsable(kWizBackId));
        EXPECT_FALSE(wizard.IsButtonUsable(kWizNextId));
        EXPECT_TRUE(wizard.IsButtonUsable(kWizFinishId));
        EXPECT_EQ("完了", wizard.ButtonText(kWizFinishId));

        EXPECT_FALSE(wizard.Cancel());
        EXPECT_FALSE(wizard.Ended());
        EXPECT_TRUE(wizard.Finish());
        EXPECT_TRUE(wizard.Ended());
    }
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(LastPageTest, FollowsACommitAndARemoval)
{
    TempFolder temp;
    CString program = temp.Sub("tvbLast.exe");
    ASSERT_TRUE(CopySelfTo(program));
    MessageBoxRecorder boxes;
    {
        CRegistSheet sheet(RegistNew, NULL);
        WizardDriver wizard(&sheet);
        ASSERT_TRUE(wizard.Start());
        sheet.m_entry.m_strProgram = program;
        sheet.m_entry.m_strDispName = "Last";
        GoToPage(wizard, 2);
        ASSERT_TRUE(wizard.Next());
        ASSERT_EQ(132u, wizard.CurrentTemplate());
        EXPECT_EQ("登録処理は正常に終了しました．", wizard.PageControlText(1024));
        // The stand-in beside the test program is no program: the page says the start failed.
        EXPECT_EQ(CTrayNotice::OutcomeNotStarted, sheet.m_trayNotice.m_nOutcome);
        EXPECT_TRUE(IsWindowVisible(wizard.PageControl(1023)));
        EXPECT_FALSE(wizard.IsButtonEnabled(kWizCancelId));
        EXPECT_EQ("完了", wizard.ButtonText(kWizFinishId));
    }
    {
        CRegistSheet sheet(RegistDelete, NULL);
        WizardDriver wizard(&sheet);
        ASSERT_TRUE(wizard.Start());
        ASSERT_TRUE(wizard.Next());
        ASSERT_TRUE(wizard.Next());
        ASSERT_EQ(132u, wizard.CurrentTemplate());
        EXPECT_EQ("削除処理は正常に終了しました．", wizard.PageControlText(1024));
        EXPECT_FALSE(IsWindowVisible(wizard.PageControl(1023))) << "no resident ran";
        EXPECT_FALSE(wizard.IsButtonUsable(kWizBackId));
        EXPECT_TRUE(wizard.Finish());
        EXPECT_TRUE(wizard.Ended());
    }
    EXPECT_FALSE(PathExists(ToolDir() + "tvbLast.exe"));
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

} // namespace
