#include "CTrayDlg.h"
#include "AfxMessageBox.h"
#include "CComApartment.h"
#include "CTrayIconId.h"
#include "CMenu.h"
#include "CRegistEntry.h"
#include "CRegistLayout.h"
#include "CShellIcon.h"
#include "CShellItemLaunch.h"
#include "CWinApp.h"
#include "PathUtil.h"
#include "resource.h"

#include <climits>
#include <windowsx.h>

// The shell reads the tip of the first record form only: 64 bytes with the
// terminator, although the declared field is longer.
static const int kTipBytes = 64;
// Distance that keeps the window out of sight until it is hidden.
static const int kOffscreen = 10000;
// A tray that is not there yet (the shell still starting) is asked again.
static const UINT_PTR kAddRetryTimer = 1;
static const UINT kAddRetryMs = 1000;
static const char kToolName[] = "Tavro.Exe";

CTrayDlg::CTrayDlg(LPCSTR pszIniPath, CWnd* pParent)
    : CDialog(IDD_TRAY, pParent),
      m_hTrayIcon(NULL),
      m_strIniPath(pszIniPath),
      m_nLaunchResult(0),
      m_bOrgIcon(FALSE),
      m_hDefaultIcon(NULL),
      m_bVersion4(FALSE),
      m_hWindowIcon(NULL),
      m_uTaskbarCreated(RegisterWindowMessageA("TaskbarCreated")),
      m_bRetryTimer(FALSE),
      m_bIconChosen(FALSE),
      m_bEnding(FALSE),
      m_dwLastKeySelect(0)
{
    ZeroMemory(&m_nid, sizeof(m_nid));
    ZeroMemory(&m_key, sizeof(m_key));
    // The tray shows small icons: load the resident's icon at that size from
    // its 16 and 32 pixel images rather than let the shell shrink the large one.
    LPCSTR name = MAKEINTRESOURCEA(IDI_RESIDENT);
    HINSTANCE hRes = AfxFindResourceHandle(name, RT_GROUP_ICON);
    m_hDefaultIcon = static_cast<HICON>(LoadImageA(hRes, name, IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    // The window's large icon: shared at the system's large size, never released.
    m_hWindowIcon = static_cast<HICON>(LoadImageA(hRes, name, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), LR_SHARED));
}

CTrayDlg::~CTrayDlg()
{
    if (m_hDefaultIcon)
        DestroyIcon(m_hDefaultIcon);
}

BOOL CTrayDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    EntryFields fields = { m_strDispName, m_strProgram, m_strCmdLine,
                           m_strWorkDir, m_strIconPath, m_bOrgIcon };
    LoadEntryFields(m_strIniPath, fields);
    CResidentChannel::KeyOf(m_strIniPath, m_key);

    SetIcon(m_hWindowIcon, TRUE);
    SetIcon(m_hDefaultIcon, FALSE);

    AcquireIcon();
    m_bIconChosen = TRUE;
    PutIconInTray();

    RECT rect;
    GetWindowRect(&rect);
    OffsetRect(&rect, -kOffscreen, -kOffscreen);
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    // The window is never shown (OnWindowPosChanging); moving it away and
    // the minimise message only make sure of that should a show slip through.
    PostMessage(WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(16, 16));
    // No focus for a window that is never shown: taking it would activate the
    // window, take the activation from what the user works in (30 residents
    // at logon), and make the input method set up COM in every resident.
    return FALSE;
}

BOOL CTrayDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (m_uTaskbarCreated != 0 && msg == m_uTaskbarCreated) {
        OnTaskbarCreated();
        return FALSE;
    }
    switch (msg) {
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        lResult = 0;
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return FALSE;
    case WM_TRAYNOTIFY:
        lResult = OnTrayNotify(wParam, lParam);
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        lResult = 0;
        return TRUE;
    case WM_COPYDATA:
        lResult = OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    case WM_RESIDENT_RELOAD:
        OnReload();
        lResult = 0;
        return TRUE;
    case WM_RESIDENT_END:
        OnEndRequest();
        lResult = 0;
        return TRUE;
    default:
        return CDialog::OnMessage(msg, wParam, lParam, lResult);
    }
}

void CTrayDlg::OnSize(UINT nType, int cx, int cy)
{
    Default(WM_SIZE, nType, MAKELPARAM(cx, cy));
    if (nType == SIZE_MINIMIZED)
        ShowWindow(SW_HIDE);
}

void CTrayDlg::OnWindowPosChanging(WINDOWPOS* pPos)
{
    // The modal loop shows its dialog when the queue first runs empty, template
    // style or not. The window only hosts the icon: every request to show it
    // is dropped from creation on, so no taskbar button ever flashes at logon,
    // and it does not take the activation from what the user works in.
    if (pPos && (pPos->flags & SWP_SHOWWINDOW)) {
        pPos->flags &= ~SWP_SHOWWINDOW;
        pPos->flags |= SWP_NOACTIVATE;
    }
}

BOOL CTrayDlg::OnCommand(UINT nID, UINT nCode, HWND hControl)
{
    switch (nID) {
    case ID_APP_LAUNCH:
        OnLaunch();
        return TRUE;
    case ID_APP_QUIT:
        OnExit();
        return TRUE;
    case ID_APP_REGIST:
        OnRegist();
        return TRUE;
    default:
        return CDialog::OnCommand(nID, nCode, hControl);
    }
}

void CTrayDlg::OnDestroy()
{
    CDialog::OnDestroy();
    StopAddRetry();
    // The resident's own icon belongs to the object and may still be needed
    // by it; only an extracted icon is released here.
    if (m_hTrayIcon && m_hTrayIcon != m_hDefaultIcon)
        DestroyIcon(m_hTrayIcon);
    m_hTrayIcon = NULL;
    RemoveNotifyIcon();
}

// The file's first icon at the tray's small size, taken from the file's own
// small image instead of the shell shrinking the large one; NULL when the file
// has no icon or is not one that holds icons.
static HICON ExtractSmallIcon(LPCSTR pszPath)
{
    HICON hSmall = NULL;
    UINT nCount = ExtractIconExA(GetNativeViewPath(pszPath), 0, NULL, &hSmall, 1);
    if (nCount == 0 || nCount == UINT_MAX)
        return NULL;
    return hSmall;
}

int CTrayDlg::AcquireIcon()
{
    if (CRegistLayout::UsesOwnIcon(m_bOrgIcon, m_strIconPath)) {
        // The chosen icon file failed: the user asked for that icon, so the
        // program's own is not taken as a silent substitute.
        HICON hIcon = ExtractSmallIcon(m_strIconPath);
        // A source that holds no icon of its own (the document itself, a
        // script, a bare "rundll32.exe") shows the icon Explorer shows for
        // the registered file, without a message at every logon.
        if (!hIcon && CShellIcon::StandsForFile(m_strIconPath, m_strProgram))
            hIcon = CShellIcon::Load(m_strProgram, TRUE);
        if (hIcon) {
            m_hTrayIcon = hIcon;
            return 0;
        }
        AfxMessageBox(IDS_MSG_ICON_NOT_LOADED, MB_OK);
        m_hTrayIcon = m_hDefaultIcon;
        return 1;
    }
    HICON hIcon = ExtractSmallIcon(m_strProgram);
    // A script holds no icon: an earlier version stored it with the flag
    // clear; it shows the shell's icon for it, as a new registration does.
    if (!hIcon && CShellIcon::IsScript(m_strProgram))
        hIcon = CShellIcon::Load(m_strProgram, TRUE);
    if (hIcon) {
        m_hTrayIcon = hIcon;
        return 0;
    }
    AfxMessageBox(IDS_MSG_PROGRAM_ICON_NOT_FOUND, MB_OK);
    m_hTrayIcon = m_hDefaultIcon;
    return 1;
}

void CTrayDlg::CopyTip(LPSTR pszTip, int cbTip, LPCSTR pszText)
{
    if (cbTip <= 0)
        return;
    int used = 0;
    const char* p = pszText ? pszText : "";
    while (*p) {
        // A lead byte without its trail byte (a value cut elsewhere) is not a
        // character either.
        int step = IsDBCSLeadByte(static_cast<BYTE>(*p)) ? 2 : 1;
        if (step == 2 && p[1] == '\0')
            break;
        if (used + step > cbTip - 1)
            break;
        for (int i = 0; i < step; ++i)
            pszTip[used++] = p[i];
        p += step;
    }
    pszTip[used] = '\0';
}

BOOL CTrayDlg::AddNotifyIcon()
{
    ZeroMemory(&m_nid, sizeof(m_nid));
    // The record reaches uVersion, which NIM_SETVERSION reads; it ends before
    // the GUID, which is not used: Windows ties a GUID to the program's path.
    m_nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    m_nid.hWnd = m_hWnd;
    // The registration's own id, as its layout gives it.
    CRegistLayout layout;
    m_nid.uID = CRegistLayout::FromSettingsPath(m_strIniPath, layout) ? layout.TrayIconId()
                                                                       : CTrayIconId::ForSettingsFile(m_strIniPath);
    // With version 4 the shell shows the tip only when asked to.
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = m_hTrayIcon;
    m_nid.uVersion = NOTIFYICON_VERSION_4;
    CopyTip(m_nid.szTip, kTipBytes, m_strDispName);
    return Shell_NotifyIconA(NIM_ADD, &m_nid);
}

void CTrayDlg::AskForVersion4()
{
    // A shell without it keeps sending the plain mouse messages.
    m_nid.uVersion = NOTIFYICON_VERSION_4;
    m_bVersion4 = Shell_NotifyIconA(NIM_SETVERSION, &m_nid);
}

void CTrayDlg::RemoveNotifyIcon()
{
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
}

void CTrayDlg::StartAddRetry()
{
    if (!m_bRetryTimer && SetTimer(m_hWnd, kAddRetryTimer, kAddRetryMs, NULL))
        m_bRetryTimer = TRUE;
}

void CTrayDlg::StopAddRetry()
{
    if (m_bRetryTimer)
        KillTimer(m_hWnd, kAddRetryTimer);
    m_bRetryTimer = FALSE;
}

void CTrayDlg::PutIconInTray()
{
    if (m_bEnding)
        return;
    // A restarted shell has forgotten the icon; a shell that only re-announced
    // itself still has it, and then NIM_ADD fails where NIM_MODIFY works.
    // The version belongs to the icon: a new one is asked for it again.
    if (AddNotifyIcon() || Shell_NotifyIconA(NIM_MODIFY, &m_nid)) {
        StopAddRetry();
        AskForVersion4();
    } else {
        StartAddRetry();
    }
}

void CTrayDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kAddRetryTimer && m_bIconChosen)
        PutIconInTray();
}

void CTrayDlg::OnTaskbarCreated()
{
    if (m_bIconChosen)
        PutIconInTray();
}

LRESULT CTrayDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    // Version 4 puts the icon's id into the high word; the old protocol sends
    // the bare message, which fits the low word.
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDBLCLK:
        LaunchProgram();
        break;
    case NIN_KEYSELECT:
        OnKeySelect();
        break;
    case WM_CONTEXTMENU:
        // Right button released, Shift+F10 or the menu key: at the point the
        // shell gives, the icon's place for the keyboard.
        if (m_bVersion4) {
            POINT pt = { GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam) };
            ShowPopupMenu(pt);
        }
        break;
    case WM_RBUTTONDOWN:
        // Only where the shell does not speak version 4: there the menu still
        // opens on the press, at the cursor, as it always has.
        if (!m_bVersion4) {
            POINT pt = { 0, 0 };
            GetCursorPos(&pt);
            ShowPopupMenu(pt);
        }
        break;
    default:
        break;
    }
    return 0;
}

void CTrayDlg::OnKeySelect()
{
    DWORD now = GetTickCount();
    if (m_dwLastKeySelect != 0 && now - m_dwLastKeySelect < GetDoubleClickTime())
        return;
    m_dwLastKeySelect = now;
    LaunchProgram();
}

void CTrayDlg::ShowPopupMenu(POINT pt)
{
    // Loaded anew for every display, so the launch item shows the name as it is now.
    CMenu menu;
    menu.LoadMenu(IDR_TRAYMENU);
    CString text;
    text.Format(IDS_MENU_LAUNCH, static_cast<LPCSTR>(EscapeMenuText(m_strDispName)));
    menu.ModifyMenu(ID_APP_LAUNCH, MF_BYCOMMAND | MF_STRING, ID_APP_LAUNCH, text);
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup) {
        // Without the foreground the menu would not close on a click elsewhere;
        // the posted WM_NULL lets a second right click open it again at once.
        SetForegroundWindow();
        SetFocus();
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, m_hWnd);
        PostMessage(WM_NULL, 0, 0);
    }
    menu.DestroyMenu();
}

void CTrayDlg::OnLaunch()
{
    LaunchProgram();
}

void CTrayDlg::OnExit()
{
    EndDialog(0);
}

BOOL CTrayDlg::BuildToolCommand(LPCSTR pszModulePath, CString& strCommand)
{
    // ReverseFind walks characters: a 0x5C trail byte (表, ソ) is no separator.
    CString module(pszModulePath);
    int slash = module.ReverseFind('\\');
    if (slash < 0)
        return FALSE;
    CString path = module.Left(slash + 1) + kToolName;
    if (path.GetLength() >= MAX_PATH)
        return FALSE;
    strCommand = "\"" + path + "\"";
    return TRUE;
}

void CTrayDlg::OnRegist()
{
    // The tool lies beside the resident. Its full path, quoted, keeps WinExec
    // from searching the current folder for a program of that name.
    // Read whole: a cut or best-fit path would name a program in another folder.
    CString module;
    CString command;
    if (!AfxGetModulePath(NULL, module) || module.GetLength() >= MAX_PATH ||
        !BuildToolCommand(module, command)) {
        AfxMessageBox(IDS_MSG_TOOL_MISSING, MB_OK);
        return;
    }
    // The command is the quoted path: the path is what lies between the quotes.
    CString path = command.Mid(1, command.GetLength() - 2);
    if (!FileExists(path) || WinExec(command, SW_SHOW) <= 31)
        AfxMessageBox(IDS_MSG_TOOL_MISSING, MB_OK);
}

CString CTrayDlg::EscapeMenuText(LPCSTR pszText)
{
    // By character, although '&' is never a trail byte: a text walked one way.
    CString escaped;
    for (LPCSTR p = pszText ? pszText : ""; *p;) {
        LPCSTR pNext = CharNextA(p);
        if (*p == '&')
            escaped += '&';
        escaped += CString(p, static_cast<int>(pNext - p));
        p = pNext;
    }
    return escaped;
}

BOOL CTrayDlg::IsOwnRegistration(const CResidentChannel::Key& key, LPCSTR pszPath) const
{
    // The key decides where both sides have one; a sender that no longer
    // finds the file (or a resident that never did) compares the paths.
    if (m_key.nKind != 0 && key.nKind != 0)
        return CResidentChannel::SameKey(m_key, key);
    return pszPath[0] != '\0' && IsSameFile(pszPath, m_strIniPath);
}

LRESULT CTrayDlg::OnCopyData(const COPYDATASTRUCT* pData)
{
    CResidentChannel::Request request;
    CResidentChannel::Key key;
    char path[MAX_PATH];
    if (!CResidentChannel::Parse(pData, request, key, path))
        return 0;
    if (!IsOwnRegistration(key, path))
        return CResidentChannel::kNotMine;
    // Ending already: only an end is done (it is under way); a reload or a
    // second start is not, and the sender must not be told otherwise.
    if (m_bEnding && request != CResidentChannel::RequestEnd)
        return 0;
    // The sender waits for the answer: whatever may show a message box is
    // done after it, from the queue.
    switch (request) {
    case CResidentChannel::RequestReload:
        PostMessage(WM_RESIDENT_RELOAD, 0, 0);
        break;
    case CResidentChannel::RequestEnd:
        PostMessage(WM_RESIDENT_END, 0, 0);
        break;
    case CResidentChannel::RequestShow:
        // A second start: the icon comes back if the tray lost it.
        if (m_bIconChosen)
            PutIconInTray();
        break;
    default:
        break;
    }
    return CResidentChannel::kTaken;
}

void CTrayDlg::ModifyNotifyIcon()
{
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    m_nid.hIcon = m_hTrayIcon;
    CopyTip(m_nid.szTip, kTipBytes, m_strDispName);
    // The same icon, changed in place: it keeps its place and the user's
    // choice to show it. A tray that lost it gets it added.
    if (!Shell_NotifyIconA(NIM_MODIFY, &m_nid))
        PutIconInTray();
}

void CTrayDlg::OnReload()
{
    if (m_bEnding || !m_bIconChosen)
        return;
    // A settings file that is gone (a removal under way) leaves the values
    // as they are; its end request follows.
    DWORD attributes = GetFileAttributesA(m_strIniPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    EntryFields fields = { m_strDispName, m_strProgram, m_strCmdLine,
                           m_strWorkDir, m_strIconPath, m_bOrgIcon };
    LoadEntryFields(m_strIniPath, fields);
    HICON hOld = m_hTrayIcon;
    AcquireIcon();
    ModifyNotifyIcon();
    if (hOld && hOld != m_hDefaultIcon && hOld != m_hTrayIcon)
        DestroyIcon(hOld);
}

// Closes the resident's message boxes (launch error, icon messages): their
// loops would otherwise keep the dialog's end waiting for the user.
static BOOL CALLBACK CloseOwnBox(HWND hWnd, LPARAM lParam)
{
    char cls[16];
    if (hWnd != reinterpret_cast<HWND>(lParam) && GetClassNameA(hWnd, cls, sizeof(cls)) &&
        lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hWnd))
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    return TRUE;
}

void CTrayDlg::OnEndRequest()
{
    m_bEnding = TRUE;
    StopAddRetry();
    RemoveNotifyIcon();
    EndMenu();
    EnumThreadWindows(GetCurrentThreadId(), CloseOwnBox, reinterpret_cast<LPARAM>(m_hWnd));
    EndDialog(0);
}

int CTrayDlg::LaunchProgram()
{
    // The work folder goes to the shell only: the resident's own current
    // folder stays its own, since a folder held as a current folder cannot be
    // removed (and the tool opened from the menu starts in it). With an empty
    // work folder the program starts in the resident's folder.
    if (m_strProgram.IsEmpty()) {
        // An empty file would make the shell open the work folder instead.
        m_nLaunchResult = SE_ERR_FNF;
    } else {
        // Started through the path a 64-bit program would use: the user chose
        // that file, not its 32-bit twin in SysWOW64.
        // The default verb, as a double click in Explorer; "open" where the type has none.
        // The shell may hand the file to a handler it reaches through COM
        // (a shortcut to an app or another shell item, a DelegateExecute verb).
        CComApartment::Enter();
        CString program = GetNativeViewPath(m_strProgram);
        HINSTANCE hResult = ShellExecuteA(m_hWnd, NULL, program, m_strCmdLine, m_strWorkDir, SW_SHOWNORMAL);
        // The result is a code, not a handle: 0 to 32 are failures, anything
        // else (read unsigned, as the shell defines it) a success, kept within an int.
        UINT_PTR value = reinterpret_cast<UINT_PTR>(hResult);
        m_nLaunchResult = value > static_cast<UINT_PTR>(INT_MAX) ? INT_MAX : static_cast<int>(value);
        // A shell that opens shortcuts only by their file path (Wine) finds
        // no association for one to a shell item; its item id list opens it.
        if (m_nLaunchResult == SE_ERR_NOASSOC)
            m_nLaunchResult = CShellItemLaunch::OpenLinkItem(m_hWnd, program, m_strCmdLine, m_strWorkDir,
                                                             SE_ERR_NOASSOC);
    }
    return ReportLaunchError(m_nLaunchResult);
}

// The resident's own hidden window, so that the box belongs to this program
// and not to the desktop; none while there is no window yet.
static HWND LaunchErrorOwner()
{
    CWinApp* pApp = AfxGetApp();
    CWnd* pMain = pApp ? pApp->m_pMainWnd : NULL;
    return pMain ? pMain->m_hWnd : NULL;
}

int CTrayDlg::ReportLaunchError(int nResult)
{
    if (nResult > 32)
        return 0;
    // One box at a time: double clicks while it is up would stack one box
    // per click. The failure is counted as shown; the open box says it.
    static BOOL s_bShowing = FALSE;
    if (s_bShowing)
        return 1;
    s_bShowing = TRUE;
    CString text;
    text.Format(IDS_MSG_LAUNCH_ERROR, nResult);
    CString caption;
    caption.LoadString(IDS_LAUNCH_ERROR_CAPTION);
    AfxShowMessageBox(LaunchErrorOwner(), text, caption, MB_OK | MB_ICONEXCLAMATION);
    s_bShowing = FALSE;
    return 1;
}
