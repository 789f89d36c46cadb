// The resident's invisible owner dialog: it holds one registration, shows its
// icon in the task tray and answers the icon's clicks and popup menu.
#pragma once

#include "CDialog.h"
#include "CResidentChannel.h"

// Callback message of the tray icon.
#define WM_TRAYNOTIFY (WM_USER + 100)
// Requests a resident has taken and carries out once it has answered.
#define WM_RESIDENT_RELOAD (WM_APP + 1)
#define WM_RESIDENT_END (WM_APP + 2)

class CTrayDlg : public CDialog
{
public:
    // pszIniPath: the settings file named on the command line.
    explicit CTrayDlg(LPCSTR pszIniPath, CWnd* pParent = NULL);
    virtual ~CTrayDlg();

    // Chooses m_hTrayIcon: 0 when the registration's icon was obtained, 1 when
    // the resident's own icon stands in (after a message saying why).
    int AcquireIcon();
    // Fills m_nid and adds the icon; TRUE when the shell took it.
    BOOL AddNotifyIcon();
    void RemoveNotifyIcon();
    // The icon's events arrive in the low word of lParam; with the current
    // protocol wParam carries the point the menu belongs at. Always 0.
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    // Opens the registered file; 1 when a failure message was shown, else 0.
    int LaunchProgram();
    // Shows the launch failure message for a shell result of 32 or less
    // (returns 1); results above 32 are successes (returns 0). The box belongs
    // to the resident's own hidden window, or to none before there is one.
    static int ReportLaunchError(int nResult);

    // Copies text into a tip field of cbTip bytes: as many whole characters
    // as fit before the terminator, never half a double-byte character.
    static void CopyTip(LPSTR pszTip, int cbTip, LPCSTR pszText);
    // The command that starts the registration tool: the quoted full path of
    // Tavro.Exe beside the module pszModulePath. FALSE when the path would not
    // fit a path buffer.
    static BOOL BuildToolCommand(LPCSTR pszModulePath, CString& strCommand);
    // The display name as a menu item shows it: every "&" doubled, so that
    // "A & B" reads as written instead of underlining the blank.
    static CString EscapeMenuText(LPCSTR pszText);

    // A request of the channel (WM_COPYDATA): kTaken when it names this
    // resident's settings file, kNotMine for another's, 0 for anything that
    // is no well-formed request.
    LRESULT OnCopyData(const COPYDATASTRUCT* pData);
    // Reads the settings file again and shows its values in the same icon.
    void OnReload();
    // Removes the icon and ends, closing any message box of the resident.
    void OnEndRequest();

    NOTIFYICONDATAA m_nid;
    HICON m_hTrayIcon;
    CString m_strDispName;
    CString m_strIniPath;
    CString m_strProgram;
    CString m_strCmdLine;
    CString m_strWorkDir;
    CString m_strIconPath;
    int m_nLaunchResult;
    BOOL m_bOrgIcon;
    // The resident's own icon in tray size; owned by the dialog object.
    HICON m_hDefaultIcon;
    // Whether the shell took NOTIFYICON_VERSION_4: then the menu comes with
    // WM_CONTEXTMENU; without it, on the right button's press as always.
    BOOL m_bVersion4;

protected:
    virtual BOOL OnInitDialog();
    virtual BOOL OnCommand(UINT nID, UINT nCode, HWND hControl);
    virtual void OnDestroy();
    virtual BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    void OnSize(UINT nType, int cx, int cy);
    void OnWindowPosChanging(WINDOWPOS* pPos);
    void OnLaunch();
    void OnExit();
    void OnRegist();
    void OnTimer(UINT_PTR nIDEvent);
    // The shell's tray was (re)created: put the icon into it again.
    void OnTaskbarCreated();

private:
    // Opens the menu at pt (screen coordinates).
    void ShowPopupMenu(POINT pt);
    // Enter or space on the icon chosen by keyboard.
    void OnKeySelect();
    // Asks the shell for the current protocol: keyboard use and WM_CONTEXTMENU.
    void AskForVersion4();
    // Adds the icon, or changes it when the shell already holds it; retried
    // once a second until the shell takes it.
    void PutIconInTray();
    void StartAddRetry();
    void StopAddRetry();

    // Window icons for the task list; shared resource icon, never destroyed.
    HICON m_hWindowIcon;
    // "TaskbarCreated", broadcast by a shell that starts (again).
    UINT m_uTaskbarCreated;
    BOOL m_bRetryTimer;
    // Set once OnInitDialog has chosen the picture. Until then "TaskbarCreated"
    // and the timer leave the tray alone: the modal loop of an icon message
    // delivers them before there is a picture to show.
    BOOL m_bIconChosen;
    // Whether a request's key or path names this resident's settings file.
    BOOL IsOwnRegistration(const CResidentChannel::Key& key, LPCSTR pszPath) const;
    // Changes the icon in the tray to the current picture and tip.
    void ModifyNotifyIcon();

    // The settings file's key, taken when the dialog starts.
    CResidentChannel::Key m_key;
    // Set once an end was asked for: nothing puts the icon back after that.
    BOOL m_bEnding;
    // GetTickCount of the last keyboard launch: Enter reaches a program as
    // two NIN_KEYSELECT in a row, which must not start it twice.
    DWORD m_dwLastKeySelect;
};
