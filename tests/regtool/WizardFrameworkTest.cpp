// The framework's wizard (CPropertySheet, CPropertyPage) on the platform's
// property sheet: the documented results of the page handlers, the wizard
// button messages the pages send, and how pages find their sheet.
#include "CDialogTemplate.h"
#include "CPropertyPage.h"
#include "CPropertySheet.h"
#include "TestSupport.h"
#include "WizardDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Sent as "no button message" by a probe page.
const DWORD kNoButtons = 0xFFFFFFFF;

// A page on one of the tool's real templates whose handler results the test
// chooses, and which records what reached it.
class ProbePage : public CPropertyPage
{
public:
    ProbePage(UINT nIDTemplate, UINT nIDCaption)
        : CPropertyPage(nIDTemplate, nIDCaption),
          m_dwButtons(PSWIZB_BACK | PSWIZB_NEXT), m_pszFinishText(NULL),
          m_nNextResult(0), m_nBackResult(0), m_bShow(TRUE), m_bAllowFinish(TRUE),
          m_bAllowCancel(TRUE), m_pFoundSheet(NULL),
          m_nInit(0), m_nSetActive(0), m_nKillActive(0), m_nNext(0), m_nBack(0),
          m_nFinish(0), m_nQueryCancel(0)
    {
    }

    DWORD m_dwButtons;
    LPCSTR m_pszFinishText;
    LRESULT m_nNextResult;
    LRESULT m_nBackResult;
    BOOL m_bShow;
    BOOL m_bAllowFinish;
    BOOL m_bAllowCancel;

    CWnd* m_pFoundSheet;
    int m_nInit, m_nSetActive, m_nKillActive, m_nNext, m_nBack, m_nFinish, m_nQueryCancel;

protected:
    virtual BOOL OnInitDialog()
    {
        CPropertyPage::OnInitDialog();
        ++m_nInit;
        m_pFoundSheet = CWnd::FromHandle(::GetParent(m_hWnd));
        return TRUE;
    }
    virtual BOOL OnSetActive()
    {
        ++m_nSetActive;
        HWND hSheet = ::GetParent(m_hWnd);
        if (m_dwButtons != kNoButtons)
            ::SendMessageA(hSheet, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(m_dwButtons));
        if (m_pszFinishText)
            ::SendMessageA(hSheet, PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>(m_pszFinishText));
        return m_bShow;
    }
    virtual BOOL OnKillActive()
    {
        ++m_nKillActive;
        return TRUE;
    }
    virtual LRESULT OnWizardNext()
    {
        ++m_nNext;
        return m_nNextResult;
    }
    virtual LRESULT OnWizardBack()
    {
        ++m_nBack;
        return m_nBackResult;
    }
    virtual BOOL OnWizardFinish()
    {
        ++m_nFinish;
        return m_bAllowFinish;
    }
    virtual BOOL OnQueryCancel()
    {
        ++m_nQueryCancel;
        return m_bAllowCancel;
    }
};

// Three pages on the confirmation, completion and file selection templates.
class WizardFrameworkTest : public ::testing::Test
{
protected:
    WizardFrameworkTest()
        : m_sheet(IDS_SHEET_CAPTION),
          m_first(IDD_ENTRYPAGE, IDS_ENTRYPAGE),
          m_second(IDD_LASTPAGE, IDS_LASTPAGE),
          m_third(IDD_NEWFIRST, IDS_NEWFIRST),
          m_driver(&m_sheet)
    {
        m_sheet.AddPage(&m_first);
        m_sheet.AddPage(&m_second);
        m_sheet.AddPage(&m_third);
        m_sheet.SetWizardMode();
    }

    void StartOrFail() { ASSERT_TRUE(m_driver.Start()); }

    CPropertySheet m_sheet;
    ProbePage m_first;
    ProbePage m_second;
    ProbePage m_third;
    MessageBoxRecorder m_boxes;
    WizardDriver m_driver;
};

TEST_F(WizardFrameworkTest, StartShowsTheFirstPageWhichFindsItsSheet)
{
    StartOrFail();
    EXPECT_EQ(0, m_driver.CurrentIndex());
    EXPECT_EQ(&m_first, m_driver.CurrentPageObject());
    EXPECT_EQ(1, m_first.m_nInit);
    EXPECT_EQ(1, m_first.m_nSetActive);
    // The page's parent is the sheet, and FromHandle gives the sheet object.
    EXPECT_EQ(static_cast<CWnd*>(&m_sheet), m_first.m_pFoundSheet);
    EXPECT_EQ(m_sheet.m_hWnd, ::GetParent(m_first.m_hWnd));
    // Later pages get their windows only when first shown.
    EXPECT_EQ(0, m_second.m_nInit);
    EXPECT_TRUE(m_second.m_hWnd == NULL);
    // A wizard: no tabs on show, the four wizard buttons present.
    EXPECT_TRUE(m_driver.Button(kWizBackId) != NULL);
    EXPECT_TRUE(m_driver.Button(kWizNextId) != NULL);
    EXPECT_TRUE(m_driver.Button(kWizFinishId) != NULL);
    EXPECT_TRUE(m_driver.IsButtonUsable(kWizCancelId));
}

TEST_F(WizardFrameworkTest, NextIsKeptByMinusOneAndMovesOnWithZero)
{
    StartOrFail();
    m_first.m_nNextResult = -1;
    ASSERT_TRUE(m_driver.Next());
    EXPECT_EQ(1, m_first.m_nNext);
    EXPECT_EQ(0, m_driver.CurrentIndex());
    EXPECT_EQ(0, m_second.m_nInit);

    m_first.m_nNextResult = 0;
    ASSERT_TRUE(m_driver.Next());
    EXPECT_EQ(2, m_first.m_nNext);
    EXPECT_EQ(1, m_driver.CurrentIndex());
    EXPECT_EQ(1, m_second.m_nInit);
    EXPECT_EQ(1, m_second.m_nSetActive);
    EXPECT_EQ(static_cast<CWnd*>(&m_sheet), m_second.m_pFoundSheet);
    // The page left behind keeps its window (and its state) for a way back.
    EXPECT_TRUE(IsWindow(m_first.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(m_first.m_hWnd));
}

TEST_F(WizardFrameworkTest, BackIsKeptByMinusOneAndGoesBackWithZero)
{
    StartOrFail();
    ASSERT_TRUE(m_driver.Next());
    ASSERT_EQ(1, m_driver.CurrentIndex());

    m_second.m_nBackResult = -1;
    ASSERT_TRUE(m_driver.Back());
    EXPECT_EQ(1, m_second.m_nBack);
    EXPECT_EQ(1, m_driver.CurrentIndex());

    m_second.m_nBackResult = 0;
    ASSERT_TRUE(m_driver.Back());
    EXPECT_EQ(0, m_driver.CurrentIndex());
    // Coming back activates the old page again without a second OnInitDialog.
    EXPECT_EQ(1, m_first.m_nInit);
    EXPECT_EQ(2, m_first.m_nSetActive);
}

TEST_F(WizardFrameworkTest, NextWithATemplateIdJumpsToThatPage)
{
    StartOrFail();
    m_first.m_nNextResult = IDD_NEWFIRST;
    ASSERT_TRUE(m_driver.Next());
    EXPECT_EQ(2, m_driver.CurrentIndex());
    EXPECT_EQ(0, m_second.m_nInit);
    EXPECT_EQ(1, m_third.m_nInit);
}

TEST_F(WizardFrameworkTest, APageThatRefusesActivationIsSkipped)
{
    m_second.m_bShow = FALSE;
    StartOrFail();
    ASSERT_TRUE(m_driver.Next());
    EXPECT_EQ(2, m_driver.CurrentIndex());
    EXPECT_EQ(1, m_second.m_nSetActive);
    EXPECT_EQ(1, m_third.m_nSetActive);
}

// What PSM_SETWIZBUTTONS leaves the user: one row per flag combination.
TEST_F(WizardFrameworkTest, WizardButtonsFollowSetWizButtons)
{
    struct Case {
        DWORD dwFlags;
        bool bBackUsable;
        bool bNextUsable;
        bool bFinishUsable;
    };
    const Case cases[] = {
        { 0, false, false, false },
        { PSWIZB_NEXT, false, true, false },
        { PSWIZB_BACK, true, false, false },
        { PSWIZB_BACK | PSWIZB_NEXT, true, true, false },
        { PSWIZB_BACK | PSWIZB_FINISH, true, false, true },
        { PSWIZB_BACK | PSWIZB_DISABLEDFINISH, true, false, false },
    };
    StartOrFail();
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "flags " << c.dwFlags);
        SendMessageA(m_sheet.m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(c.dwFlags));
        PumpMessages();
        EXPECT_EQ(c.bBackUsable, m_driver.IsButtonUsable(kWizBackId));
        EXPECT_EQ(c.bNextUsable, m_driver.IsButtonUsable(kWizNextId));
        EXPECT_EQ(c.bFinishUsable, m_driver.IsButtonUsable(kWizFinishId));
        EXPECT_TRUE(m_driver.IsButtonUsable(kWizCancelId));
    }
}

TEST_F(WizardFrameworkTest, ButtonsSetOnActivationHoldOnThatPage)
{
    m_first.m_dwButtons = PSWIZB_NEXT;
    m_second.m_dwButtons = PSWIZB_BACK | PSWIZB_NEXT;
    StartOrFail();
    EXPECT_FALSE(m_driver.IsButtonUsable(kWizBackId));
    EXPECT_TRUE(m_driver.IsButtonUsable(kWizNextId));
    // A disabled Back cannot be pressed: the wizard stays where it is.
    EXPECT_FALSE(m_driver.Back());
    EXPECT_EQ(0, m_driver.CurrentIndex());

    ASSERT_TRUE(m_driver.Next());
    EXPECT_TRUE(m_driver.IsButtonUsable(kWizBackId));
    EXPECT_TRUE(m_driver.IsButtonUsable(kWizNextId));
    ASSERT_TRUE(m_driver.Back());
    EXPECT_FALSE(m_driver.IsButtonUsable(kWizBackId));
}

TEST_F(WizardFrameworkTest, FinishTextShowsTheFinishButtonAlone)
{
    m_second.m_pszFinishText = "完了";
    StartOrFail();
    ASSERT_TRUE(m_driver.Next());
    ASSERT_EQ(1, m_driver.CurrentIndex());
    EXPECT_TRUE(m_driver.IsButtonUsable(kWizFinishId));
    EXPECT_EQ(std::string("完了"), m_driver.ButtonText(kWizFinishId));
    EXPECT_FALSE(m_driver.IsButtonVisible(kWizBackId));
    EXPECT_FALSE(m_driver.IsButtonVisible(kWizNextId));
}

TEST_F(WizardFrameworkTest, FinishEndsTheWizardOnlyWhenThePageAllowsIt)
{
    m_first.m_pszFinishText = "完了";
    m_first.m_bAllowFinish = FALSE;
    StartOrFail();
    ASSERT_TRUE(m_driver.Finish());
    EXPECT_EQ(1, m_first.m_nFinish);
    EXPECT_FALSE(m_driver.Ended());

    m_first.m_bAllowFinish = TRUE;
    ASSERT_TRUE(m_driver.Finish());
    EXPECT_EQ(2, m_first.m_nFinish);
    EXPECT_TRUE(m_driver.Ended());
}

TEST_F(WizardFrameworkTest, CancelEndsTheWizardOnlyWhenThePageAllowsIt)
{
    m_first.m_bAllowCancel = FALSE;
    StartOrFail();
    ASSERT_TRUE(m_driver.Cancel());
    EXPECT_EQ(1, m_first.m_nQueryCancel);
    EXPECT_FALSE(m_driver.Ended());

    m_first.m_bAllowCancel = TRUE;
    ASSERT_TRUE(m_driver.Cancel());
    EXPECT_TRUE(m_driver.Ended());
}

TEST_F(WizardFrameworkTest, CaptionsComeFromTheStringTable)
{
    StartOrFail();
    EXPECT_EQ(static_cast<UINT>(IDS_SHEET_CAPTION), m_sheet.GetCaptionId());
    EXPECT_EQ(static_cast<UINT>(IDS_ENTRYPAGE), m_first.GetCaptionId());
    // In wizard mode the sheet's title shows the current page's caption.
    EXPECT_EQ(std::string("登録確認"), m_driver.Title());
    ASSERT_TRUE(m_driver.Next());
    EXPECT_EQ(std::string("処理終了"), m_driver.Title());
}

// The page area is as large as the page's template in the page's own font,
// so nothing on a page is cut off, and it stays clear of the buttons.
TEST_F(WizardFrameworkTest, EveryPageFitsItsArea)
{
    StartOrFail();
    HWND hLine = GetDlgItem(m_sheet.m_hWnd, 0x3026);   // the line above the buttons
    RECT line = { 0, 0, 0, 0 };
    if (hLine) {
        GetWindowRect(hLine, &line);
        MapWindowPoints(NULL, m_sheet.m_hWnd, reinterpret_cast<POINT*>(&line), 2);
    }
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        PropSheet_SetCurSel(m_sheet.m_hWnd, NULL, i);
        PumpMessages();
        HWND hPage = m_driver.CurrentPage();
        ASSERT_TRUE(hPage != NULL);
        RECT need = { 0, 0, 285, 183 };   // every page template here is 285 x 183
        MapDialogRect(hPage, &need);
        RECT page;
        GetWindowRect(hPage, &page);
        MapWindowPoints(NULL, m_sheet.m_hWnd, reinterpret_cast<POINT*>(&page), 2);
        RECT client;
        GetClientRect(m_sheet.m_hWnd, &client);
        EXPECT_GE(page.right - page.left, need.right);
        EXPECT_GE(page.bottom - page.top, need.bottom);
        EXPECT_LE(page.right, client.right);
        if (hLine) {
            EXPECT_LE(page.bottom, line.top);
        }
    }
}

// A page is a child of the sheet: OK and Cancel commands that reach the page
// itself (a multi-line edit's Esc, a stray WM_CLOSE) must not end the page
// as they would end a dialog.
TEST_F(WizardFrameworkTest, OkAndCancelCommandsToAPageLeaveItInPlace)
{
    StartOrFail();
    HWND hPage = m_first.m_hWnd;
    SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageA(hPage, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(hPage));
    EXPECT_EQ(hPage, m_driver.CurrentPage());
    ASSERT_TRUE(m_driver.Next());
    EXPECT_EQ(1, m_driver.CurrentIndex());
}

TEST_F(WizardFrameworkTest, DestroyingTheSheetUnbindsSheetAndPages)
{
    StartOrFail();
    ASSERT_TRUE(m_driver.Next());
    HWND hSheet = m_sheet.m_hWnd;
    HWND hFirst = m_first.m_hWnd;
    m_driver.Stop();
    EXPECT_FALSE(IsWindow(hSheet));
    EXPECT_TRUE(m_sheet.m_hWnd == NULL);
    EXPECT_TRUE(m_first.m_hWnd == NULL);
    EXPECT_TRUE(m_second.m_hWnd == NULL);
    EXPECT_TRUE(CWnd::FromHandle(hFirst) == NULL);
}

// ------------------------------------------------------- dialog templates

// A plain DLGTEMPLATE with DS_SETFONT and two controls, built as the
// platform reads it (the form the system's own sheet template may have).
std::vector<BYTE> PlainTemplate(const wchar_t* pszFace)
{
    std::vector<BYTE> t;
    auto word = [&t](WORD w) { t.push_back(LOBYTE(w)); t.push_back(HIBYTE(w)); };
    auto dword = [&](DWORD d) { word(LOWORD(d)); word(HIWORD(d)); };
    auto text = [&](const wchar_t* psz) { do { word(static_cast<WORD>(*psz)); } while (*psz++); };
    auto align = [&t]() { while (t.size() % 4) t.push_back(0); };
    dword(WS_POPUP | WS_CAPTION | DS_SETFONT);
    dword(0);
    word(2);                                   // controls
    word(0); word(0); word(200); word(100);    // x, y, cx, cy
    word(0); word(0);                          // no menu, default class
    text(L"plain");
    word(8);
    text(pszFace);
    const WORD ids[] = { 101, 102 };
    const WORD classes[] = { 0x0080, 0x0082 };  // button, static
    const wchar_t* texts[] = { L"Go", L"Label text" };
    for (int i = 0; i < 2; ++i) {
        align();
        dword(WS_CHILD | WS_VISIBLE);
        dword(0);
        word(10); word(static_cast<WORD>(10 + 20 * i)); word(50); word(14);
        word(ids[i]);
        word(0xFFFF); word(classes[i]);
        text(texts[i]);
        word(0);                                // no creation data
    }
    return t;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

// The texts of a dialog made from a template in memory, by control id.
std::string ControlText(const void* pTemplate, int nId)
{
    HWND hDlg = CreateDialogIndirectParamA(GetModuleHandleA(NULL), static_cast<LPCDLGTEMPLATEA>(pTemplate),
                                           NULL, PlainDialogProc, 0);
    std::string text = hDlg ? WindowText(GetDlgItem(hDlg, nId)) : std::string("<no dialog>");
    if (hDlg)
        DestroyWindow(hDlg);
    return text;
}

TEST(DialogTemplateTest, ReadsThePagesFont)
{
    CDialogTemplate::Font font;
    ASSERT_TRUE(CDialogTemplate::GetResourceFont(GetModuleHandleA(NULL), IDD_NEWFIRST, font));
    EXPECT_EQ(9, font.wPointSize);
    EXPECT_TRUE(font.face == L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF");   // ＭＳ Ｐゴシック
    EXPECT_FALSE(CDialogTemplate::GetResourceFont(GetModuleHandleA(NULL), 9999, font));
}

TEST(DialogTemplateTest, NewFontKeepsEveryControlOfAnExtendedTemplate)
{
    HRSRC hRes = FindResourceA(NULL, MAKEINTRESOURCEA(IDD_WELCOME), MAKEINTRESOURCEA(5));
    ASSERT_TRUE(hRes != NULL);
    const BYTE* pRes = static_cast<const BYTE*>(LockResource(LoadResource(NULL, hRes)));
    std::vector<BYTE> copy(pRes, pRes + SizeofResource(NULL, hRes));
    size_t nOldSize = CDialogTemplate::GetSize(&copy[0]);
    EXPECT_LE(nOldSize, copy.size());

    CDialogTemplate::Font font = { 8, FW_BOLD, FALSE, SHIFTJIS_CHARSET, L"Tahoma" };
    ASSERT_TRUE(CDialogTemplate::SetFont(&copy[0], font));
    CDialogTemplate::Font back;
    ASSERT_TRUE(CDialogTemplate::GetFont(&copy[0], back));
    EXPECT_EQ(8, back.wPointSize);
    EXPECT_EQ(FW_BOLD, back.wWeight);
    EXPECT_TRUE(back.face == L"Tahoma");
    EXPECT_EQ(std::string("プログラムを新規登録する"), ControlText(&copy[0], IDC_BUTTON_NEW));
    EXPECT_EQ(std::string("Tavroを終了する"), ControlText(&copy[0], IDC_BUTTON_EXIT));

    // A face that would make the template grow is refused, the bytes untouched.
    std::vector<BYTE> before = copy;
    font.face = L"A font name far longer than any that was in the template before";
    EXPECT_FALSE(CDialogTemplate::SetFont(&copy[0], font));
    EXPECT_TRUE(before == copy);
}

TEST(DialogTemplateTest, NewFontKeepsEveryControlOfAPlainTemplate)
{
    std::vector<BYTE> t = PlainTemplate(L"MS Shell Dlg");
    EXPECT_EQ(t.size(), CDialogTemplate::GetSize(&t[0]));
    EXPECT_EQ(std::string("Label text"), ControlText(&t[0], 102));
    CDialogTemplate::Font font = { 9, FW_NORMAL, FALSE, DEFAULT_CHARSET, L"Arial" };
    ASSERT_TRUE(CDialogTemplate::SetFont(&t[0], font));
    CDialogTemplate::Font back;
    ASSERT_TRUE(CDialogTemplate::GetFont(&t[0], back));
    EXPECT_EQ(9, back.wPointSize);
    EXPECT_TRUE(back.face == L"Arial");
    EXPECT_EQ(std::string("Go"), ControlText(&t[0], 101));
    EXPECT_EQ(std::string("Label text"), ControlText(&t[0], 102));
}

// The modal run, as the tool uses it: a thread timer does the user's clicks
// inside the sheet's own message loop.
class ModalWizardTest : public WizardFrameworkTest
{
protected:
    enum Step { PressNextThenFinish, PressCancel };

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR nId, DWORD)
    {
        ModalWizardTest* self = s_active;
        HWND hSheet = self->m_sheet.m_hWnd;
        if (!hSheet || !PropSheet_GetCurrentPageHwnd(hSheet))
            return;
        ++self->m_nTicks;
        if (self->m_step == PressCancel || self->m_nTicks > 20) {
            KillTimer(NULL, nId);
            PropSheet_PressButton(hSheet, PSBTN_CANCEL);
        } else if (PropSheet_HwndToIndex(hSheet, PropSheet_GetCurrentPageHwnd(hSheet)) == 0) {
            self->m_bSawSheetBound = CWnd::FromHandle(hSheet) == &self->m_sheet;
            PropSheet_PressButton(hSheet, PSBTN_NEXT);
        } else {
            KillTimer(NULL, nId);
            PropSheet_PressButton(hSheet, PSBTN_FINISH);
        }
    }

    INT_PTR RunModal(Step step)
    {
        m_step = step;
        m_nTicks = 0;
        s_active = this;
        UINT_PTR nTimer = SetTimer(NULL, 0, 50, OnTimer);
        INT_PTR result = m_sheet.DoModal();
        KillTimer(NULL, nTimer);
        s_active = NULL;
        return result;
    }

    Step m_step;
    int m_nTicks;
    bool m_bSawSheetBound = false;
    static ModalWizardTest* s_active;
};

ModalWizardTest* ModalWizardTest::s_active = NULL;

TEST_F(ModalWizardTest, FinishReturnsPositiveAndLeavesNothingBound)
{
    m_second.m_dwButtons = PSWIZB_BACK | PSWIZB_FINISH;
    INT_PTR result = RunModal(PressNextThenFinish);
    EXPECT_GT(result, 0);
    EXPECT_TRUE(m_bSawSheetBound);
    EXPECT_EQ(1, m_second.m_nFinish);
    EXPECT_TRUE(m_sheet.m_hWnd == NULL);
    EXPECT_TRUE(m_first.m_hWnd == NULL);
    EXPECT_TRUE(m_second.m_hWnd == NULL);
}

TEST_F(ModalWizardTest, CancelReturnsZeroAndTheSheetRunsAgain)
{
    EXPECT_EQ(0, RunModal(PressCancel));
    EXPECT_TRUE(m_sheet.m_hWnd == NULL);
    // A second run builds the windows anew.
    m_second.m_dwButtons = PSWIZB_BACK | PSWIZB_FINISH;
    EXPECT_GT(RunModal(PressNextThenFinish), 0);
    EXPECT_EQ(2, m_first.m_nInit);
}

}  // namespace
