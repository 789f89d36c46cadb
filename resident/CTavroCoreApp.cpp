#include "CTavroCoreApp.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CRegistLayout.h"
#include "CResidentChannel.h"
#include "CTrayDlg.h"
#include "PathUtil.h"

CTavroCoreApp::CTavroCoreApp()
    : CWinApp(NULL)
{
}

BOOL CTavroCoreApp::ParseCommandLine(LPCSTR pszCommandLine, CString& strIniPath)
{
    // The search starts on character boundaries only: a lead byte followed by
    // '/' must not be read as the start of the keyword. The path runs to the
    // end of the line and needs no quotes, so nothing is trimmed or unquoted.
    return CRegistLayout::IniPathOf(CString(pszCommandLine), strIniPath);
}

BOOL CTavroCoreApp::MakeOwnFolderCurrent()
{
    // Started from its shortcut, the resident would keep the entry folder (the
    // shortcut's working folder) as its current folder for its whole life, and
    // a folder that is any process's current folder cannot be removed: the
    // registration could then not be deleted while its icon is in the tray.
    CString module;
    if (!AfxGetModulePath(NULL, module))
        return FALSE;
    CString folder = GetDirPart(module);
    return !folder.IsEmpty() && SetCurrentDirectoryA(folder);
}

BOOL CTavroCoreApp::InitInstance()
{
    CString iniPath;
    if (!ParseCommandLine(GetCommandLineA(), iniPath)) {
        AfxMessageBox(IDS_MSG_DIRECT_START, MB_OK);
        return FALSE;
    }
    MakeOwnFolderCurrent();
    // A Startup shortcut left from a registration deleted elsewhere names a
    // file that is gone: no icon for it, and the user learns why.
    CResidentChannel::Key key;
    if (!CResidentChannel::KeyOf(iniPath, key)) {
        AfxMessageBox(IDS_MSG_REGISTRATION_GONE, MB_OK);
        return FALSE;
    }
    HANDLE hClaim = NULL;
    if (!ClaimRegistration(key, hClaim)) {
        // Its resident runs: it puts its icon back should the tray have lost
        // it; this start shows nothing and ends.
        CResidentChannel(iniPath).Send(CResidentChannel::RequestShow, CResidentChannel::kDefaultTimeoutMs);
        return FALSE;
    }
    CTrayDlg dlg(iniPath);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = NULL;
    CloseHandle(hClaim);
    return FALSE;
}

BOOL CTavroCoreApp::ClaimRegistration(const CResidentChannel::Key& key, HANDLE& hClaim)
{
    char name[MAX_PATH];
    CResidentChannel::ObjectName(key, name, sizeof(name));
    hClaim = CreateMutexA(NULL, FALSE, name);
    // A name held by an object this process may not open is taken all the same.
    if (hClaim && GetLastError() != ERROR_ALREADY_EXISTS)
        return TRUE;
    if (hClaim)
        CloseHandle(hClaim);
    hClaim = NULL;
    return FALSE;
}
