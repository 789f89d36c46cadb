#include "CTavroCoreApp.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CRegistLayout.h"
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
    CTrayDlg dlg(iniPath);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = NULL;
    return FALSE;
}
