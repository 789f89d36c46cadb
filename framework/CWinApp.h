// The application object: one global instance per program. The framework's
// WinMain (AfxWinMain) runs InitInstance, then ExitInstance when it returns FALSE.
#pragma once

#include "CString.h"

class CWnd;

class CWinApp
{
public:
    // The title is the executable's file name without extension when no name is given.
    explicit CWinApp(LPCSTR pszAppName = NULL);
    virtual ~CWinApp();

    // TRUE enters the message loop (Run); FALSE ends the program through ExitInstance.
    virtual BOOL InitInstance();
    // Returns the process exit code.
    virtual int ExitInstance();
    // Message loop until WM_QUIT; returns ExitInstance's code.
    virtual int Run();

    HICON LoadIcon(UINT nIDResource) const;

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;
    CString m_strAppName;

private:
    CWinApp(const CWinApp&);
    CWinApp& operator=(const CWinApp&);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// The module that holds the resource; the program itself in this framework.
HINSTANCE AfxFindResourceHandle(LPCSTR pszName, LPCSTR pszType);
// The module's full path in the ANSI code page, at any length. It is read in
// its wide form: the ANSI call stops silently before a double-byte character
// that would not fit, and takes best-fit stand-ins for characters the code
// page lacks, either of which names another folder. FALSE when the path
// cannot be read or holds such a character. Callers check the length.
BOOL AfxGetModulePath(HMODULE hModule, CString& path);
// The application title used as message box caption.
LPCSTR AfxGetAppName();
// No-ops kept so that start-up code reads as it always has: controls are
// themed by the system and no OLE control container is needed.
void AfxEnableControlContainer();
BOOL Enable3dControls();

// Called by the program's WinMain.
int AfxWinMain(HINSTANCE hInstance);
