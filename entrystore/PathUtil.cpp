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

// An existing file or folder, opened for its identity only. No access is
// asked for, so a file that another program holds open, even without
// sharing, still gives it.
static HANDLE OpenForIdentity(LPCSTR path)
{
    if (lstrlenA(path) >= MAX_PATH)
        return INVALID_HANDLE_VALUE;
    return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

typedef BOOL (WINAPI* GetFileInfoExFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// FileIdInfo (Windows 8 on) with its record, from headers the build does not target.
static const FILE_INFO_BY_HANDLE_CLASS kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileId128 {
    ULONGLONG volumeSerial;
    BYTE id[16];
};

// Looked up rather than imported, so that the tool still starts without it.
static GetFileInfoExFn FileInfoExFunction()
{
    static GetFileInfoExFn s_fn = reinterpret_cast<GetFileInfoExFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileInformationByHandleEx")));
    return s_fn;
}

// Compared while both stay open, so that neither can be replaced meanwhile.
// The 128-bit id where the volume gives one: on ReFS (a Dev Drive) the
// 64-bit file index is documented as not unique. Elsewhere the volume serial
// number and the 64-bit index.
static BOOL SameIdentity(HANDLE hA, HANDLE hB)
{
    FileId128 a, b;
    GetFileInfoExFn fn = FileInfoExFunction();
    if (fn && fn(hA, kFileIdInfo, &a, sizeof(a)) && fn(hB, kFileIdInfo, &b, sizeof(b)))
        return a.volumeSerial == b.volumeSerial && std::memcmp(a.id, b.id, sizeof(a.id)) == 0;
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (!GetFileInformationByHandle(hA, &infoA) || !GetFileInformationByHandle(hB, &infoB))
        return FALSE;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber && infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

BOOL IsSameFile(LPCSTR pathA, LPCSTR pathB)
{
    if (lstrcmpiA(pathA, pathB) == 0)
        return TRUE;
    HANDLE hA = OpenForIdentity(pathA);
    if (hA == INVALID_HANDLE_VALUE)
        return FALSE;
    HANDLE hB = OpenForIdentity(pathB);
    BOOL bSame = hB != INVALID_HANDLE_VALUE && SameIdentity(hA, hB);
    if (hB != INVALID_HANDLE_VALUE)
        CloseHandle(hB);
    CloseHandle(hA);
    return bSame;
}

BOOL GetFileIdentity(LPCSTR path, FileIdentity& identity)
{
    ZeroMemory(&identity, sizeof(identity));
    HANDLE h = OpenForIdentity(path);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    FileId128 id;
    BY_HANDLE_FILE_INFORMATION info;
    GetFileInfoExFn fn = FileInfoExFunction();
    BOOL bKnown = TRUE;
    if (fn && fn(h, kFileIdInfo, &id, sizeof(id))) {
        identity.nVolume = static_cast<DWORD>(id.volumeSerial);
        std::memcpy(identity.nId, id.id, sizeof(identity.nId));
    } else if (GetFileInformationByHandle(h, &info)) {
        identity.nVolume = info.dwVolumeSerialNumber;
        identity.nId[0] = info.nFileIndexLow;
        identity.nId[1] = info.nFileIndexHigh;
    } else {
        bKnown = FALSE;
    }
    CloseHandle(h);
    // Some network file systems give no id at all.
    return bKnown && (identity.nId[0] | identity.nId[1] | identity.nId[2] | identity.nId[3]) != 0;
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
