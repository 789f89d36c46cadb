// The bare minimum a tray program does: a hidden top-level window that adds
// one tray icon, taken from a program file as the resident takes its own
// (notepad's, the program of the benchmark's registrations), and waits. The
// yardstick for the resident's start and memory: taking an icon from a file
// loads system libraries of its own, so both sides do that same work.
// Started with an argument, it writes GetTickCount right after the icon was
// added to that file, so that a run can check the shell's log against it.
#include <windows.h>
#include <shellapi.h>

#include <climits>

static const UINT kTrayMessage = WM_USER + 100;

static LRESULT CALLBACK BareWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        NOTIFYICONDATAA nid;
        ZeroMemory(&nid, sizeof(nid));
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = hWnd;
        nid.uID = 1;
        Shell_NotifyIconA(NIM_DELETE, &nid);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// The first icon of notepad.exe in the system folder, at the tray's size.
static HICON ProgramIcon()
{
    char path[MAX_PATH + 16];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return LoadIconA(NULL, IDI_APPLICATION);
    lstrcatA(path, "\\notepad.exe");
    HICON hSmall = NULL;
    UINT count = ExtractIconExA(path, 0, NULL, &hSmall, 1);
    if (count == 0 || count == UINT_MAX || !hSmall)
        return LoadIconA(NULL, IDI_APPLICATION);
    return hSmall;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = BareWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = "BareTrayWindow";
    if (!RegisterClassA(&wc))
        return 1;
    HWND hWnd = CreateWindowA("BareTrayWindow", "BareTray", WS_OVERLAPPED, 0, 0, 0, 0,
                              NULL, NULL, hInstance, NULL);
    if (!hWnd)
        return 1;

    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof(nid));
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hWnd;
    nid.uID = 1;
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = ProgramIcon();
    lstrcpynA(nid.szTip, "BareTray", sizeof(nid.szTip));
    if (!Shell_NotifyIconA(NIM_ADD, &nid))
        return 2;
    DWORD dwAdded = GetTickCount();
    if (pszCmdLine && *pszCmdLine) {
        // Plain system calls: no C library formatter in the yardstick.
        char text[32];
        int n = wsprintfA(text, "%lu\n", dwAdded);
        HANDLE h = CreateFileA(pszCmdLine, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD dwWritten = 0;
            WriteFile(h, text, static_cast<DWORD>(n), &dwWritten, NULL);
            CloseHandle(h);
        }
    }

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
