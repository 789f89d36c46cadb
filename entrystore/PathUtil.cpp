#include "PathUtil.h"

#include "CFolderUtil.h"
#include "CWinApp.h"

#include <io.h>

#include <cstring>

BOOL EndsWithBackslash(const CString& path)
{
    int n = path.GetLength();
    return n > 0 && path.ReverseFind('\\') == n - 1;
}

void AppendBackslash(CString& path)
{
    int n = path.GetLength();
    if (n == 1) {
        path += ":\\";
        return;
    }
    // The callers' buffers hold 259 bytes of path: a backslash that does not
    // fit is left out rather than cut off later.
    if (n + 1 >= MAX_PATH)
        return;
    int last = path.ReverseFind('\\');
    if (last < 0 || last == n - 1)
        return;
    path += '\\';
}

CString GetDirPart(LPCSTR path)
{
    CString full(path);
    if (full.GetLength() >= MAX_PATH)
        return CString();
    // Drive and directory as the runtime's path splitter gives them, found per
    // character: the splitter works in fixed 256-byte parts and, in some
    // runtimes, byte by byte.
    int end = 0;
    if (full.GetLength() >= 2 && full.CharLengthAt(0) == 1 && full.GetAt(1) == ':')
        end = 2;
    int separator = full.ReverseFind('\\');
    int slash = full.ReverseFind('/');
    if (slash > separator)
        separator = slash;
    if (separator >= end)
        end = separator + 1;
    return full.Left(end);
}

CString GetModuleDir()
{
    CString path;
    // Every entry folder lies below this one: a path that is too long, or that
    // the code page cannot name exactly, gives no folder rather than another one.
    if (!AfxGetModulePath(AfxGetInstanceHandle(), path) || path.GetLength() >= MAX_PATH)
        return CString();
    CString dir = GetDirPart(path);
    AppendBackslash(dir);
    return dir;
}

BOOL RunsUnderWow64()
{
    BOOL bWow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &bWow64) && bWow64;
}

CString GetNativeViewPath(LPCSTR path)
{
    CString result(path);
    if (!RunsUnderWow64())
        return result;
    char szSystem[MAX_PATH] = {0};
    char szWindows[MAX_PATH] = {0};
    UINT nSystem = GetSystemDirectoryA(szSystem, MAX_PATH);
    UINT nWindows = GetSystemWindowsDirectoryA(szWindows, MAX_PATH);
    if (nSystem == 0 || nSystem >= MAX_PATH || nWindows == 0 || nWindows >= MAX_PATH)
        return result;
    // The system folder's path is plain ASCII: when the path's first bytes
    // match it, the byte after them starts a character of its own.
    int n = static_cast<int>(nSystem);
    if (result.GetLength() < n || (path[n] != '\0' && path[n] != '\\'))
        return result;
    if (lstrcmpiA(CString(path, n), szSystem) != 0)
        return result;
    CString native(szWindows);
    AppendBackslash(native);
    native += "Sysnative";
    native += path + n;
    if (native.GetLength() >= MAX_PATH || GetFileAttributesA(native) == INVALID_FILE_ATTRIBUTES)
        return result;
    return native;
}

BOOL FileExists(LPCSTR path)
{
    CString pattern(GetNativeViewPath(path));
    if (pattern.GetLength() >= MAX_PATH)
        return FALSE;
    struct _finddata_t data;
    std::memset(&data, 0, sizeof(data));
    intptr_t hFind = _findfirst(pattern, &data);
    if (hFind == -1)
        return FALSE;
    BOOL isFile = (data.attrib & _A_SUBDIR) == 0;
    _findclose(hFind);
    return isFile;
}

// The identity of an existing file or folder; FALSE when it cannot be opened.
// No access is asked for, so a file that another program holds open, even
// without sharing, still gives its identity.
static BOOL GetFileIdentity(LPCSTR path, BY_HANDLE_FILE_INFORMATION& info)
{
    if (lstrlenA(path) >= MAX_PATH)
        return FALSE;
    HANDLE hItem = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (hItem == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL bRead = GetFileInformationByHandle(hItem, &info);
    CloseHandle(hItem);
    return bRead;
}

BOOL IsSameFile(LPCSTR pathA, LPCSTR pathB)
{
    if (lstrcmpiA(pathA, pathB) == 0)
        return TRUE;
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!GetFileIdentity(pathA, a) || !GetFileIdentity(pathB, b))
        return FALSE;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

BOOL ItemExists(LPCSTR path)
{
    return lstrlenA(path) < MAX_PATH && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int CreateFolderTree(LPCSTR path)
{
    CFolderUtil util;
    return util.CreateFolderTree(path);
}

int RemoveFolderTree(LPCSTR path)
{
    CFolderUtil util;
    return util.RemoveFolderTree(path);
}
