// The tool's start-up and main dialog: single instance through the named
// mutex, the dialog's buttons, icons and tab order, and the wizard runs it
// starts (minimised while the wizard is up, restored afterwards).
#include "CRegistSheet.h"
#include "CTavroApp.h"
#include "CWelcomeDlg.h"
#include "CWinApp.h"
#include "TavroVersion.h"
#include "TestSupport.h"
#include "WizardDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kCaption[] = "Tavro.Exe Ver " TAVRO_VERSION;

// ---------------------------------------------------------------- start-up

// The application with the main dialog replaced by a probe: it records
// whether it ran and whether the single-instance mark existed meanwhile.
class ProbeApp : public CTavroApp
{
public:
    ProbeApp() : m_nRuns(0), m_bMarkedWhileRunning(false) {}

    int m_nRuns;
    bool m_bMarkedWhileRunning;

protected:
    virtual void RunMainDialog()
    {
        ++m_nRuns;
        HANDLE hMutex = OpenMutexA(SYNCHRONIZE, FALSE, kMutexName);
        m_bMarkedWhileRunning = hMutex != NULL;
        if (hMutex)
            CloseHandle(hMutex);
    }
};

bool ToolMarkedAsRunning()
{
    HANDLE hMutex = OpenMutexA(SYNCHRONIZE, FALSE, CTavroApp::kMutexName);
    if (!hMutex)
        return false;
    CloseHandle(hMutex);
    return true;
}

class StartupTest : public ::testing::Test
{
protected:
    void SetUp()
    {
        // The application object is process-wide; a test program that has its
        // own must not lose it to these probes.
        if (AfxGetApp())
            GTEST_SKIP() << "an application object already exists";
        ASSERT_FALSE(ToolMarkedAsRunning());
    }
};

TEST_F(StartupTest, FirstStartRunsTheDialogAndEndsTheMarkOnExit)
{
    MessageBoxRecorder boxes;
    ProbeApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(1, app.m_nRuns);
    EXPECT_TRUE(app.m_bMarkedWhileRunning);
    EXPECT_TRUE(app.m_hMutex != NULL);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();

    app.ExitInstance();
    EXPECT_TRUE(app.m_hMutex == NULL);
    EXPECT_FALSE(ToolMarkedAsRunning());
}

TEST_F(StartupTest, SecondStartIsRefusedUntilTheFirstHasEnded)
{
    MessageBoxRecorder boxes;
    ProbeApp first;
    EXPECT_FALSE(first.InitInstance());
    ASSERT_EQ(1, first.m_nRuns);
    {
        ProbeApp second;
        EXPECT_FALSE(second.InitInstance());
        EXPECT_EQ(0, second.m_nRuns);
        EXPECT_TRUE(second.m_hMutex == NULL);
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(std::string("Tavroはすでに実行中です"), boxes.LastText());
        EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].type);
        second.ExitInstance();
    }
    // The refused start took nothing from the running one.
    EXPECT_TRUE(ToolMarkedAsRunning());
    first.ExitInstance();

    boxes.Clear();
    ProbeApp third;
    EXPECT_FALSE(third.InitInstance());
    EXPECT_EQ(1, third.m_nRuns);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    third.ExitInstance();
}

TEST_F(StartupTest, MarkMadeByAnotherProgramRefusesTheStart)
{
    MessageBoxRecorder boxes;
    HANDLE hOther = CreateMutexA(NULL, FALSE, "TavroMutex");
    ASSERT_TRUE(hOther != NULL);
    {
        ProbeApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(0, app.m_nRuns);
        app.ExitInstance();
    }
    EXPECT_EQ(std::string("Tavroはすでに実行中です"), boxes.LastText());
    CloseHandle(hOther);
}

// ------------------------------------------------------------- main dialog

class WelcomeDialogTest : public ::testing::Test
{
protected:
    void SetUp()
    {
        ASSERT_TRUE(m_dlg.Create());
        m_hDlg = m_dlg.m_hWnd;
        ShowWindow(m_hDlg, SW_SHOWNORMAL);
        PumpMessages();
    }
    void TearDown()
    {
        if (IsWindow(m_hDlg))
            m_dlg.DestroyWindow();
        PumpMessages();
    }

    std::string Text(int nId) const { return WindowText(GetDlgItem(m_hDlg, nId)); }
    void Click(int nId)
    {
        SendMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(m_hDlg, nId)));
        PumpMessages();
    }

    CWelcomeDlg m_dlg;
    HWND m_hDlg = NULL;
};

TEST_F(WelcomeDialogTest, ShowsTheMenuButtonsWithEditHidden)
{
    EXPECT_EQ(std::string(kCaption), WindowText(m_hDlg));
    EXPECT_EQ(std::string("タスクバー登録ツールTavroの世界へようこそ"), Text(IDC_STATIC));
    struct Button {
        int nId;
        const char* pszText;
        bool bVisible;
    };
    const Button buttons[] = {
        { IDC_BUTTON_NEW, "プログラムを新規登録する", true },
        { IDC_BUTTON_EDIT, "登録情報を編集する", false },
        { IDC_BUTTON_DELETE, "登録情報を削除する", true },
        { IDC_BUTTON_HELP, "Tavroのﾄﾞｷｭﾒﾝﾄ(HTML)を読む", true },
        { IDC_BUTTON_EXIT, "Tavroを終了する", true },
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.nId);
        HWND hButton = GetDlgItem(m_hDlg, b.nId);
        ASSERT_TRUE(hButton != NULL);
        EXPECT_EQ(std::string(b.pszText), WindowText(hButton));
        EXPECT_EQ(b.bVisible, IsWindowVisible(hButton) != FALSE);
        EXPECT_TRUE(IsWindowEnabled(hButton));
    }
}

TEST_F(WelcomeDialogTest, KeyboardReachesTheVisibleButtonsInOrder)
{
    // The first tab stop takes the focus; the hidden edit button is skipped.
    const int order[] = { IDC_BUTTON_NEW, IDC_BUTTON_DELETE, IDC_BUTTON_HELP, IDC_BUTTON_EXIT,
                          IDC_BUTTON_NEW };
    HWND hItem = GetNextDlgTabItem(m_hDlg, NULL, FALSE);
    for (int nId : order) {
        ASSERT_TRUE(hItem != NULL);
        EXPECT_EQ(nId, GetDlgCtrlID(hItem));
        hItem = GetNextDlgTabItem(m_hDlg, hItem, FALSE);
    }
    // Backwards from the first button wraps to the last.
    EXPECT_EQ(IDC_BUTTON_EXIT, GetDlgCtrlID(GetNextDlgTabItem(m_hDlg, GetDlgItem(m_hDlg, IDC_BUTTON_NEW), TRUE)));
}

TEST_F(WelcomeDialogTest, CarriesTheApplicationIconBigAndSmall)
{
    ASSERT_TRUE(m_dlg.m_hIcon != NULL);
    EXPECT_EQ(m_dlg.m_hIcon, LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_dlg.m_hIcon), SendMessageA(m_hDlg, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_dlg.m_hIcon), SendMessageA(m_hDlg, WM_QUERYDRAGICON, 0, 0));
    // The caption's icon is loaded at the small size, not shrunk from the large one.
    ASSERT_TRUE(m_dlg.m_hSmallIcon != NULL);
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_dlg.m_hSmallIcon), SendMessageA(m_hDlg, WM_GETICON, ICON_SMALL, 0));
    ICONINFO info;
    BITMAP mask;
    ASSERT_TRUE(GetIconInfo(m_dlg.m_hSmallIcon, &info));
    GetObjectA(info.hbmMask, sizeof(mask), &mask);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), mask.bmWidth);
}

TEST_F(WelcomeDialogTest, PictureFillsItsPlace)
{
    // The place grows with the dialog font at higher DPI; the picture is made to match it.
    HWND hPicture = GetDlgItem(m_hDlg, IDC_PLANET);
    RECT place;
    ASSERT_TRUE(GetClientRect(hPicture, &place));
    HGDIOBJ hShown = reinterpret_cast<HGDIOBJ>(SendMessageA(hPicture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(m_dlg.m_hPicture, hShown);
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectA(hShown, sizeof(bm), &bm));
    EXPECT_EQ(place.right, bm.bmWidth);
    EXPECT_EQ(place.bottom, bm.bmHeight);
}

WNDPROC g_dialogProc = NULL;
int g_iconErases = 0;

LRESULT CALLBACK CountIconErases(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_iconErases += message == WM_ICONERASEBKGND ? 1 : 0;
    return CallWindowProcA(g_dialogProc, hWnd, message, wParam, lParam);
}

TEST_F(WelcomeDialogTest, MinimisedDialogPaintsItsIcon)
{
    ShowWindow(m_hDlg, SW_SHOWMINIMIZED);
    PumpMessages();
    ASSERT_TRUE(IsIconic(m_hDlg));
    // The dialog's class has no icon, so only the dialog's own icon paint
    // erases an icon's background (the default paint would validate silently).
    // A minimised window may have no client area to invalidate: the paint is
    // sent as the taskbar's thumbnail would ask for it.
    g_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_hDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountIconErases)));
    g_iconErases = 0;
    SendMessageA(m_hDlg, WM_PAINT, 0, 0);
    SetWindowLongPtrA(m_hDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
    EXPECT_EQ(1, g_iconErases);
    ShowWindow(m_hDlg, SW_SHOWNORMAL);
    PumpMessages();
    EXPECT_FALSE(IsIconic(m_hDlg));
}

TEST_F(WelcomeDialogTest, ExitButtonEndsTheDialog)
{
    Click(IDC_BUTTON_EXIT);
    EXPECT_FALSE(IsWindow(m_hDlg));
}

// Top-level windows of this thread, visible or not.
std::vector<HWND> ThreadWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(),
                      [](HWND hWnd, LPARAM lParam) -> BOOL {
                          reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
                          return TRUE;
                      },
                      reinterpret_cast<LPARAM>(&windows));
    return windows;
}

TEST_F(WelcomeDialogTest, HelpWithoutTheDocumentDoesNothingVisible)
{
    // This test program's folder holds no TavroHelp.Html.
    MessageBoxRecorder boxes;
    size_t nWindows = ThreadWindows().size();
    Click(IDC_BUTTON_HELP);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(nWindows, ThreadWindows().size());
    EXPECT_TRUE(IsWindow(m_hDlg));
    EXPECT_FALSE(IsIconic(m_hDlg));
}

// A wizard run from a button: a thread timer, dispatched by the sheet's own
// modal loop, looks at the sheet and the main dialog and cancels the wizard.
class WizardRunTest : public WelcomeDialogTest
{
protected:
    struct Seen {
        bool bSheetFound = false;
        bool bMainMinimised = false;
        bool bMainIsOwner = false;
        int nMode = -1;
        int nPages = 0;
        std::string title;
    };

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        WizardRunTest* self = s_active;
        if (!self || self->m_seen.bSheetFound)
            return;
        for (HWND hWnd : ThreadWindows()) {
            CRegistSheet* pSheet = dynamic_cast<CRegistSheet*>(CWnd::FromHandle(hWnd));
            if (!pSheet || !PropSheet_GetCurrentPageHwnd(hWnd))
                continue;
            Seen& seen = self->m_seen;
            seen.bSheetFound = true;
            seen.bMainMinimised = IsIconic(self->m_hDlg) != FALSE;
            seen.bMainIsOwner = GetWindow(hWnd, GW_OWNER) == self->m_hDlg;
            seen.nMode = pSheet->m_nMode;
            seen.nPages = pSheet->GetPageCount();
            seen.title = WindowText(hWnd);
            PropSheet_PressButton(hWnd, PSBTN_CANCEL);
            return;
        }
    }

    Seen RunFromButton(int nId)
    {
        m_seen = Seen();
        s_active = this;
        UINT_PTR nTimer = SetTimer(NULL, 0, 50, OnTimer);
        Click(nId);
        KillTimer(NULL, nTimer);
        s_active = NULL;
        return m_seen;
    }

    Seen m_seen;
    static WizardRunTest* s_active;
};

WizardRunTest* WizardRunTest::s_active = NULL;

TEST_F(WizardRunTest, EachButtonRunsItsWizardWithTheDialogMinimised)
{
    struct Case {
        int nId;
        int nMode;
        int nPages;
        const char* pszTitle;
    };
    const Case cases[] = {
        { IDC_BUTTON_NEW, RegistNew, 4, "新規登録" },
        { IDC_BUTTON_DELETE, RegistDelete, 3, "登録情報削除" },
        // Hidden, but wired.
        { IDC_BUTTON_EDIT, RegistEdit, 4, "登録情報編集" },
    };
    MessageBoxRecorder boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nId);
        Seen seen = RunFromButton(c.nId);
        ASSERT_TRUE(seen.bSheetFound);
        EXPECT_EQ(c.nMode, seen.nMode);
        EXPECT_EQ(c.nPages, seen.nPages);
        EXPECT_EQ(std::string(c.pszTitle), seen.title);
        EXPECT_TRUE(seen.bMainMinimised);
        EXPECT_TRUE(seen.bMainIsOwner);
        // After the wizard the dialog is back, and no sheet is left over.
        EXPECT_FALSE(IsIconic(m_hDlg));
        EXPECT_TRUE(IsWindowVisible(m_hDlg));
        for (HWND hWnd : ThreadWindows())
            EXPECT_TRUE(dynamic_cast<CRegistSheet*>(CWnd::FromHandle(hWnd)) == NULL);
    }
}

// The modal run of the main dialog itself, ended the three ways a user can.
class ModalWelcomeTest : public ::testing::Test
{
protected:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR nId, DWORD)
    {
        for (HWND hWnd : ThreadWindows()) {
            if (WindowText(hWnd) != kCaption || !IsWindowVisible(hWnd))
                continue;
            KillTimer(NULL, nId);
            if (s_nHow == IDC_BUTTON_EXIT)
                SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_EXIT, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(hWnd, IDC_BUTTON_EXIT)));
            else
                PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
    }

    INT_PTR Run(int nHow)
    {
        s_nHow = nHow;
        UINT_PTR nTimer = SetTimer(NULL, 0, 50, OnTimer);
        CWelcomeDlg dlg;
        INT_PTR result = dlg.DoModal();
        KillTimer(NULL, nTimer);
        return result;
    }

    static int s_nHow;
};

int ModalWelcomeTest::s_nHow = 0;

TEST_F(ModalWelcomeTest, ExitButtonEndsTheModalDialogWithZero)
{
    EXPECT_EQ(0, Run(IDC_BUTTON_EXIT));
}

TEST_F(ModalWelcomeTest, CloseBoxEndsTheModalDialog)
{
    EXPECT_EQ(IDCANCEL, Run(0));
}

}  // namespace
