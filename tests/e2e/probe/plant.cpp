// plant: a DLL that stands for one an attacker leaves in a folder. Copied
// under the names of DLLs a program may load, it records every process that
// loads it in planted.log beside itself.
#include <windows.h>

#include <cstdio>
#include <mbstring.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char self[MAX_PATH] = {0};
    char exe[MAX_PATH] = {0};
    GetModuleFileNameA(hInstance, self, MAX_PATH);
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    char log[MAX_PATH] = {0};
    lstrcpynA(log, self, MAX_PATH);
    unsigned char* slash = _mbsrchr(reinterpret_cast<unsigned char*>(log), '\\');
    if (!slash || (slash - reinterpret_cast<unsigned char*>(log)) + 13 >= MAX_PATH)
        return TRUE;
    lstrcpyA(reinterpret_cast<char*>(slash) + 1, "planted.log");
    FILE* f = std::fopen(log, "ab");
    if (f) {
        std::fprintf(f, "%s loaded %s\n", exe, self);
        std::fclose(f);
    }
    return TRUE;
}
