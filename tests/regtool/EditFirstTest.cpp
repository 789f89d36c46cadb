// The entry list page in a real modeless wizard: what it lists from the
// tool's folder, the line and icon of the selection, the placeholder, the
// copy of the chosen record, and the release of its icons.
#include "CEditFirst.h"
#include "EntryPageTestSupport.h"

#include <gtest/gtest.h>

using namespace pagesb;

namespace {

const char kNothing[] = "登録されていません";
const char kNoIcon[] = "アイコンが読み込めません．";

class EditFirstTest : public ToolFolderTest
{
protected:
    EditFirstTest() : ToolFolderTest("tvbApp.exe") {}
};

TEST_F(EditFirstTest, ListsSortedNamesBoundToTheirRecordsAndShowsTheFirst)
{
    MakeEntryFolder("tvb1", "Zeta", "C:\\Z\\zeta.exe");
    MakeEntryFolder("tvb2", "Alpha", m_program);
    MakeEntryFolder("tvb3", "Mu", "C:\\M\\mu.exe");

    MessageBoxRecorder boxes;
    for (int mode = RegistEdit; mode <= RegistDelete; ++mode) {
        CRegistSheet sheet(mode, NULL);
        WizardDriver wizard(&sheet);
        ASSERT_TRUE(wizard.Start());
        HWND hPage = wizard.CurrentPage();
        ASSERT_EQ(106u, wizard.CurrentTemplate());
        HWND hList = GetDlgItem(hPage, 1022);

        std::vector<std::string> lines = ListLines(hList);
        ASSERT_EQ(3u, lines.size());
        EXPECT_EQ("Alpha", lines[0]);
        EXPECT_EQ("Mu", lines[1]);
        EXPECT_EQ("Zeta", lines[2]);
        for (int i = 0; i < 3; ++i) {
            CRegistEntry* pEntry = reinterpret_cast<CRegistEntry*>(
                SendMessageA(hList, LB_GETITEMDATA, i, 0));
            ASSERT_TRUE(pEntry != NULL);
            EXPECT_EQ(lines[static_cast<size_t>(i)], pEntry->m_strDispName.GetString());
        }
        EXPECT_EQ(3, sheet.m_entryArray.GetSize());

        EXPECT_EQ(0, SendMessageA(hList, LB_GETCURSEL, 0, 0));
        EXPECT_EQ(std::string("Alpha(") + m_program.GetString() + ")",
                  WindowText(GetDlgItem(hPage, 1019)));
        HICON hShown = reinterpret_cast<HICON>(SendDlgItemMessageA(hPage, 1020, STM_GETICON, 0, 0));
        EXPECT_TRUE(hShown != NULL);
        EXPECT_EQ(sheet.m_pEditFirst->m_hPreviewIcon, hShown);
        EXPECT_TRUE(IsLiveIcon(hShown));

        EXPECT_FALSE(wizard.IsButtonEnabled(kWizBackId));
        EXPECT_TRUE(wizard.IsButtonUsable(kWizNextId));
    }
    // Zeta and Mu have no icon: only chosen lines load theirs.
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(EditFirstTest, EmptyToolFolderShowsThePlaceholderAndAllowsNothing)
{
    // A plain file beside the program is no entry folder.
    ASSERT_TRUE(CopySelfTo(ToolDir() + "TavroCre.Exe"));
    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    ASSERT_TRUE(wizard.Start());
    HWND hPage = wizard.CurrentPage();
    HWND hList = GetDlgItem(hPage, 1022);

    std::vector<std::string> lines = ListLines(hList);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(kNothing, lines[0]);
    EXPECT_EQ(LB_ERR, SendMessageA(hList, LB_GETCURSEL, 0, 0));
    EXPECT_FALSE(wizard.IsButtonEnabled(kWizBackId));
    EXPECT_FALSE(wizard.IsButtonEnabled(kWizNextId));
    std::string before = WindowText(GetDlgItem(hPage, 1019));

    // Clicking the placeholder changes nothing, and Next forced anyway stays.
    SelectLine(hPage, 0);
    EXPECT_EQ(before, WindowText(GetDlgItem(hPage, 1019)));
    EXPECT_TRUE(sheet.m_pEditFirst->m_hPreviewIcon == NULL);
    EXPECT_FALSE(wizard.IsButtonEnabled(kWizNextId));
    wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(106u, wizard.CurrentTemplate());
    EXPECT_TRUE(sheet.m_entry.m_strIniPath.IsEmpty());
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(EditFirstTest, HiddenFoldersAreLeftOutAndFoldersWithoutSettingsShowEmpty)
{
    CString hidden = MakeEntryFolder("tvbHidden", "Hidden", m_program);
    SetFileAttributesA(hidden, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    MakeEntryFolder("tvbEmpty", "", NULL);

    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    ASSERT_TRUE(wizard.Start());
    HWND hPage = wizard.CurrentPage();

    std::vector<std::string> lines = ListLines(GetDlgItem(hPage, 1022));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("", lines[0]);
    // Selected on arrival: empty parentheses, the loader's message, the error icon.
    EXPECT_EQ("()", WindowText(GetDlgItem(hPage, 1019)));
    EXPECT_EQ(kNoIcon, boxes.LastText());
    EXPECT_TRUE(IsLiveIcon(sheet.m_pEditFirst->m_hPreviewIcon));
    EXPECT_TRUE(wizard.IsButtonUsable(kWizNextId));
}

TEST_F(EditFirstTest, EveryArrivalReadsTheFolderAgainWithoutDuplicates)
{
    MakeEntryFolder("tvbB", "Beta", m_program);
    MakeEntryFolder("tvbA", "Alpha", m_program);

    // The editing page follows in edit mode and offers Back.
    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistEdit, NULL);
    WizardDriver wizard(&sheet);
    ASSERT_TRUE(wizard.Start());
    HWND hPage = sheet.m_pEditFirst->m_hWnd;
    HWND hList = GetDlgItem(hPage, 1022);

    for (int round = 0; round < 3; ++round) {
        SelectLine(hPage, 1);
        ASSERT_TRUE(wizard.Next());
        ASSERT_EQ(130u, wizard.CurrentTemplate());
        EXPECT_EQ("Beta", std::string(sheet.m_entry.m_strDispName));
        ASSERT_TRUE(wizard.Back());
        ASSERT_EQ(106u, wizard.CurrentTemplate());
        EXPECT_EQ(2u, ListLines(hList).size());
        EXPECT_EQ(2, sheet.m_entryArray.GetSize());
        EXPECT_EQ(0, SendMessageA(hList, LB_GETCURSEL, 0, 0));
        EXPECT_EQ(std::string("Alpha(") + m_program.GetString() + ")",
                  WindowText(GetDlgItem(hPage, 1019)));
    }
    // A folder added meanwhile shows on the next arrival.
    MakeEntryFolder("tvbC", "Gamma", m_program);
    ASSERT_TRUE(wizard.Next());
    ASSERT_TRUE(wizard.Back());
    std::vector<std::string> lines = ListLines(hList);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("Gamma", lines[2]);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(EditFirstTest, NextCopiesTheChosenRecordWithItsSettingsPath)
{
    MakeEntryFolder("tvbZ", "Zeta", "C:\\Z\\zeta.exe");
    CString iconFile = m_temp.Sub("tvbIcon.exe");
    ASSERT_TRUE(CopySelfTo(iconFile));
    MakeEntryFolder("tvbM", "Mu", m_program, iconFile, true);

    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistEdit, NULL);
    WizardDriver wizard(&sheet);
    ASSERT_TRUE(wizard.Start());
    HWND hPage = wizard.CurrentPage();
    SelectLine(hPage, 0);
    EXPECT_EQ(std::string("Mu(") + m_program.GetString() + ")", WindowText(GetDlgItem(hPage, 1019)));
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(130u, wizard.CurrentTemplate());

    const CRegistEntry& entry = sheet.m_entry;
    EXPECT_EQ(ToolDir() + "tvbM\\Tavro.ini", entry.m_strIniPath);
    EXPECT_EQ("Mu", std::string(entry.m_strDispName));
    EXPECT_EQ(m_program, entry.m_strProgram);
    EXPECT_EQ(iconFile, entry.m_strIconPath);
    EXPECT_TRUE(entry.m_bOrgIcon != FALSE);
    EXPECT_EQ(0, entry.m_nIconIndex);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(EditFirstTest, SelectedLineLooksLikeAnEditField)
{
    MakeEntryFolder("tvbA", "Alpha", m_program);
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    ASSERT_TRUE(wizard.Start());
    HWND hPage = wizard.CurrentPage();
    HDC hdc = GetDC(hPage);
    LRESULT selected = SendMessageA(hPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                                    reinterpret_cast<LPARAM>(GetDlgItem(hPage, 1019)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(sheet.m_pEditFirst->m_hbrWindow), selected);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetBkColor(hdc));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), GetTextColor(hdc));
    LRESULT other = SendMessageA(hPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                                 reinterpret_cast<LPARAM>(GetDlgItem(hPage, 1020)));
    EXPECT_NE(selected, other);
    ReleaseDC(hPage, hdc);
}

TEST_F(EditFirstTest, IconsAreReleasedWhenReplacedAndWhenThePageGoes)
{
    MakeEntryFolder("tvbA", "Alpha", m_program);
    MakeEntryFolder("tvbB", "Beta", m_program);
    DWORD gdiBefore = 0;
    DWORD userBefore = 0;

    for (int lifetime = 0; lifetime < 4; ++lifetime) {
        // The first wizard makes the platform's own lasting objects (fonts, classes).
        if (lifetime == 1) {
            gdiBefore = GuiObjects(GR_GDIOBJECTS);
            userBefore = GuiObjects(GR_USEROBJECTS);
        }
        std::vector<HICON> seen;
        {
            CRegistSheet sheet(RegistDelete, NULL);
            WizardDriver wizard(&sheet);
            ASSERT_TRUE(wizard.Start());
            HWND hPage = wizard.CurrentPage();
            seen.push_back(sheet.m_pEditFirst->m_hPreviewIcon);
            for (int i = 0; i < 3; ++i) {
                SelectLine(hPage, (i + 1) % 2);
                HICON hNow = sheet.m_pEditFirst->m_hPreviewIcon;
                EXPECT_TRUE(IsLiveIcon(hNow));
                EXPECT_FALSE(IsLiveIcon(seen.back())) << "replaced icon still alive";
                seen.push_back(hNow);
            }
            wizard.Stop();
            EXPECT_TRUE(sheet.m_pEditFirst->m_hPreviewIcon == NULL);
        }
        EXPECT_FALSE(IsLiveIcon(seen.back())) << "icon kept after the page went";
    }
    // Wine's GetGuiResources reports 0; on Windows the counts are real.
    EXPECT_EQ(gdiBefore, GuiObjects(GR_GDIOBJECTS));
    EXPECT_EQ(userBefore, GuiObjects(GR_USEROBJECTS));
}

} // namespace
