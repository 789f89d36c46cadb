// Starts and watches the programs of the start and memory benchmarks from
// outside, as the shell would start them. One command per call:
//   start <exe> [<command line tail>]  start it; prints "pid <n> tick <ms>",
//                                      the GetTickCount taken just before
//   startmany <n> <exe> [<tail>]       starts n at once, as the shell does at
//                                      logon; a '*' in the tail becomes 01..n.
//                                      Prints "tick <ms>" (before the first),
//                                      then "pid <n>" for each
//   stopmany <command id> <pid>...     stop for each of them
//   windows <pid>                      the process's top-level windows, one
//                                      "hwnd <n>" line each
//   memory <pid>                       "private <bytes> workingset <bytes> ..."
//   modules <pid>                      the loaded modules, one "module <name>" line each
//   stop <pid> <command id>            ends it as its user would: the command
//                                      (0: WM_CLOSE) posted to its windows; waits;
//                                      prints "tick <ms>", taken just before
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct WindowList {
    DWORD dwPid;
    HWND hWnds[64];
    int nCount;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    WindowList* pList = reinterpret_cast<WindowList*>(lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == pList->dwPid && pList->nCount < 64)
        pList->hWnds[pList->nCount++] = hWnd;
    return TRUE;
}

WindowList WindowsOf(DWORD dwPid)
{
    WindowList list;
    list.dwPid = dwPid;
    list.nCount = 0;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

// Starts pszExe with the tail; the process id, or 0 after a message.
DWORD StartOne(const char* pszExe, const char* pszTail)
{
    char cmdLine[2048];
    std::snprintf(cmdLine, sizeof(cmdLine), "\"%s\"%s%s", pszExe, pszTail ? " " : "", pszTail ? pszTail : "");
    // The child gets NUL as its standard handles: under Wine it would
    // otherwise hold the caller's output pipe open for as long as it runs.
    SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, TRUE };
    HANDLE hNul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                              OPEN_EXISTING, 0, NULL);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = hNul;
    PROCESS_INFORMATION pi;
    BOOL bStarted = CreateProcessA(pszExe, cmdLine, NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi);
    if (hNul != INVALID_HANDLE_VALUE)
        CloseHandle(hNul);
    if (!bStarted) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 0;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return pi.dwProcessId;
}

int Start(const char* pszExe, const char* pszTail)
{
    DWORD dwTick = GetTickCount();
    DWORD dwPid = StartOne(pszExe, pszTail);
    if (!dwPid)
        return 1;
    std::printf("pid %lu tick %lu\n", dwPid, dwTick);
    return 0;
}

int StartMany(int nCount, const char* pszExe, const char* pszTail)
{
    std::printf("tick %lu\n", GetTickCount());
    for (int i = 1; i <= nCount; ++i) {
        char tail[1024] = "";
        if (pszTail) {
            // The tail with its '*' replaced by the two-digit number.
            const char* star = std::strchr(pszTail, '*');
            if (star)
                std::snprintf(tail, sizeof(tail), "%.*s%02d%s", static_cast<int>(star - pszTail), pszTail, i,
                              star + 1);
            else
                std::snprintf(tail, sizeof(tail), "%s", pszTail);
        }
        DWORD dwPid = StartOne(pszExe, pszTail ? tail : NULL);
        if (!dwPid)
            return 1;
        std::printf("pid %lu\n", dwPid);
    }
    return 0;
}

int Windows(DWORD dwPid)
{
    WindowList list = WindowsOf(dwPid);
    for (int i = 0; i < list.nCount; ++i)
        std::printf("hwnd %llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(list.hWnds[i])));
    return 0;
}

int Memory(DWORD dwPid)
{
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwPid);
    if (!hProcess) {
        std::fprintf(stderr, "OpenProcess failed: %lu\n", GetLastError());
        return 1;
    }
    PROCESS_MEMORY_COUNTERS_EX pmc;
    ZeroMemory(&pmc, sizeof(pmc));
    BOOL bOk = GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    CloseHandle(hProcess);
    if (!bOk) {
        std::fprintf(stderr, "GetProcessMemoryInfo failed: %lu\n", GetLastError());
        return 1;
    }
    std::printf("private %llu workingset %llu pagefile %llu peakws %llu\n",
                static_cast<unsigned long long>(pmc.PrivateUsage),
                static_cast<unsigned long long>(pmc.WorkingSetSize),
                static_cast<unsigned long long>(pmc.PagefileUsage),
                static_cast<unsigned long long>(pmc.PeakWorkingSetSize));
    return 0;
}

int Modules(DWORD dwPid)
{
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwPid);
    if (!hProcess)
        return 1;
    HMODULE hModules[256];
    DWORD cbNeeded = 0;
    if (EnumProcessModules(hProcess, hModules, sizeof(hModules), &cbNeeded)) {
        DWORD n = cbNeeded / sizeof(HMODULE);
        for (DWORD i = 0; i < n && i < 256; ++i) {
            char name[MAX_PATH] = { 0 };
            GetModuleBaseNameA(hProcess, hModules[i], name, sizeof(name));
            std::printf("module %s\n", name);
        }
    }
    CloseHandle(hProcess);
    return 0;
}

int Stop(DWORD dwPid, UINT nCommand)
{
    HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, dwPid);
    WindowList list = WindowsOf(dwPid);
    std::printf("tick %lu\n", GetTickCount());
    for (int i = 0; i < list.nCount; ++i) {
        if (nCommand)
            PostMessageA(list.hWnds[i], WM_COMMAND, nCommand, 0);
        else
            PostMessageA(list.hWnds[i], WM_CLOSE, 0, 0);
    }
    if (!hProcess)
        return 0;   // already gone
    DWORD dwWait = WaitForSingleObject(hProcess, 10000);
    CloseHandle(hProcess);
    if (dwWait != WAIT_OBJECT_0) {
        std::fprintf(stderr, "process %lu did not end\n", dwPid);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "start") == 0)
        return Start(argv[2], argc >= 4 ? argv[3] : NULL);
    if (argc == 3 && std::strcmp(argv[1], "windows") == 0)
        return Windows(std::strtoul(argv[2], NULL, 10));
    if (argc == 3 && std::strcmp(argv[1], "memory") == 0)
        return Memory(std::strtoul(argv[2], NULL, 10));
    if (argc == 3 && std::strcmp(argv[1], "modules") == 0)
        return Modules(std::strtoul(argv[2], NULL, 10));
    if (argc >= 4 && std::strcmp(argv[1], "startmany") == 0)
        return StartMany(std::atoi(argv[2]), argv[3], argc >= 5 ? argv[4] : NULL);
    if (argc >= 3 && std::strcmp(argv[1], "stopmany") == 0) {
        int rc = 0;
        for (int i = 3; i < argc; ++i)
            rc |= Stop(std::strtoul(argv[i], NULL, 10), static_cast<UINT>(std::strtoul(argv[2], NULL, 10)));
        return rc;
    }
    if (argc == 4 && std::strcmp(argv[1], "stop") == 0)
        return Stop(std::strtoul(argv[2], NULL, 10), static_cast<UINT>(std::strtoul(argv[3], NULL, 10)));
    std::fprintf(stderr, "usage: launcher start <exe> [tail] | windows <pid> | memory <pid> | stop <pid> <cmd>\n");
    return 2;
}
