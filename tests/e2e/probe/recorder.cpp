// recorder: a stand-in for a registered program. It appends its command line
// and current folder to recorder.log beside itself (or to the file named by
// TAVRO_RECORDER_LOG), so the tests see exactly how it was started.
#include <windows.h>

#include <cstdio>
#include <mbstring.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH] = {0};
    if (!GetEnvironmentVariableA("TAVRO_RECORDER_LOG", log, MAX_PATH)) {
        GetModuleFileNameA(NULL, log, MAX_PATH);
        // Per character: a Shift-JIS trail byte may equal the backslash.
        unsigned char* slash = _mbsrchr(reinterpret_cast<unsigned char*>(log), '\\');
        if (slash && (slash - reinterpret_cast<unsigned char*>(log)) + 14 < MAX_PATH)
            lstrcpyA(reinterpret_cast<char*>(slash) + 1, "recorder.log");
    }
    char cwd[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    FILE* f = std::fopen(log, "ab");
    if (!f)
        return 1;
    std::fprintf(f, "cmdline=%s\ncwd=%s\n", GetCommandLineA(), cwd);
    std::fclose(f);
    return 0;
}
