// recorder: a stand-in for a registered program. It appends its command line
// and current folder to recorder.log beside itself (or to the file named by
// TAVRO_RECORDER_LOG), so the tests see exactly how it was started.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

static std::string InCodePage932(LPCWSTR text)
{
    int n = WideCharToMultiByte(932, 0, text, -1, NULL, 0, NULL, NULL);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(932, 0, text, -1, &bytes[0], n, NULL, NULL);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Wide, so a folder name beyond this process's code page is found too.
    WCHAR log[MAX_PATH] = {0};
    if (!GetEnvironmentVariableW(L"TAVRO_RECORDER_LOG", log, MAX_PATH)) {
        GetModuleFileNameW(NULL, log, MAX_PATH);
        WCHAR* slash = wcsrchr(log, L'\\');
        if (slash && (slash - log) + 14 < MAX_PATH)
            lstrcpyW(slash + 1, L"recorder.log");
    }
    // Read wide and written in code page 932, whatever this process's own code
    // page: the log shows exactly what the starting program handed over.
    // acp= tells the tests which code page a program without its own setting got.
    WCHAR cwd[MAX_PATH] = {0};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    FILE* f = _wfopen(log, L"ab");
    if (!f)
        return 1;
    std::fprintf(f, "cmdline=%s\ncwd=%s\nacp=%u\n", InCodePage932(GetCommandLineW()).c_str(),
                 InCodePage932(cwd).c_str(), GetACP());
    std::fclose(f);
    return 0;
}
