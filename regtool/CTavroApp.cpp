#include "CTavroApp.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CMovedFolderRepair.h"
#include "CRegistLayout.h"
#include "PathUtil.h"
#include "CWelcomeDlg.h"

const char CTavroApp::kMutexName[] = "TavroMutex";

CTavroApp::CTavroApp()
    : CWinApp(NULL), m_hMutex(NULL)
{
}

BOOL CTavroApp::InitInstance()
{
    AfxEnableControlContainer();
    if (!ClaimSingleInstance())
        return FALSE;
    if (!CheckModulePath())
        return FALSE;
    CheckResidentBeside();
    // Before the main dialog: after the tool's folder has moved, every
    // shortcut of its registrations still names the old place.
    CMovedFolderRepair repair;
    repair.Run();
    Enable3dControls();
    RunMainDialog();
    return FALSE;
}

int CTavroApp::ExitInstance()
{
    if (m_hMutex) {
        // The mutex is never owned: closing the handle is what ends the mark.
        CloseHandle(m_hMutex);
        m_hMutex = NULL;
    }
    return CWinApp::ExitInstance();
}

BOOL CTavroApp::ClaimSingleInstance()
{
    // One call both looks and creates: two starts at the same instant cannot
    // both find the name free.
    HANDLE hMutex = CreateMutexA(NULL, FALSE, kMutexName);
    DWORD dwError = GetLastError();
    // ERROR_ACCESS_DENIED: the mutex exists but was made under other rights.
    BOOL bRunning = (hMutex && dwError == ERROR_ALREADY_EXISTS)
                    || (!hMutex && dwError == ERROR_ACCESS_DENIED);
    if (bRunning) {
        AfxMessageBox(IDS_MSG_ALREADY_RUNNING, MB_OK, 0);
        if (hMutex)
            CloseHandle(hMutex);
        return FALSE;
    }
    m_hMutex = hMutex;
    return TRUE;
}

BOOL CTavroApp::CheckModulePath()
{
    // Every entry path is built from this folder: one the code page cannot
    // name exactly would be read as another, existing folder.
    CString path;
    if (!AfxGetModulePath(AfxGetInstanceHandle(), path)) {
        AfxMessageBox(IDS_MSG_TOOL_FOLDER_UNREPRESENTABLE, MB_OK, 0);
        return FALSE;
    }
    if (path.GetLength() < MAX_PATH)
        return TRUE;
    AfxMessageBox(IDS_MSG_TOOL_FOLDER_TOO_LONG, MB_OK, 0);
    return FALSE;
}

void CTavroApp::CheckResidentBeside()
{
    // Opened from inside the zip, Windows extracts only the started program
    // into a temporary folder: a registration made there would start nothing.
    // The tool still runs (a deletion needs no resident); commits are refused.
    CRegistLayout layout(GetModuleDir(), "");
    if (!FileExists(layout.ResidentPath()))
        AfxMessageBox(IDS_MSG_RESIDENT_MISSING, MB_OK, 0);
}

void CTavroApp::RunMainDialog()
{
    CWelcomeDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = NULL;
}
