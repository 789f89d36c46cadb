// e2eprobe: the black-box tests' eyes and hands inside Wine. The Python tests
// run it with one command; it prints what it finds as UTF-8 lines.
//
//   windows                      top-level windows: hwnd pid visible x y w h class | title
//   children HWND                child windows: hwnd id visible enabled checked class | text
//   click HWND ID                BM_CLICK on a dialog's control
//   command HWND ID              WM_COMMAND (BN_CLICKED) posted to a window
//   settext HWND ID TEXT         WM_SETTEXT on a dialog's control
//   post HWND MSG WPARAM LPARAM  PostMessage with numbers
//   readlink PATH                the properties of a shortcut
//   startup                      the Startup folder of the user
//   hold PATH                    keeps PATH open until "release": a folder as an Explorer
//                                window holds it, a file without delete sharing; "1" when held
//   release                      closes everything "hold" opened
//   taskbarcreated               broadcasts "TaskbarCreated" as a restarted shell does
//   alive PID                    "1" when the process runs, else "0"
//   menu                         items of the open popup menu: id | text
//   send HWND MSG WPARAM LPARAM  SendMessage with numbers; prints the result
//   iconic HWND                  "1" when the window is minimised
//   taborder HWND                ids of the dialog's tab stops, in tab order
//   cwd PID                      the current folder of a 64-bit process
//   open PATH                    opens a file (a shortcut: its target, arguments and working
//                                folder) as Explorer's double click does; prints the pid
//   exitcode PID                 "-" while a process this probe opened runs, else its exit code
//   kill PID                     ends a process this probe opened
//   makeitemlink LINK CSIDL      a shortcut whose target is only the item id list of a special folder
//   makeexplink LINK TARGET      a shortcut holding its target (ANSI) only in its environment block
//   channel REQUEST INI          a request of the residents' channel (query, reload, end,
//                                show) for the settings file INI: "taken silent ended"
//   serve                        answers commands read from standard input, one a line,
//                                arguments separated by tabs, in UTF-8; each answer ends
//                                with the line "\x04 CODE" (CODE: what the command returns)
#include "CResidentChannel.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

static std::string ToUtf8(const char* ansi)
{
    int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, NULL, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, &wide[0], n);
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    std::string utf8(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], m, NULL, NULL);
    utf8.resize(static_cast<size_t>(m > 0 ? m - 1 : 0));
    return utf8;
}

// Windows hold texts in UTF-16: read them that way so nothing depends on the probe's code page.
static std::string TextOf(HWND hWnd)
{
    wchar_t buffer[2048] = {0};
    SendMessageTimeoutW(hWnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        2000, NULL);
    int m = WideCharToMultiByte(CP_UTF8, 0, buffer, -1, NULL, 0, NULL, NULL);
    std::string utf8(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer, -1, &utf8[0], m, NULL, NULL);
    utf8.resize(static_cast<size_t>(m > 0 ? m - 1 : 0));
    for (char& c : utf8) {
        if (c == '\n' || c == '\r')
            c = '~';
    }
    return utf8;
}

static std::wstring FromUtf8(const std::string& utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, NULL, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return wide;
}

// A command line, kept in Unicode (texts and paths) and in ASCII (command
// names and numbers): [0] the program, [1] the command, then its arguments.
struct Args {
    std::vector<std::wstring> wide;
    std::vector<std::string> narrow;

    void Add(const std::wstring& value)
    {
        wide.push_back(value);
        std::string ascii;
        for (wchar_t c : value)
            ascii += c < 0x80 ? static_cast<char>(c) : '?';
        narrow.push_back(ascii);
    }
    size_t size() const { return narrow.size(); }
    const char* operator[](size_t i) const { return narrow[i].c_str(); }
};

static HWND ParseHwnd(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(text, NULL, 0)));
}

static BOOL CALLBACK PrintTopLevel(HWND hWnd, LPARAM)
{
    char cls[256] = {0};
    GetClassNameA(hWnd, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    RECT r;
    GetWindowRect(hWnd, &r);
    std::printf("%lld %lu %d %ld %ld %ld %ld %s | %s\n", static_cast<long long>(reinterpret_cast<INT_PTR>(hWnd)),
                pid, IsWindowVisible(hWnd) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
                cls, TextOf(hWnd).c_str());
    return TRUE;
}

static BOOL CALLBACK PrintChild(HWND hWnd, LPARAM)
{
    char cls[256] = {0};
    GetClassNameA(hWnd, cls, sizeof(cls));
    LRESULT checked = SendMessageA(hWnd, BM_GETCHECK, 0, 0);
    std::printf("%lld %d %d %d %d %s | %s\n", static_cast<long long>(reinterpret_cast<INT_PTR>(hWnd)),
                GetDlgCtrlID(hWnd), IsWindowVisible(hWnd) ? 1 : 0, IsWindowEnabled(hWnd) ? 1 : 0,
                lstrcmpiA(cls, "Button") == 0 ? static_cast<int>(checked) : -1, cls, TextOf(hWnd).c_str());
    return TRUE;
}

static BOOL CALLBACK FindPopupMenu(HWND hWnd, LPARAM lParam)
{
    char cls[64] = {0};
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(hWnd)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

static int PrintOpenMenu()
{
    HWND hPopup = NULL;
    EnumWindows(FindPopupMenu, reinterpret_cast<LPARAM>(&hPopup));
    if (!hPopup)
        return 5;
    HMENU hMenu = reinterpret_cast<HMENU>(SendMessageA(hPopup, 0x01E1 /* MN_GETHMENU */, 0, 0));
    int count = hMenu ? GetMenuItemCount(hMenu) : -1;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {0};
        GetMenuStringW(hMenu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        char utf8[768] = {0};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), NULL, NULL);
        std::printf("%d | %s\n", static_cast<int>(GetMenuItemID(hMenu, i)), utf8);
    }
    return count >= 0 ? 0 : 6;
}

static int ReadLink(const std::wstring& wide)
{
    CoInitialize(NULL);
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return 3;
    IPersistFile* file = NULL;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (!file || FAILED(file->Load(wide.c_str(), STGM_READ)))
        return 4;
    char buffer[1024];
    WIN32_FIND_DATAA fd;
    buffer[0] = 0;
    link->GetPath(buffer, sizeof(buffer), &fd, SLGP_RAWPATH);
    std::printf("path=%s\n", ToUtf8(buffer).c_str());
    buffer[0] = 0;
    link->GetArguments(buffer, sizeof(buffer));
    std::printf("arguments=%s\n", ToUtf8(buffer).c_str());
    buffer[0] = 0;
    link->GetWorkingDirectory(buffer, sizeof(buffer));
    std::printf("workdir=%s\n", ToUtf8(buffer).c_str());
    buffer[0] = 0;
    link->GetDescription(buffer, sizeof(buffer));
    std::printf("description=%s\n", ToUtf8(buffer).c_str());
    int index = -1;
    buffer[0] = 0;
    link->GetIconLocation(buffer, sizeof(buffer), &index);
    std::printf("iconpath=%s\niconindex=%d\n", ToUtf8(buffer).c_str(), index);
    file->Release();
    link->Release();
    return 0;
}

// A shortcut as the shell makes one: target, arguments and working folder;
// or, with a CSIDL, one to that shell item alone, without a file path, as
// Windows 11 makes for an app dragged out of the Start menu.
static int MakeLink(const std::wstring& link, const std::wstring& target, const std::wstring& args,
                    const std::wstring& workdir, int csidl = -1)
{
    CoInitialize(NULL);
    IShellLinkW* shellLink = NULL;
    LPITEMIDLIST pidl = NULL;
    if ((csidl >= 0 && FAILED(SHGetSpecialFolderLocation(NULL, csidl, &pidl))) ||
        FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink))))
        return 3;
    if (pidl) {
        shellLink->SetIDList(pidl);
        CoTaskMemFree(pidl);
    } else {
        shellLink->SetPath(target.c_str());
        shellLink->SetArguments(args.c_str());
        shellLink->SetWorkingDirectory(workdir.c_str());
    }
    IPersistFile* file = NULL;
    shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    int result = file && SUCCEEDED(file->Save(link.c_str(), TRUE)) ? 0 : 4;
    if (file)
        file->Release();
    shellLink->Release();
    return result;
}

// A target stored with environment variables, as installers write it; Wine's
// link object keeps nothing of one, so the file is written byte by byte.
static int MakeExpLink(const std::wstring& link, const std::wstring& target)
{
    // Header (shell link class, flag SLDF_HAS_EXP_SZ), the EXP_SZ_LINK block, the end block.
    std::string header("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20);
    header.resize(76, '\0');
    header[0x15] = 0x02;
    std::string block("\x14\x03\0\0\x01\0\0\xA0", 8);
    char ansi[MAX_PATH] = {0};
    WideCharToMultiByte(CP_ACP, 0, target.c_str(), -1, ansi, MAX_PATH - 1, NULL, NULL);
    block += std::string(ansi, MAX_PATH);
    block += std::string(reinterpret_cast<const char*>(target.c_str()), target.size() * 2);
    block.resize(8 + MAX_PATH + 2 * MAX_PATH, '\0');
    std::string data = header + block + std::string(4, '\0');
    HANDLE h = CreateFileW(link.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    BOOL ok = h != INVALID_HANDLE_VALUE && WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, NULL);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return ok && written == data.size() ? 0 : 4;
}

// ---- hold / release -----------------------------------------------------
// Other programs' handles on a registration's files, as a removal meets them:
// an Explorer window lists and watches its folder, sharing everything; an
// editor may keep a file open without letting it be deleted.
static std::vector<HANDLE> g_held;
static std::vector<HANDLE> g_watched;

static int HoldCommand(const Args& argv, const std::string& cmd)
{
    if (cmd == "release") {
        for (HANDLE h : g_watched)
            FindCloseChangeNotification(h);
        for (HANDLE h : g_held)
            CloseHandle(h);
        g_watched.clear();
        g_held.clear();
        return 0;
    }
    const std::wstring& path = argv.wide[2];
    DWORD attributes = GetFileAttributesW(path.c_str());
    BOOL folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    HANDLE h = folder ? CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, NULL)
                      : CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                    OPEN_EXISTING, 0, NULL);
    std::printf("%d\n", h != INVALID_HANDLE_VALUE ? 1 : 0);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    g_held.push_back(h);
    HANDLE hWatch = folder ? FindFirstChangeNotificationW(path.c_str(), TRUE, FILE_NOTIFY_CHANGE_FILE_NAME |
                                                                             FILE_NOTIFY_CHANGE_DIR_NAME)
                           : INVALID_HANDLE_VALUE;
    if (hWatch != INVALID_HANDLE_VALUE)
        g_watched.push_back(hWatch);
    return folder && hWatch == INVALID_HANDLE_VALUE ? 1 : 0;
}

// Another process's current folder, from its process parameters (x64
// layout: PEB+0x20 the parameters, +0x38 CurrentDirectory.DosPath).
static std::string CurrentFolderOf(DWORD pid)
{
    struct BasicInfo { LONG_PTR exitStatus; BYTE* peb; ULONG_PTR rest[4]; } info = {};
    typedef LONG (WINAPI* QueryFn)(HANDLE, int, void*, ULONG, ULONG*);
    QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    BYTE* params = NULL;
    struct { USHORT length, maximum; ULONG pad; wchar_t* buffer; } dosPath = {};
    wchar_t path[MAX_PATH] = {0};
    bool ok = h && query && query(h, 0, &info, sizeof(info), NULL) >= 0 &&
              ReadProcessMemory(h, info.peb + 0x20, &params, sizeof(params), NULL) &&
              ReadProcessMemory(h, params + 0x38, &dosPath, sizeof(dosPath), NULL) &&
              dosPath.length < sizeof(path) &&
              ReadProcessMemory(h, dosPath.buffer, path, dosPath.length, NULL);
    if (h)
        CloseHandle(h);
    char utf8[4 * MAX_PATH] = {0};
    if (ok)
        WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, sizeof(utf8), NULL, NULL);
    return utf8;
}

// Processes started by "open", kept by pid: their handles keep the exit code
// readable after they end, and the pid from being reused meanwhile.
static std::map<DWORD, HANDLE> g_opened;

// The shell's "open", as Explorer does it for a double click. A shortcut opens
// its target with the shortcut's arguments, working folder and show command, as
// the shell's link object does (Wine's ShellExecuteEx of a .lnk hands back no
// process). Wine starts a 32-bit target with the 32-bit loader, as Windows
// starts it under WOW64.
static int OpenAsExplorer(const std::wstring& path)
{
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    wchar_t target[MAX_PATH] = {0}, args[1024] = {0}, workdir[MAX_PATH] = {0};
    LPITEMIDLIST pidl = NULL;
    IShellLinkW* link = NULL;
    IPersistFile* file = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        link->GetPath(target, MAX_PATH, NULL, SLGP_RAWPATH);
        link->GetArguments(args, 1024);
        link->GetWorkingDirectory(workdir, MAX_PATH);
        int show = SW_SHOWNORMAL;
        link->GetShowCmd(&show);
        link->GetIDList(&pidl);
        info.lpFile = target[0] ? target : NULL;
        info.lpParameters = args;
        info.lpDirectory = workdir[0] ? workdir : NULL;
        info.nShow = show;
        if (!target[0] && pidl) {   // a shell item without a file path
            info.fMask |= SEE_MASK_IDLIST;
            info.lpIDList = pidl;
        }
    }
    BOOL ok = ShellExecuteExW(&info);
    if (pidl)
        CoTaskMemFree(pidl);
    if (file)
        file->Release();
    if (link)
        link->Release();
    if (!ok)
        return 7;
    if (!info.hProcess)
        return 8;
    DWORD pid = GetProcessId(info.hProcess);
    g_opened[pid] = info.hProcess;
    std::printf("%lu\n", pid);
    return 0;
}

static int ExitCodeOf(DWORD pid)
{
    std::map<DWORD, HANDLE>::iterator it = g_opened.find(pid);
    DWORD code = 0;
    if (it == g_opened.end() || !GetExitCodeProcess(it->second, &code))
        return 9;
    if (code == STILL_ACTIVE && WaitForSingleObject(it->second, 0) == WAIT_TIMEOUT)
        std::printf("-\n");
    else
        std::printf("%lu\n", code);
    return 0;
}

static int RunCommand(const Args& argv)
{
    size_t argc = argv.size();
    if (argc < 2)
        return 1;
    std::string cmd = argv[1];
    if ((cmd == "hold" && argc > 2) || cmd == "release")
        return HoldCommand(argv, cmd);
    if (cmd == "windows") {
        EnumWindows(PrintTopLevel, 0);
    } else if (cmd == "children" && argc > 2) {
        EnumChildWindows(ParseHwnd(argv[2]), PrintChild, 0);
    } else if (cmd == "click" && argc > 3) {
        HWND hItem = GetDlgItem(ParseHwnd(argv[2]), std::atoi(argv[3]));
        PostMessageA(hItem, BM_CLICK, 0, 0);
    } else if (cmd == "command" && argc > 3) {
        PostMessageA(ParseHwnd(argv[2]), WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED), 0);
    } else if (cmd == "settext" && argc > 4) {
        std::wstring text = argv.wide.at(4);
        SendMessageW(GetDlgItem(ParseHwnd(argv[2]), std::atoi(argv[3])), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(text.c_str()));
    } else if (cmd == "post" && argc > 5) {
        PostMessageA(ParseHwnd(argv[2]), static_cast<UINT>(std::strtoul(argv[3], NULL, 0)),
                     static_cast<WPARAM>(std::strtoull(argv[4], NULL, 0)),
                     static_cast<LPARAM>(std::strtoll(argv[5], NULL, 0)));
    } else if (cmd == "readlink" && argc > 2) {
        return ReadLink(argv.wide.at(2));
    } else if (cmd == "makelink" && argc > 5) {
        return MakeLink(argv.wide.at(2), argv.wide.at(3), argv.wide.at(4), argv.wide.at(5));
    } else if (cmd == "makeitemlink" && argc > 3) {
        return MakeLink(argv.wide.at(2), L"", L"", L"", std::atoi(argv[3]));
    } else if (cmd == "makeexplink" && argc > 3) {
        return MakeExpLink(argv.wide.at(2), argv.wide.at(3));
    } else if (cmd == "startup") {
        char path[MAX_PATH] = {0};
        SHGetSpecialFolderPathA(NULL, path, CSIDL_STARTUP, TRUE);
        std::printf("%s\n", ToUtf8(path).c_str());
    } else if (cmd == "taskbarcreated") {
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    } else if (cmd == "alive" && argc > 2) {
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::atoi(argv[2])));
        BOOL alive = h && WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
        if (h)
            CloseHandle(h);
        std::printf("%d\n", alive ? 1 : 0);
    } else if (cmd == "send" && argc > 5) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(ParseHwnd(argv[2]), static_cast<UINT>(std::strtoul(argv[3], NULL, 0)),
                            static_cast<WPARAM>(std::strtoull(argv[4], NULL, 0)),
                            static_cast<LPARAM>(std::strtoll(argv[5], NULL, 0)), SMTO_ABORTIFHUNG, 5000,
                            &result);
        std::printf("%lld\n", static_cast<long long>(result));
    } else if (cmd == "iconic" && argc > 2) {
        std::printf("%d\n", IsIconic(ParseHwnd(argv[2])) ? 1 : 0);
    } else if (cmd == "taborder" && argc > 2) {
        HWND hDlg = ParseHwnd(argv[2]);
        HWND first = GetNextDlgTabItem(hDlg, NULL, FALSE);
        for (HWND h = first; h;) {
            std::printf("%d\n", GetDlgCtrlID(h));
            h = GetNextDlgTabItem(hDlg, h, FALSE);
            if (h == first)
                break;
        }
    } else if (cmd == "cwd" && argc > 2) {
        std::printf("%s\n", CurrentFolderOf(static_cast<DWORD>(std::atoi(argv[2]))).c_str());
    } else if (cmd == "channel" && argc > 3) {
        const char* names[] = { "", "query", "reload", "end", "show" };
        int request = 0;
        for (int i = 1; i < 5; ++i)
            request = argv.narrow[2] == names[i] ? i : request;
        char ini[MAX_PATH] = {0};
        if (request == 0 || !WideCharToMultiByte(CP_ACP, 0, argv.wide.at(3).c_str(), -1, ini, MAX_PATH, NULL, NULL))
            return 1;
        CResidentChannel::Outcome outcome = CResidentChannel(ini).Send(
            static_cast<CResidentChannel::Request>(request), 2000);
        std::printf("%d %d %d\n", outcome.nTaken, outcome.nSilent, outcome.nEnded);
    } else if (cmd == "menu") {
        return PrintOpenMenu();
    } else if (cmd == "open" && argc > 2) {
        return OpenAsExplorer(argv.wide.at(2));
    } else if (cmd == "exitcode" && argc > 2) {
        return ExitCodeOf(static_cast<DWORD>(std::atoi(argv[2])));
    } else if (cmd == "kill" && argc > 2) {
        std::map<DWORD, HANDLE>::iterator it = g_opened.find(static_cast<DWORD>(std::atoi(argv[2])));
        if (it == g_opened.end() || !TerminateProcess(it->second, 1))
            return 9;
    } else {
        return 1;
    }
    return 0;
}

// One process answers every command of a test run: a Wine process start
// costs a quarter of a second or more, and the tests ask hundreds of times.
static int Serve()
{
    std::string line;
    int c;
    while ((c = std::getchar()) != EOF) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        Args args;
        args.Add(L"e2eprobe");
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            args.Add(FromUtf8(line.substr(start, tab - start)));
        args.Add(FromUtf8(line.substr(start)));
        int code = RunCommand(args);
        std::printf("\x04 %d\n", code);
        std::fflush(stdout);
        line.clear();
    }
    return 0;
}

int main()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    Args args;
    for (int i = 0; i < count; ++i)
        args.Add(wide[i]);
    LocalFree(wide);
    int code = args.size() == 2 && args.narrow[1] == "serve" ? Serve() : RunCommand(args);
    std::fflush(stdout);
    return code;
}
