// The tray dialog driven for real: settings loaded at creation, the icon
// choice and its two messages, the tray record and its tip, the hidden
// window, the popup menu and the commands.
#include "CTrayDlg.h"
#include "CRegistEntry.h"
#include "CResidentChannel.h"
#include "CTrayIconId.h"
#include "CWinApp.h"
#include "TavroVersion.h"
#include "TestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

const char kIconMessage[] = "アイコンが読み込めません．";
const char kProgramIconMessage[] = "プログラムアイコンが取得出来ません．";

// This test program carries the resident's resources, icon 128 included.
CString OwnExecutable()
{
    char path[MAX_PATH] = {0};
    GetModuleFileNameA(NULL, path, MAX_PATH);
    return path;
}

// The icon file of the sources, seen through Wine's drive Z:.
CString IconFile()
{
    std::string path = std::string("Z:") + TAVRO_TEST_ICON_FILE;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path.c_str();
}

BOOL IsRealIcon(HICON hIcon)
{
    return hIcon != NULL && hIcon != reinterpret_cast<HICON>(1);
}

SIZE IconSize(HICON hIcon)
{
    SIZE size = { 0, 0 };
    ICONINFO info;
    if (!GetIconInfo(hIcon, &info))
        return size;
    BITMAP bm;
    if (GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm)) {
        size.cx = bm.bmWidth;
        size.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

class TrayDlgTest : public ::testing::Test
{
protected:
    // Writes a settings file with the given values, as the registration tool does.
    CString WriteSettings(LPCSTR dispName, LPCSTR program, BOOL orgIcon = FALSE,
                          LPCSTR iconPath = "", LPCSTR workDir = "", LPCSTR cmdLine = "")
    {
        CRegistEntry entry;
        entry.m_strIniPath = m_folder.Sub("tavro.ini");
        entry.m_strDispName = dispName;
        entry.m_strProgram = program;
        entry.m_strCmdLine = cmdLine;
        entry.m_strWorkDir = workDir;
        entry.m_strIconPath = iconPath;
        entry.m_bOrgIcon = orgIcon;
        EXPECT_TRUE(SaveEntry(&entry));
        return entry.m_strIniPath;
    }

    // Creates the dialog and lets it hide itself.
    static void Open(CTrayDlg& dlg)
    {
        ASSERT_TRUE(dlg.Create());
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dlg.m_hWnd); }));
    }

    TempFolder m_folder;
};

// Waits until this process can put icons into the tray. Every test program
// runs in a virtual desktop with a taskbar (scripts/isolate.sh), whose
// notification area may come up a moment after the program: one that never
// comes is a broken test run, and the tests that need it fail.
bool WaitForTray(HWND hWnd)
{
    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof(nid));
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hWnd;
    nid.uID = 77;
    if (!PumpUntil([&] { return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE; }, 15000))
        return false;
    Shell_NotifyIconA(NIM_DELETE, &nid);
    return true;
}

const char kNoTray[] = "no notification area in this desktop: the test run must provide one";

// Whether the icon the record names exists in the tray now.
bool IconInTray(const NOTIFYICONDATAA& added)
{
    NOTIFYICONDATAA nid = added;
    nid.uFlags = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

}  // namespace

TEST_F(TrayDlgTest, IconChoiceAndItsMessages)
{
    struct Case {
        const char* name;
        BOOL orgIcon;
        CString iconPath;
        CString program;
        int result;
        const char* message;   // NULL: none
    };
    CString text = m_folder.Sub("readme.txt");
    ASSERT_TRUE(m_folder.WriteFile("readme.txt", "just text\r\n"));
    CString missing = m_folder.Sub("gone.exe");
    ASSERT_TRUE(m_folder.WriteFile("run.bat", "@echo off\r\n"));
    const Case cases[] = {
        { "own icon file", TRUE, IconFile(), missing, 0, NULL },
        // Flag set but no icon path: the program's icon, silently.
        { "flag without path", TRUE, "", OwnExecutable(), 0, NULL },
        { "program icon", FALSE, "", OwnExecutable(), 0, NULL },
        // The program's icon is not tried when the chosen icon fails.
        { "icon file without icons", TRUE, text, OwnExecutable(), 1, kIconMessage },
        { "missing icon file", TRUE, missing, OwnExecutable(), 1, kIconMessage },
        // A source without icons that stands for the registered file: the
        // shell's icon for that file, silently.
        { "document as its own icon", TRUE, text, text, 0, NULL },
        { "bare program of an association", TRUE, "rundll32.exe", text, 0, NULL },
        // Flag clear: the icon path is ignored.
        { "missing program", FALSE, IconFile(), missing, 1, kProgramIconMessage },
        { "document", FALSE, "", text, 1, kProgramIconMessage },
        // A script an earlier version stored with the flag clear: the shell's icon.
        { "script of an earlier version", FALSE, "", m_folder.Sub("run.bat"), 0, NULL },
        { "empty entry", FALSE, "", "", 1, kProgramIconMessage },
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        CTrayDlg dlg("");
        dlg.m_bOrgIcon = c.orgIcon;
        dlg.m_strIconPath = c.iconPath;
        dlg.m_strProgram = c.program;
        EXPECT_EQ(c.result, dlg.AcquireIcon()) << c.name;
        if (c.message) {
            ASSERT_EQ(1u, boxes.Count()) << c.name << "\n" << boxes.Texts();
            EXPECT_EQ(c.message, boxes.LastText()) << c.name;
            EXPECT_EQ(std::string(AfxGetAppName()), boxes.Boxes()[0].caption) << c.name;
            EXPECT_EQ(dlg.m_hDefaultIcon, dlg.m_hTrayIcon) << c.name;
        } else {
            EXPECT_EQ(0u, boxes.Count()) << c.name << "\n" << boxes.Texts();
            EXPECT_TRUE(IsRealIcon(dlg.m_hTrayIcon)) << c.name;
            EXPECT_NE(dlg.m_hDefaultIcon, dlg.m_hTrayIcon) << c.name;
            // The file's small image, not the large one for the shell to shrink.
            EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), IconSize(dlg.m_hTrayIcon).cx) << c.name;
            DestroyIcon(dlg.m_hTrayIcon);
        }
    }
}

TEST_F(TrayDlgTest, DefaultIconHasTheTraySize)
{
    CTrayDlg dlg("");
    ASSERT_TRUE(dlg.m_hDefaultIcon != NULL);
    SIZE size = IconSize(dlg.m_hDefaultIcon);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), size.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), size.cy);
}

TEST_F(TrayDlgTest, TipKeepsWholeCharactersWithinSixtyThreeBytes)
{
    struct Case { std::string text; std::string tip; } cases[] = {
        { "", "" },
        { "メモ帳", "メモ帳" },
        { std::string(63, 'a'), std::string(63, 'a') },
        { std::string(70, 'a'), std::string(63, 'a') },
        // 表 would take bytes 63 and 64: it goes whole.
        { std::string(62, 'a') + "表x", std::string(62, 'a') },
        { std::string(61, 'a') + "表x", std::string(61, 'a') + "表" },
        // Half-width katakana are single bytes.
        { std::string(70, '\xB1'), std::string(63, '\xB1') },
        // A lead byte without its trail byte is dropped.
        { "ab\x95", "ab" },
    };
    for (const Case& c : cases) {
        char field[80];
        memset(field, 0x7F, sizeof(field));
        CTrayDlg::CopyTip(field, 64, c.text.c_str());
        EXPECT_EQ(c.tip, std::string(field)) << c.text;
        for (size_t i = 64; i < sizeof(field); ++i)
            ASSERT_EQ(0x7F, field[i]) << "written past the field: " << c.text;
    }
}

TEST_F(TrayDlgTest, CreationLoadsSettingsAddsIconAndHides)
{
    std::string longName = std::string(62, 'n') + "表示";
    CString ini = WriteSettings(longName.c_str(), OwnExecutable(), FALSE, "", "C:\\work", "-x");
    MessageBoxRecorder boxes;
    CTrayDlg dlg(ini);
    Open(dlg);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();

    EXPECT_STREQ(longName.c_str(), dlg.m_strDispName);
    EXPECT_STREQ(OwnExecutable(), dlg.m_strProgram);
    EXPECT_STREQ("-x", dlg.m_strCmdLine);
    EXPECT_STREQ("C:\\work", dlg.m_strWorkDir);
    EXPECT_STREQ(ini, dlg.m_strIniPath);

    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE), dlg.m_nid.cbSize);
    EXPECT_EQ(dlg.m_hWnd, dlg.m_nid.hWnd);
    EXPECT_EQ(CTrayIconId::ForSettingsFile(ini), dlg.m_nid.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP), dlg.m_nid.uFlags);
    EXPECT_EQ(static_cast<UINT>(NOTIFYICON_VERSION_4), dlg.m_nid.uVersion);
    EXPECT_EQ(0x464u, dlg.m_nid.uCallbackMessage);
    EXPECT_EQ(dlg.m_hTrayIcon, dlg.m_nid.hIcon);
    EXPECT_EQ(std::string(62, 'n'), std::string(dlg.m_nid.szTip));

    // Top-level (so "TaskbarCreated" reaches it), hidden, and far out of sight;
    // a tool window, so that not even a show slipping through makes a taskbar button.
    EXPECT_EQ(NULL, GetParent(dlg.m_hWnd));
    LONG_PTR exStyle = GetWindowLongPtrA(dlg.m_hWnd, GWL_EXSTYLE);
    EXPECT_EQ(0, exStyle & WS_EX_APPWINDOW);
    EXPECT_NE(0, exStyle & WS_EX_TOOLWINDOW);
    // Nor does it take the focus or the activation from the user's window.
    EXPECT_NE(dlg.m_hWnd, GetFocus());
    EXPECT_NE(dlg.m_hWnd, GetActiveWindow());
    EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
    RECT rect;
    GetWindowRect(dlg.m_hWnd, &rect);
    EXPECT_LE(rect.left, -9000);
    EXPECT_LE(rect.top, -9000);
    EXPECT_STREQ("TavroCore Ver" TAVRO_VERSION, WindowText(dlg.m_hWnd).c_str());
    dlg.DestroyWindow();
}

TEST_F(TrayDlgTest, MissingSettingsFileStartsWithDefaults)
{
    MessageBoxRecorder boxes;
    CTrayDlg dlg(m_folder.Sub("none\\Tavro.ini"));
    Open(dlg);
    EXPECT_TRUE(dlg.m_strDispName.IsEmpty());
    EXPECT_TRUE(dlg.m_strProgram.IsEmpty());
    EXPECT_FALSE(dlg.m_bOrgIcon);
    ASSERT_EQ(1u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(kProgramIconMessage, boxes.LastText());
    EXPECT_EQ(dlg.m_hDefaultIcon, dlg.m_hTrayIcon);
    EXPECT_STREQ("", dlg.m_nid.szTip);
    dlg.DestroyWindow();
}

TEST_F(TrayDlgTest, ExitRemovesTheIconButKeepsTheDefaultIcon)
{
    CString ini = WriteSettings("消える", m_folder.Sub("gone.exe"));
    MessageBoxRecorder boxes;
    CTrayDlg dlg(ini);
    Open(dlg);
    ASSERT_EQ(dlg.m_hDefaultIcon, dlg.m_hTrayIcon);
    HWND hWnd = dlg.m_hWnd;
    ASSERT_TRUE(WaitForTray(hWnd)) << kNoTray;
    NOTIFYICONDATAA added = dlg.m_nid;
    // An icon the tray refused at start is added by the next retry.
    EXPECT_TRUE(PumpUntil([&] { return IconInTray(added); }));

    SendMessageA(hWnd, WM_COMMAND, ID_APP_QUIT, 0);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(NULL, dlg.m_hTrayIcon);
    EXPECT_FALSE(IconInTray(added));
    // The resource icon stays usable: it belongs to the object, not to the tray.
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(dlg.m_hDefaultIcon, &info));
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

TEST_F(TrayDlgTest, IconReturnsAfterTheShellRestarts)
{
    CString ini = WriteSettings("戻る", OwnExecutable());
    CTrayDlg dlg(ini);
    Open(dlg);
    ASSERT_TRUE(WaitForTray(dlg.m_hWnd)) << kNoTray;
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    NOTIFYICONDATAA added = dlg.m_nid;
    ASSERT_TRUE(PumpUntil([&] { return IconInTray(added); }));

    // A new shell has no icons: the announcement brings it back.
    Shell_NotifyIconA(NIM_DELETE, &added);
    ASSERT_FALSE(IconInTray(added));
    SendMessageA(dlg.m_hWnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconInTray(added));

    // An announcement while the icon exists leaves exactly that icon.
    SendMessageA(dlg.m_hWnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconInTray(added));
    dlg.DestroyWindow();
    EXPECT_FALSE(IconInTray(added));
}

namespace {

// What the popup menu showed: the items of the popup as the owner saw them
// in WM_INITMENUPOPUP. A thread timer closes the menu once it is open.
struct MenuCapture {
    std::vector<UINT> ids;
    std::vector<std::string> texts;
    bool seen = false;
    WNDPROC previous = NULL;
    int ticks = 0;
};
MenuCapture* g_capture = NULL;

LRESULT CALLBACK CaptureProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITMENUPOPUP && !g_capture->seen) {
        HMENU hMenu = reinterpret_cast<HMENU>(wParam);
        for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
            char text[256] = {0};
            GetMenuStringA(hMenu, i, text, sizeof(text), MF_BYPOSITION);
            g_capture->ids.push_back(GetMenuItemID(hMenu, i));
            g_capture->texts.push_back(text);
        }
        g_capture->seen = true;
    }
    return CallWindowProcA(g_capture->previous, hWnd, msg, wParam, lParam);
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD)
{
    // Closed once seen, or after two seconds whatever happened.
    if (g_capture->seen || ++g_capture->ticks > 40)
        EndMenu();
}

// The icon's event as the shell sends it: with version 4 the point in
// wParam and the event in the low word of lParam, else the bare message.
MenuCapture RightClick(CTrayDlg& dlg, UINT event = WM_RBUTTONDOWN, WPARAM wParam = 0)
{
    MenuCapture capture;
    g_capture = &capture;
    capture.previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        dlg.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CaptureProc)));
    UINT_PTR timer = SetTimer(NULL, 0, 50, CloseMenu);
    LPARAM lParam = dlg.m_bVersion4 ? MAKELPARAM(event, LOWORD(dlg.m_nid.uID)) : event;
    LRESULT result = SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, wParam, lParam);
    KillTimer(NULL, timer);
    SetWindowLongPtrA(dlg.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(capture.previous));
    g_capture = NULL;
    EXPECT_EQ(0, result);
    PumpMessages();
    return capture;
}

}  // namespace

TEST_F(TrayDlgTest, RightButtonShowsTheMenuWithTheCurrentName)
{
    CString ini = WriteSettings("メモ帳", OwnExecutable());
    MessageBoxRecorder boxes;
    CTrayDlg dlg(ini);
    Open(dlg);
    dlg.m_bVersion4 = FALSE;

    MenuCapture first = RightClick(dlg);
    ASSERT_TRUE(first.seen);
    std::vector<UINT> ids = { ID_APP_LAUNCH, 0, ID_APP_REGIST, 0, ID_APP_QUIT };
    EXPECT_EQ(ids, first.ids);
    ASSERT_EQ(5u, first.texts.size());
    EXPECT_EQ("メモ帳を起動(&A)", first.texts[0]);
    EXPECT_EQ("新規登録・削除(&N)...", first.texts[2]);
    EXPECT_EQ("Tavroの終了(&X)", first.texts[4]);

    // The menu is built anew each time from the name as it is then.
    dlg.m_strDispName = "";
    MenuCapture second = RightClick(dlg);
    ASSERT_TRUE(second.seen);
    EXPECT_EQ("を起動(&A)", second.texts[0]);
    // "&" is shown as written: doubled in the item, as it is in the tip.
    dlg.m_strDispName = "A & B&&";
    EXPECT_EQ("A && B&&&&を起動(&A)", RightClick(dlg).texts.at(0));

    // Closing the menu without a choice does nothing; the resident stays.
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    dlg.DestroyWindow();
}

TEST_F(TrayDlgTest, VersionFourOpensTheMenuOnContextMenuOnly)
{
    CString ini = WriteSettings("版4", OwnExecutable());
    CTrayDlg dlg(ini);
    Open(dlg);
    dlg.m_bVersion4 = TRUE;
    // The press must not open it: a menu that flips above the cursor would
    // take the release as a choice.
    EXPECT_FALSE(RightClick(dlg, WM_RBUTTONDOWN).seen);
    EXPECT_FALSE(RightClick(dlg, WM_RBUTTONUP).seen);
    MenuCapture menu = RightClick(dlg, WM_CONTEXTMENU, MAKEWPARAM(300, 200));
    ASSERT_TRUE(menu.seen);
    EXPECT_EQ("版4を起動(&A)", menu.texts[0]);
    dlg.DestroyWindow();
}

TEST_F(TrayDlgTest, KeyboardSelectLaunchesOncePerKeyPress)
{
    CString ini = WriteSettings("鍵", m_folder.Sub("gone.exe"));
    MessageBoxRecorder boxes;
    CTrayDlg dlg(ini);
    Open(dlg);
    boxes.Clear();
    dlg.m_bVersion4 = TRUE;
    LPARAM keySelect = MAKELPARAM(NIN_KEYSELECT, LOWORD(dlg.m_nid.uID));
    // Enter arrives as two in a row: one launch, one failure message.
    SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, MAKEWPARAM(300, 200), keySelect);
    SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, MAKEWPARAM(300, 200), keySelect);
    EXPECT_EQ(1u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(2, dlg.m_nLaunchResult);
    // Later key presses launch again.
    Sleep(GetDoubleClickTime() + 50);
    SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, MAKEWPARAM(300, 200), keySelect);
    EXPECT_EQ(2u, boxes.Count()) << boxes.Texts();
    dlg.DestroyWindow();
}

TEST(CTrayIconId, OnePerRegistrationTheSameAtEveryStart)
{
    const UINT a = CTrayIconId::ForSettingsFile("C:\\Tavro\\notepad.exe\\tavro.ini");
    // Stable: the same folder spelled otherwise, or the tool's folder moved.
    EXPECT_EQ(a, CTrayIconId::ForSettingsFile("c:\\tavro\\NOTEPAD.EXE\\Tavro.ini"));
    EXPECT_EQ(a, CTrayIconId::ForSettingsFile("D:\\Moved\\Tools\\notepad.exe\\tavro.ini"));
    // The id Windows remembered the choice under: the same as it ever was.
    EXPECT_EQ(0xFBC42BACu, a);
    // Full-width letters fold as the file system folds them.
    EXPECT_EQ(CTrayIconId::ForSettingsFile("C:\\Tavro\\ａｂ表.exe\\tavro.ini"),
              CTrayIconId::ForSettingsFile("C:\\Tavro\\ＡＢ表.EXE\\tavro.ini"));
    // Distinct: other entry folders, 0x5C trail bytes (表, ソ) included.
    const char* others[] = { "C:\\Tavro\\calc.exe\\tavro.ini", "C:\\Tavro\\notepad.exf\\tavro.ini",
                             "C:\\Tavro\\表.exe\\tavro.ini", "C:\\Tavro\\ソ.exe\\tavro.ini",
                             "C:\\Tavro\\notepad.exe\\x\\tavro.ini" };
    std::vector<UINT> ids = { a };
    for (const char* path : others) {
        UINT id = CTrayIconId::ForSettingsFile(path);
        for (UINT seen : ids)
            EXPECT_NE(seen, id) << path;
        ids.push_back(id);
    }
}

TEST_F(TrayDlgTest, OnlyDoubleClickAndLaunchItemStartTheProgram)
{
    CString ini = WriteSettings("無い", m_folder.Sub("gone.exe"));
    MessageBoxRecorder boxes;
    CTrayDlg dlg(ini);
    Open(dlg);
    boxes.Clear();   // the icon message of the missing program

    const UINT quiet[] = { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE,
                           WM_RBUTTONDBLCLK, WM_MBUTTONDOWN };
    for (UINT mouse : quiet) {
        EXPECT_EQ(0, SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, 0, mouse));
        EXPECT_EQ(0u, boxes.Count()) << mouse;
    }
    EXPECT_EQ(0, dlg.m_nLaunchResult);

    // The failure message proves that the shell was asked; the number is "not found".
    EXPECT_EQ(0, SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(2, dlg.m_nLaunchResult);
    SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_APP_LAUNCH, 0);
    ASSERT_EQ(2u, boxes.Count());
    EXPECT_EQ(boxes.Boxes()[0].text, boxes.Boxes()[1].text);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    dlg.DestroyWindow();
}

namespace {

// Watches a modal tray dialog from a thread timer: once the dialog's loop has
// gone idle it notes whether the window is shown, then chooses the exit item.
struct ModalWatch {
    CTrayDlg* dlg = NULL;
    int ticks = 0;
    bool visibleWhenIdle = true;
    bool exitSent = false;
};
ModalWatch* g_watch = NULL;

void CALLBACK WatchModal(HWND, UINT, UINT_PTR, DWORD)
{
    ModalWatch& w = *g_watch;
    ++w.ticks;
    if (w.ticks == 10 && w.dlg->m_hWnd) {
        w.visibleWhenIdle = IsWindowVisible(w.dlg->m_hWnd) != FALSE;
        PostMessageA(w.dlg->m_hWnd, WM_COMMAND, ID_APP_QUIT, 0);
        w.exitSent = true;
    } else if (w.ticks > 200 && w.dlg->m_hWnd) {
        EndDialog(w.dlg->m_hWnd, 99);   // never hang the test run
    }
}

}  // namespace

// Counts every time a window of this thread was actually shown.
int g_nShown = 0;
LRESULT CALLBACK CountShows(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* p = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (nCode == HC_ACTION && p->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(p->lParam)->flags & SWP_SHOWWINDOW))
        ++g_nShown;
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

TEST_F(TrayDlgTest, ModalDialogStaysHiddenUntilTheExitItem)
{
    CString ini = WriteSettings("モーダル", OwnExecutable());
    MessageBoxRecorder boxes;
    CTrayDlg dlg(ini);
    ModalWatch watch;
    watch.dlg = &dlg;
    g_watch = &watch;
    // Never shown, not even for a moment at start: no taskbar button flashes.
    g_nShown = 0;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, CountShows, NULL, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(NULL, 0, 50, WatchModal);
    INT_PTR result = dlg.DoModal();
    KillTimer(NULL, timer);
    UnhookWindowsHookEx(hook);
    g_watch = NULL;
    EXPECT_TRUE(watch.exitSent);
    EXPECT_FALSE(watch.visibleWhenIdle);
    EXPECT_EQ(0, g_nShown);
    EXPECT_EQ(0, result);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST(CTrayDlgTool, ToolIsStartedByFullQuotedPathBesideTheResident)
{
    struct Case { const char* module; const char* command; } cases[] = {
        { "C:\\Tavro\\TavroCore.Exe", "\"C:\\Tavro\\Tavro.Exe\"" },
        { "C:\\Program Files\\Tavro\\TavroCore.Exe", "\"C:\\Program Files\\Tavro\\Tavro.Exe\"" },
        // The trail bytes of 表 and ソ are no separators.
        { "C:\\表\\ソ\\TavroCore.Exe", "\"C:\\表\\ソ\\Tavro.Exe\"" },
        { "C:\\ソ", "\"C:\\Tavro.Exe\"" },
    };
    for (const auto& c : cases) {
        CString command;
        ASSERT_TRUE(CTrayDlg::BuildToolCommand(c.module, command)) << c.module;
        EXPECT_STREQ(c.command, command) << c.module;
    }
    CString command("unchanged");
    EXPECT_FALSE(CTrayDlg::BuildToolCommand("TavroCore.Exe", command));
    EXPECT_FALSE(CTrayDlg::BuildToolCommand("C:表", command));
    // 250 bytes of folder: the tool's path would pass 259 bytes.
    std::string deep = "C:\\" + std::string(250, 'd') + "\\TavroCore.Exe";
    EXPECT_FALSE(CTrayDlg::BuildToolCommand(deep.c_str(), command));
    EXPECT_STREQ("unchanged", command);
    std::string fits = "C:\\" + std::string(246, 'd') + "\\T.exe";   // 250 + 9 = 259
    EXPECT_TRUE(CTrayDlg::BuildToolCommand(fits.c_str(), command));
}

namespace {

// A stand-in for the shell's notification area, made in this process: the
// platform hands every Shell_NotifyIcon call to the top-most window of class
// "Shell_TrayWnd" as WM_COPYDATA (dwData = the NIM_ code) and returns its
// answer. While it refuses, the resident sees what it sees at an early logon.
class FakeTray
{
public:
    FakeTray()
    {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        s_active = this;
        m_hWnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP,
                                 0, 0, 1, 1, NULL, NULL, wc.hInstance, NULL);
        SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ~FakeTray()
    {
        DestroyWindow(m_hWnd);
        UnregisterClassA("Shell_TrayWnd", GetModuleHandleA(NULL));
        s_active = NULL;
    }

    BOOL m_bAccept = FALSE;
    int m_nAddsRefused = 0;
    int m_nAddsAccepted = 0;
    int m_nDeletes = 0;
    int m_nCalls = 0;
    int m_nVersionCalls = 0;
    // One icon slot, as the shell keeps it: an add fails while it is held, a
    // change fails while it is not.
    BOOL m_bHeld = FALSE;
    HWND m_hWnd = NULL;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        FakeTray* t = s_active;
        if (msg == WM_COPYDATA && t) {
            const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            ++t->m_nCalls;
            BOOL held = t->m_bHeld;
            if (cds->dwData == NIM_ADD) {
                t->m_bHeld = held || t->m_bAccept;
                ++(t->m_bHeld && !held ? t->m_nAddsAccepted : t->m_nAddsRefused);
                return t->m_bHeld && !held;
            }
            if (cds->dwData == NIM_SETVERSION)
                ++t->m_nVersionCalls;
            if (cds->dwData == NIM_DELETE) {
                ++t->m_nDeletes;
                t->m_bHeld = FALSE;
            }
            return held;
        }
        return DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    static FakeTray* s_active;
};
FakeTray* FakeTray::s_active = NULL;

void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

}  // namespace

TEST_F(TrayDlgTest, IconRefusedAtStartIsAddedOnceTheTrayTakesIt)
{
    CString ini = WriteSettings("早すぎる", OwnExecutable());
    FakeTray tray;
    MessageBoxRecorder boxes;
    CTrayDlg dlg(ini);
    Open(dlg);
    if (tray.m_nAddsRefused == 0) {
        dlg.DestroyWindow();
        GTEST_SKIP() << "the platform did not hand the icon to this process's tray window";
    }

    // Refused at start: tried again about once a second, silently, still running.
    PumpFor(2600);
    EXPECT_GE(tray.m_nAddsRefused, 3);
    EXPECT_LE(tray.m_nAddsRefused, 5);
    EXPECT_EQ(0, tray.m_nAddsAccepted);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));

    // Once the tray takes the icon, the retries stop.
    tray.m_bAccept = TRUE;
    ASSERT_TRUE(PumpUntil([&] { return tray.m_nAddsAccepted > 0; }, 3000));
    int refused = tray.m_nAddsRefused;
    PumpFor(2300);
    EXPECT_EQ(1, tray.m_nAddsAccepted);
    EXPECT_EQ(refused, tray.m_nAddsRefused);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();

    dlg.DestroyWindow();
    EXPECT_EQ(1, tray.m_nDeletes);
}

TEST_F(TrayDlgTest, ShellAnnouncedDuringTheIconMessageGetsOneIconWithItsPicture)
{
    CString ini = WriteSettings("遅い網", m_folder.Sub("gone.exe"));
    FakeTray tray;
    tray.m_bAccept = TRUE;
    CTrayDlg dlg(ini);
    static HWND* s_phDlg;
    s_phDlg = &dlg.m_hWnd;
    // The icon message's modal loop delivers a shell's "TaskbarCreated".
    AfxMessageBoxHook previous = AfxSetMessageBoxHook([](HWND, LPCSTR, LPCSTR, UINT) {
        SendMessageA(*s_phDlg, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        return IDOK;
    });
    Open(dlg);
    AfxSetMessageBoxHook(previous);
    if (tray.m_nCalls == 0) {
        dlg.DestroyWindow();
        GTEST_SKIP() << "the platform did not hand the icon to this process's tray window";
    }
    // Only the add with the chosen picture and the request for version 4; no retry follows.
    EXPECT_EQ(2, tray.m_nCalls);
    EXPECT_EQ(1, tray.m_nVersionCalls);
    EXPECT_TRUE(dlg.m_bVersion4);
    EXPECT_TRUE(tray.m_bHeld);
    EXPECT_EQ(dlg.m_hDefaultIcon, dlg.m_nid.hIcon);
    PumpFor(3000);
    EXPECT_EQ(2, tray.m_nCalls);
    // A shell that starts again gets the icon and is asked for the version again.
    SendMessageA(dlg.m_hWnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(2, tray.m_nVersionCalls);
    dlg.DestroyWindow();
}

namespace {

int g_nLaunchBoxes = 0;
HWND g_hDoubleClicked = NULL;

}  // namespace

TEST_F(TrayDlgTest, DoubleClicksOnAFailingProgramStackNoBoxes)
{
    CString ini = WriteSettings("失敗", m_folder.Sub("gone.exe"));
    CTrayDlg dlg(ini);
    {
        MessageBoxRecorder quiet;
        Open(dlg);
    }
    g_nLaunchBoxes = 0;
    g_hDoubleClicked = dlg.m_hWnd;
    // While the box is up the user double-clicks twice more.
    AfxMessageBoxHook previous = AfxSetMessageBoxHook([](HWND, LPCSTR, LPCSTR, UINT) {
        if (++g_nLaunchBoxes == 1) {
            SendMessageA(g_hDoubleClicked, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
            SendMessageA(g_hDoubleClicked, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
        }
        return IDOK;
    });
    SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(1, g_nLaunchBoxes);
    // Once it is closed, the next failure shows its box again.
    SendMessageA(dlg.m_hWnd, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(2, g_nLaunchBoxes);
    AfxSetMessageBoxHook(previous);
    dlg.DestroyWindow();
}

TEST_F(TrayDlgTest, ChannelRequestsReachOnlyTheirOwnRegistration)
{
    CString ini = WriteSettings("元の名前", OwnExecutable());
    // Another Tavro folder with an entry folder of this one's name (ASCII, a temporary folder's).
    std::string own(ini.GetString());
    size_t end = own.rfind('\\');
    std::string otherIni = own.substr(own.rfind('\\', end - 1) + 1);
    TempFolder otherTool;
    ASSERT_TRUE(otherTool.MakeFolder(otherIni.substr(0, otherIni.find('\\')).c_str()));
    ASSERT_TRUE(otherTool.WriteFile(otherIni.c_str(), "[data]\r\ndispname=x\r\n"));
    CTrayDlg dlg(ini);
    Open(dlg);
    ASSERT_TRUE(WaitForTray(dlg.m_hWnd)) << kNoTray;
    NOTIFYICONDATAA added = dlg.m_nid;
    ASSERT_TRUE(PumpUntil([&] { return IconInTray(added); }));

    // Anything but a well-formed request is ignored: answer 0, nothing done.
    CResidentChannel::Payload good;
    ZeroMemory(&good, sizeof(good));
    good.nMagic = 0x31525654;
    good.nRequest = CResidentChannel::RequestEnd;
    CResidentChannel::KeyOf(ini, good.key);
    lstrcpyA(good.szPath, ini);
    good.cbPath = static_cast<DWORD>(ini.GetLength() + 1);
    const DWORD header = offsetof(CResidentChannel::Payload, szPath);
    struct Bad { const char* name; DWORD tag; DWORD size; void (*spoil)(CResidentChannel::Payload&); } bads[] = {
        { "other tag", 1, 0, NULL },
        { "header only", CResidentChannel::kDataTag, header, NULL },
        { "longer than a payload", CResidentChannel::kDataTag, sizeof(good) + 1, NULL },
        { "size and path length disagree", CResidentChannel::kDataTag, header + 3, NULL },
        { "other magic", CResidentChannel::kDataTag, 0, [](CResidentChannel::Payload& p) { p.nMagic++; } },
        { "request 0", CResidentChannel::kDataTag, 0, [](CResidentChannel::Payload& p) { p.nRequest = 0; } },
        { "request 5", CResidentChannel::kDataTag, 0, [](CResidentChannel::Payload& p) { p.nRequest = 5; } },
        { "unterminated", CResidentChannel::kDataTag, 0,
          [](CResidentChannel::Payload& p) { p.szPath[p.cbPath - 1] = 'x'; } },
        { "terminator inside", CResidentChannel::kDataTag, 0, [](CResidentChannel::Payload& p) { p.szPath[2] = 0; } },
        { "oversize path", CResidentChannel::kDataTag, sizeof(good),
          [](CResidentChannel::Payload& p) { p.cbPath = MAX_PATH + 1; } },
    };
    for (const Bad& bad : bads) {
        CResidentChannel::Payload payload = good;
        if (bad.spoil)
            bad.spoil(payload);
        COPYDATASTRUCT data = { bad.tag, bad.size ? bad.size : header + payload.cbPath, &payload };
        EXPECT_EQ(0, SendMessageA(dlg.m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data))) << bad.name;
    }
    PumpMessages();
    EXPECT_TRUE(IconInTray(added));

    // Another Tavro folder's registration of the same name is not this one.
    CResidentChannel::Outcome other = CResidentChannel(otherTool.Sub(otherIni.c_str())).Send(
        CResidentChannel::RequestEnd, 1000);
    EXPECT_EQ(0, other.nTaken);
    EXPECT_EQ(0, other.nSilent);
    PumpMessages();
    EXPECT_TRUE(IconInTray(added));

    // An edit: new values in the same icon, reached by another form of the path.
    WriteSettings("新しい名前", OwnExecutable(), FALSE, "", "C:\\new", "-n");
    CString upper = ini;
    upper.MakeUpper();
    EXPECT_EQ(1, CResidentChannel(upper).NotifyReload());
    ASSERT_TRUE(PumpUntil([&] { return dlg.m_strDispName == "新しい名前"; }));
    EXPECT_STREQ("新しい名前", dlg.m_nid.szTip);
    EXPECT_STREQ("-n", dlg.m_strCmdLine);
    EXPECT_EQ(added.uID, dlg.m_nid.uID);

    // A second start finds the icon gone from the tray: it comes back.
    Shell_NotifyIconA(NIM_DELETE, &added);
    EXPECT_EQ(1, CResidentChannel(ini).Send(CResidentChannel::RequestShow, 1000).nTaken);
    EXPECT_TRUE(IconInTray(added));

    // A removal: the key taken before the file went still names it.
    CResidentChannel channel(ini);
    DeleteFileA(ini);
    EXPECT_EQ(1, channel.Send(CResidentChannel::RequestEnd, 0).nTaken);
    EXPECT_TRUE(PumpUntil([&] { return !IconInTray(added); }));
    dlg.DestroyWindow();
}
