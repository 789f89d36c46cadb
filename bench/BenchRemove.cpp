// Removal benchmark, in-process: RemoveFolderTree on an entry folder that
// holds many files, against a bare recursive delete of an equal folder. The
// caller makes the folder before each run (file creation under Wine is slow
// and no part of the measurement). Prints "<name> <milliseconds>" lines.
//   bench_remove bare <folder>      the bare recursive delete
//   bench_remove product <folder>   RemoveFolderTree
//   bench_remove phases <folder>    what each step per item costs, nothing deleted
#include "AfxMessageBox.h"
#include "BenchSupport.h"
#include "CFolderUtil.h"

#include <cstdio>
#include <cstring>

namespace {

// The least a recursive delete does.
BOOL BareRemove(const char* pszFolder)
{
    char pattern[MAX_PATH];
    std::snprintf(pattern, sizeof(pattern), "%s\\*", pszFolder);
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(pattern, &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (lstrcmpA(fd.cFileName, ".") == 0 || lstrcmpA(fd.cFileName, "..") == 0)
                continue;
            char path[MAX_PATH];
            std::snprintf(path, sizeof(path), "%s\\%s", pszFolder, fd.cFileName);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                BareRemove(path);
            else
                DeleteFileA(path);
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    return RemoveDirectoryA(pszFolder);
}

// Times the steps RemoveFolderTree takes per item, each over the whole
// folder: listing, opening each item as itself, asking for its final path,
// and the one message check per item.
int Phases(const char* pszFolder)
{
    char pattern[MAX_PATH];
    std::snprintf(pattern, sizeof(pattern), "%s\\*.*", pszFolder);
    typedef DWORD (WINAPI* GetFinalPathFn)(HANDLE, LPSTR, DWORD, DWORD);
    GetFinalPathFn pfnFinal = reinterpret_cast<GetFinalPathFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    for (int step = 0; step < 4; ++step) {
        static const char* const kNames[] = { "phase_list", "phase_open", "phase_finalpath", "phase_peek" };
        double t0 = Now();
        int n = 0;
        WIN32_FIND_DATAA fd;
        HANDLE hFind = FindFirstFileA(pattern, &fd);
        if (hFind == INVALID_HANDLE_VALUE)
            return 1;
        do {
            ++n;
            if (step == 0 || lstrcmpA(fd.cFileName, ".") == 0 || lstrcmpA(fd.cFileName, "..") == 0)
                continue;
            if (step == 3) {
                MSG msg;
                PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
                continue;
            }
            char path[MAX_PATH];
            std::snprintf(path, sizeof(path), "%s\\%s", pszFolder, fd.cFileName);
            HANDLE h = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                   NULL);
            if (h == INVALID_HANDLE_VALUE)
                continue;
            if (step == 2 && pfnFinal) {
                char final[2 * MAX_PATH];
                pfnFinal(h, final, sizeof(final), FILE_NAME_NORMALIZED);
            }
            CloseHandle(h);
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
        std::printf("%s %.3f\n", kNames[step], Now() - t0);
        if (n < 3)
            return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_remove bare|product|phases <folder>\n");
        return 2;
    }
    const char* pszMode = argv[1];
    const char* pszFolder = argv[2];
    AfxSetMessageBoxHook(PrintBox);
    if (std::strcmp(pszMode, "phases") == 0)
        return Phases(pszFolder);

    double t0 = Now();
    BOOL bRemoved;
    if (std::strcmp(pszMode, "bare") == 0) {
        bRemoved = BareRemove(pszFolder);
    } else {
        CFolderUtil util;
        bRemoved = util.RemoveFolderTree(pszFolder) == 0;
    }
    double t1 = Now();
    std::printf("%s %.3f\n", pszMode, t1 - t0);
    if (!bRemoved || GetFileAttributesA(pszFolder) != INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "%s was not removed\n", pszFolder);
        return 1;
    }
    return BoxCount() == 0 ? 0 : 1;
}
