#include "CWinApp.h"
#include "AfxMessageBox.h"
#include "AfxRes.h"

#include <commctrl.h>

#include <new>

static CWinApp* g_pApp = NULL;

// The executable's file name without folder and extension; the generic name
// when the path cannot be read whole.
static CString ModuleTitle()
{
    CString full;
    if (!AfxGetModulePath(NULL, full))
        return CString("Tavro");
    CString name = full;
    for (int i = 0; i < full.GetLength(); i += full.CharLengthAt(i)) {
        if (full.CharLengthAt(i) == 1 && (full.GetAt(i) == '\\' || full.GetAt(i) == '/'))
            name = full.Mid(i + 1);
    }
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

BOOL AfxGetModulePath(HMODULE hModule, CString& path)
{
    path.Empty();
    // The longest path the system knows, in characters, terminator included.
    const DWORD kMaxChars = 32768;
    WCHAR* pBuffer = new (std::nothrow) WCHAR[kMaxChars];
    if (!pBuffer)
        return FALSE;
    DWORD n = GetModuleFileNameW(hModule, pBuffer, kMaxChars);
    BOOL bRead = n != 0 && n < kMaxChars;
    if (bRead)
        pBuffer[n] = L'\0';
    BOOL bExact = bRead && path.SetFromWideExact(pBuffer);
    delete[] pBuffer;
    return bExact;
}

CWinApp::CWinApp(LPCSTR pszAppName)
    : m_hInstance(NULL), m_pMainWnd(NULL), m_strAppName(pszAppName)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = NULL;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    if (g_pApp && g_pApp->m_hInstance)
        return g_pApp->m_hInstance;
    return GetModuleHandleA(NULL);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

HINSTANCE AfxFindResourceHandle(LPCSTR /*pszName*/, LPCSTR /*pszType*/)
{
    return AfxGetResourceHandle();
}

LPCSTR AfxGetAppName()
{
    static CString s_title;
    if (g_pApp && !g_pApp->m_strAppName.IsEmpty())
        return g_pApp->m_strAppName;
    if (s_title.IsEmpty())
        s_title = ModuleTitle();
    return s_title;
}

void AfxEnableControlContainer()
{
}

BOOL Enable3dControls()
{
    return TRUE;
}

// Every launch makes an arbitrary work folder current, so neither program may
// load a DLL from there: the current folder leaves the DLL search path, and
// where the system has it, only the system's own folders stay in it.
static void HardenDllSearchPath()
{
    SetDllDirectoryA("");
    typedef BOOL (WINAPI *SetDefaultDllDirectoriesFn)(DWORD);
    HMODULE hKernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFn setDefault = hKernel
        ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
              reinterpret_cast<void*>(GetProcAddress(hKernel, "SetDefaultDllDirectories")))
        : NULL;
    if (setDefault)
        setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}

// The programs keep texts, paths and settings files as Shift-JIS bytes and hand
// them to the ANSI functions, which read them in the process's code page. The
// manifest asks Windows 11 for 932; where a system still gives another one,
// everything would show as garbage and be written wrong.
static BOOL RunsInJapaneseCodePage()
{
    return GetACP() == 932;
}

int AfxWinMain(HINSTANCE hInstance)
{
    HardenDllSearchPath();
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 1;
    pApp->m_hInstance = hInstance;
    if (pApp->m_strAppName.IsEmpty())
        pApp->m_strAppName = AfxGetAppName();
    if (!RunsInJapaneseCodePage()) {
        // Read wide from the table, so the refusal itself reads right there.
        AfxMessageBox(IDS_MSG_NEEDS_JAPANESE_CODEPAGE, MB_OK | MB_ICONSTOP, 0);
        return 1;
    }

    // The common controls are registered by the property sheet, the only
    // user of them: a program without one (the resident) then never loads
    // comctl32.dll, which costs each resident process memory.
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}
