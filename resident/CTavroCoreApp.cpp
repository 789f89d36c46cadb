#include "CTavroCoreApp.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CTrayDlg.h"

static const char kIniKeyword[] = "/INI=";

CTavroCoreApp::CTavroCoreApp()
    : CWinApp(NULL)
{
}

BOOL CTavroCoreApp::ParseCommandLine(LPCSTR pszCommandLine, CString& strIniPath)
{
    // The search starts on character boundaries only: a lead byte followed by
    // '/' must not be read as the start of the keyword. The path runs to the
    // end of the line and needs no quotes, so nothing is trimmed or unquoted.
    CString line(pszCommandLine);
    int pos = line.Find(kIniKeyword);
    if (pos < 0)
        return FALSE;
    strIniPath = line.Mid(pos + static_cast<int>(sizeof(kIniKeyword) - 1));
    return TRUE;
}

BOOL CTavroCoreApp::InitInstance()
{
    CString iniPath;
    if (!ParseCommandLine(GetCommandLineA(), iniPath)) {
        AfxMessageBox(IDS_MSG_DIRECT_START, MB_OK);
        return FALSE;
    }
    CTrayDlg dlg(iniPath);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = NULL;
    return FALSE;
}
