#include "CFolderUtil.h"

#include "PathUtil.h"

#include <cstring>

// Folders that are not entry folders: hidden, system and temporary ones.
static const DWORD kNotEntryFolder =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;

// Compared byte for byte: a locale comparison may call other names equal.
static BOOL IsDotEntry(LPCSTR name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The search pattern folder\*.*. FALSE when the folder leaves no room for the
// backslash: the pattern would then list the folder's siblings.
static BOOL MakePattern(LPCSTR folder, CString& pattern)
{
    pattern = folder;
    if (pattern.GetLength() >= MAX_PATH)
        return FALSE;
    AppendBackslash(pattern);
    if (!EndsWithBackslash(pattern) && pattern.GetLength() + 1 >= MAX_PATH)
        return FALSE;
    pattern += "*.*";
    return TRUE;
}

// Starts listing the folder's items; INVALID_HANDLE_VALUE when there is
// nothing to list or no safe pattern for it.
static HANDLE FindFirstIn(LPCSTR folder, WIN32_FIND_DATAA& data)
{
    CString pattern;
    ZeroMemory(&data, sizeof(data));
    return MakePattern(folder, pattern) ? FindFirstFileA(pattern, &data) : INVALID_HANDLE_VALUE;
}

CFolderUtil::CFolderUtil()
    : m_pfnProgress(NULL), m_pProgressContext(NULL), m_failedKind(FailNone)
{
}

CFolderUtil::CFolderUtil(ProgressFn pfnProgress, void* pContext)
    : m_pfnProgress(pfnProgress), m_pProgressContext(pContext), m_failedKind(FailNone)
{
}

int CFolderUtil::EnumSubFolders(CStringArray& names, LPCSTR folder)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstIn(folder, data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & kNotEntryFolder) && !IsDotEntry(data.cFileName))
                names.Add(data.cFileName);
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    return static_cast<int>(names.GetSize());
}

void CFolderUtil::AppendBackslash(CString& path)
{
    ::AppendBackslash(path);
}

int CFolderUtil::CreateFolderTree(LPCSTR path)
{
    CString folder(path);
    if (folder.GetLength() < 3)
        return -2;
    if (folder.GetLength() >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    if (EndsWithBackslash(folder))
        folder = folder.Left(folder.GetLength() - 1);
    // Byte 3 is the first one after a drive root such as C:\ .
    return CreateFolderFrom(folder, 3);
}

int CFolderUtil::CreateFolderFrom(LPCSTR path, int nStart)
{
    CString folder(path);
    if (folder.GetLength() >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    int separator = nStart < folder.GetLength() ? folder.Find('\\', nStart) : -1;
    int result = CreateOneFolder(separator >= 0 ? folder.Left(separator) : folder);
    if (result != 0 || separator < 0)
        return result;
    return CreateFolderFrom(folder, separator + 1);
}

int CFolderUtil::CreateOneFolder(LPCSTR path)
{
    if (lstrlenA(path) >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    SECURITY_ATTRIBUTES security = { sizeof(SECURITY_ATTRIBUTES), NULL, TRUE };
    if (CreateDirectoryA(path, &security))
        return 0;
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS ? 0 : static_cast<int>(error);
}

// ---- Removal -------------------------------------------------------------

int CFolderUtil::Fail(FailureKind kind, int code, const CString& item)
{
    if (code != 0) {
        m_failedKind = kind;
        m_failedItem = item;
    }
    return code;
}

void CFolderUtil::Progress()
{
    if (m_pfnProgress)
        m_pfnProgress(m_pProgressContext);
}

static CFolderUtil::FailureKind KindOf(BOOL isFolder)
{
    return isFolder ? CFolderUtil::FailFolder : CFolderUtil::FailFile;
}

static BOOL IsSeparator(char ch)
{
    return ch == '\\' || ch == '/';
}

// A name that the search gave back holding a separator or a wildcard does not
// name the item found: in code page 932 the best-fit conversion turns ¥ into
// a backslash, so x¥..¥..¥a.txt arrives as x\..\..\a.txt and would name a
// file two folders up.
static BOOL IsPlainName(const CString& name)
{
    for (int i = 0; i < name.GetLength(); i += name.CharLengthAt(i)) {
        char ch = name.GetAt(i);
        if (name.CharLengthAt(i) == 1 && (IsSeparator(ch) || ch == '*' || ch == '?'))
            return FALSE;
    }
    return TRUE;
}

// A component that the platform shortens to nothing or to a step upwards:
// ".", "..", "...", " ." and the like.
static BOOL IsDotsAndBlanks(const CString& component)
{
    for (int i = 0; i < component.GetLength(); ++i) {
        if (component.GetAt(i) != '.' && component.GetAt(i) != ' ')
            return FALSE;
    }
    return TRUE;
}

// X:\name[\name...]: an empty or relative path would name the current folder,
// a drive root or a step upwards would name far more than an entry folder.
static BOOL IsTreePath(const CString& path)
{
    if (path.GetLength() < 4 || path.GetAt(1) != ':' || path.GetAt(2) != '\\')
        return FALSE;
    char drive = path.GetAt(0);
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')))
        return FALSE;
    int names = 0;
    int start = 3;
    for (int i = 3; i <= path.GetLength(); ) {
        BOOL end = i == path.GetLength();
        int step = end ? 1 : path.CharLengthAt(i);
        char ch = end ? '\\' : path.GetAt(i);
        if (step == 1 && (ch == '*' || ch == '?' || ch == ':'))
            return FALSE;
        if (step == 1 && IsSeparator(ch)) {
            CString component = path.Mid(start, i - start);
            if (!component.IsEmpty()) {
                if (IsDotsAndBlanks(component))
                    return FALSE;
                ++names;
            }
            start = i + 1;
        }
        i += step;
    }
    return names > 0;
}

static CString JoinPath(const CString& folder, LPCSTR name)
{
    return EndsWithBackslash(folder) ? folder + name : folder + "\\" + name;
}

typedef DWORD (WINAPI* GetFinalPathFn)(HANDLE, LPSTR, DWORD, DWORD);

// Looked up rather than imported, so that the tool still starts on systems
// without it; there, the only links are reparse points, which are not entered.
static GetFinalPathFn FinalPathFunction()
{
    static GetFinalPathFn s_fn = reinterpret_cast<GetFinalPathFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    return s_fn;
}

typedef BOOL (WINAPI* SetFileInfoFn)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

static SetFileInfoFn SetFileInfoFunction()
{
    static SetFileInfoFn s_fn = reinterpret_cast<SetFileInfoFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    return s_fn;
}

// The item itself (never what a link points to), with the given access.
static HANDLE OpenItem(LPCSTR path, DWORD access)
{
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

static int LastErrorOr(int fallback)
{
    DWORD error = GetLastError();
    return error ? static_cast<int>(error) : fallback;
}

// The lookup's own error code: 1921 would tell the user of a link that is
// not there. Some volumes (network shares among them) cannot give the
// normalized form; the opened form names the item as well.
static int GetFinalPathOf(HANDLE hItem, CString& finalPath)
{
    const DWORD forms[] = { FILE_NAME_NORMALIZED, FILE_NAME_OPENED };
    int error = ERROR_INVALID_FUNCTION;
    for (DWORD form : forms) {
        char buffer[2 * MAX_PATH] = {0};
        SetLastError(0);
        DWORD n = FinalPathFunction()(hItem, buffer, sizeof(buffer), form);
        if (n > 0 && n < sizeof(buffer)) {
            finalPath = buffer;
            return 0;
        }
        error = n >= sizeof(buffer) ? ERROR_FILENAME_EXCED_RANGE : LastErrorOr(ERROR_INVALID_FUNCTION);
    }
    return error;
}

// The path under which the system finally knows the item, opened as itself.
// Wine follows a Unix symbolic link even so, and shows a link to a file as a
// plain file that DeleteFileA would delete the target of: the final path is
// what tells such an item from one that really lies in the folder.
static int GetFinalPath(LPCSTR path, CString& finalPath)
{
    HANDLE hItem = OpenItem(path, FILE_READ_ATTRIBUTES);
    if (hItem == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_INVALID_FUNCTION);
    int error = GetFinalPathOf(hItem, finalPath);
    CloseHandle(hItem);
    return error;
}

// Marks the opened file for deletion. With POSIX semantics its name goes at
// once, even while a scanner or indexer holds it open with delete sharing,
// so that the folder can be removed right after. Systems and volumes without
// them refuse the request; there the file goes when the last handle closes.
// A read-only file is refused either way (5).
static int MarkForDeletion(HANDLE hItem)
{
    // FileDispositionInfoEx with its flags, from the headers of Windows 10
    // (1607), which the build does not target.
    const FILE_INFO_BY_HANDLE_CLASS kDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
    const DWORD kFlagDelete = 0x1;
    const DWORD kFlagPosixSemantics = 0x2;
    DWORD flags = kFlagDelete | kFlagPosixSemantics;
    if (SetFileInfoFunction()(hItem, kDispositionInfoEx, &flags, sizeof(flags)))
        return 0;
    FILE_DISPOSITION_INFO info = { TRUE };
    if (SetFileInfoFunction()(hItem, FileDispositionInfo, &info, sizeof(info)))
        return 0;
    return LastErrorOr(ERROR_ACCESS_DENIED);
}

// Opens a file for deletion, as itself, and makes sure it is what was found
// to lie in the folder: 0 with the handle, 1921 when it resolves elsewhere,
// or the error of the open (32 while another handle refuses delete sharing).
static int OpenCheckedFile(LPCSTR path, const CString& expectedFinal, HANDLE& hItem)
{
    hItem = OpenItem(path, DELETE | FILE_READ_ATTRIBUTES);
    if (hItem == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_INVALID_FUNCTION);
    if (!FinalPathFunction())
        return 0;
    CString itemFinal;
    int error = GetFinalPathOf(hItem, itemFinal);
    if (error == 0 && lstrcmpiA(itemFinal, expectedFinal) != 0)
        error = ERROR_CANT_RESOLVE_FILENAME;
    if (error != 0) {
        CloseHandle(hItem);
        hItem = INVALID_HANDLE_VALUE;
    }
    return error;
}

// Deletes a file through the very handle its location was checked on, so
// that what is deleted is what was found to lie in the folder (and the file
// is opened once, not twice). 0, 1921 when it resolves elsewhere, or the
// error code (5 for a read-only file, 32 for one in use).
static int DeleteCheckedFile(LPCSTR path, const CString& expectedFinal)
{
    if (!FinalPathFunction() || !SetFileInfoFunction())
        return DeleteFileA(path) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
    HANDLE hItem = INVALID_HANDLE_VALUE;
    int error = OpenCheckedFile(path, expectedFinal, hItem);
    if (error != 0)
        return error;
    error = MarkForDeletion(hItem);
    CloseHandle(hItem);
    return error;
}

// Whether DeleteCheckedFile would get the file: opened the same way, then
// let go.
static int CheckFileDeletable(LPCSTR path, const CString& expectedFinal)
{
    HANDLE hItem = INVALID_HANDLE_VALUE;
    int error = OpenCheckedFile(path, expectedFinal, hItem);
    if (error == 0)
        CloseHandle(hItem);
    return error;
}

// Whether a folder can be opened for deletion beside the handles others
// hold. Sharing everything, the open fails (32) only where a handle refuses
// delete sharing: a process's current folder on Windows, a program that
// opened it without. An Explorer window, an indexer or a scanner share it.
static int CheckFolderDeletable(LPCSTR folder)
{
    HANDLE hFolder = OpenItem(folder, DELETE | FILE_READ_ATTRIBUTES);
    if (hFolder == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_SHARING_VIOLATION);
    CloseHandle(hFolder);
    return 0;
}

// 0 when the item at itemPath is the entry name of the folder whose final
// path is folderFinal; else an error code (1921 when it resolves elsewhere).
static int CheckLiesInside(const CString& itemPath, const CString& folderFinal, LPCSTR name,
                           CString& itemFinal)
{
    if (!FinalPathFunction()) {
        itemFinal = itemPath;
        return 0;
    }
    int error = GetFinalPath(itemPath, itemFinal);
    if (error != 0)
        return error;
    if (lstrcmpiA(itemFinal, JoinPath(folderFinal, name)) != 0)
        return ERROR_CANT_RESOLVE_FILENAME;
    return 0;
}

// The folder given for removal, as found on disk.
struct TreeRoot {
    BOOL exists;
    BOOL isLink;
    CString finalPath;
};

// Finds the folder and makes sure that it is itself what its path names: a
// link at the top would carry the removal into the link's target.
static int InspectRoot(const CString& folder, TreeRoot& root)
{
    CString bare = EndsWithBackslash(folder) ? folder.Left(folder.GetLength() - 1) : folder;
    WIN32_FIND_DATAA data;
    ZeroMemory(&data, sizeof(data));
    HANDLE hFind = FindFirstFileA(bare, &data);
    root.exists = hFind != INVALID_HANDLE_VALUE;
    root.isLink = FALSE;
    if (!root.exists)
        return 0;   // the removal of the folder itself reports what is missing
    FindClose(hFind);
    root.isLink = CFolderUtil::IsLink(data);
    if (!FinalPathFunction()) {
        root.finalPath = bare;
        return 0;
    }
    int separator = bare.ReverseFind('\\');
    int slash = bare.ReverseFind('/');
    CString parent = bare.Left((slash > separator ? slash : separator) + 1);
    CString parentFinal;
    int error = GetFinalPath(parent, parentFinal);
    if (error != 0)
        return error;
    return CheckLiesInside(bare, parentFinal, data.cFileName, root.finalPath);
}

// Every check that can refuse the removal of the folder as a whole.
int CFolderUtil::InspectTree(const CString& folder, TreeRoot& root)
{
    m_failedKind = FailNone;
    m_failedItem.Empty();
    if (folder.GetLength() >= MAX_PATH)
        return Fail(FailTree, ERROR_FILENAME_EXCED_RANGE, folder);
    if (!IsTreePath(folder))
        return Fail(FailTree, ERROR_INVALID_NAME, folder);
    return Fail(FailTree, InspectRoot(folder, root), folder);
}

int CFolderUtil::CheckRemovable(LPCSTR path)
{
    CString folder(path);
    TreeRoot root;
    int error = InspectTree(folder, root);
    if (error != 0)
        return error;
    CString bare = EndsWithBackslash(folder) ? folder.Left(folder.GetLength() - 1) : folder;
    // A missing folder is what its removal would stop at; one the search
    // does not list, and a link, are removed as themselves.
    if (!root.exists && GetFileAttributesA(bare) == INVALID_FILE_ATTRIBUTES)
        return Fail(FailTree, LastErrorOr(ERROR_FILE_NOT_FOUND), bare);
    if (!root.exists || root.isLink)
        return Fail(FailFolder, CheckFolderDeletable(bare), bare);
    return CheckFolderLevel(bare, root.finalPath);
}

int CFolderUtil::CheckFolderLevel(const CString& folder, const CString& finalPath)
{
    int result = 0;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstIn(folder, data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            Progress();
            result = CheckItem(folder, finalPath, data);
        } while (result == 0 && FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    // The folder itself last, once the listing has let it go.
    return result != 0 ? result : Fail(FailFolder, CheckFolderDeletable(folder), folder);
}

int CFolderUtil::CheckItem(const CString& folder, const CString& finalPath, const WIN32_FIND_DATAA& data)
{
    CString name(data.cFileName);
    if (IsDotEntry(name))
        return 0;
    CString item = JoinPath(folder, name);
    // The removal leaves such a name alone, and its folder then stays.
    if (!IsPlainName(name))
        return Fail(FailFolder, ERROR_DIR_NOT_EMPTY, item);
    BOOL isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (item.GetLength() >= MAX_PATH)
        return Fail(KindOf(isFolder), ERROR_FILENAME_EXCED_RANGE, item);
    if (!isFolder) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            return Fail(FailFile, ERROR_ACCESS_DENIED, item);
        return Fail(FailFile, CheckFileDeletable(item, JoinPath(finalPath, name)), item);
    }
    CString itemFinal;
    int error = CheckLiesInside(item, finalPath, name, itemFinal);
    if (error != 0)
        return Fail(FailFolder, error, item);
    if (IsLink(data))
        return Fail(FailFolder, CheckFolderDeletable(item), item);
    return CheckFolderLevel(item, itemFinal);
}

int CFolderUtil::DeleteFileItself(LPCSTR path)
{
    CString file(path);
    int separator = file.ReverseFind('\\');
    if (file.GetLength() >= MAX_PATH || separator < 0)
        return ERROR_INVALID_NAME;
    CString name = file.Mid(separator + 1);
    if (!FinalPathFunction() || !SetFileInfoFunction())
        return DeleteCheckedFile(file, file);
    CString folderFinal;
    int error = GetFinalPath(file.Left(separator + 1), folderFinal);
    return error != 0 ? error : DeleteCheckedFile(file, JoinPath(folderFinal, name));
}

BOOL CFolderUtil::IsLink(const WIN32_FIND_DATAA& data)
{
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return FALSE;
    // The search gives the reparse tag in dwReserved0.
    DWORD tag = data.dwReserved0;
    return tag == 0 || IsReparseTagNameSurrogate(tag);
}

int CFolderUtil::RemoveFolderTree(LPCSTR path)
{
    CString folder(path);
    TreeRoot root;
    int error = InspectTree(folder, root);
    if (error != 0)
        return error;
    // A link is removed as a link: its target's content is not ours.
    if (root.exists && !root.isLink)
        return RemoveFolderLevel(folder, root.finalPath);
    return RemoveFolderItself(folder);
}

int CFolderUtil::RemoveFolderLevel(const CString& folder, const CString& finalPath)
{
    int result = 0;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstIn(folder, data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            Progress();
            result = RemoveItem(folder, finalPath, data);
        } while (result == 0 && FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    if (result != 0)
        return result;   // recorded where it happened
    return RemoveFolderItself(folder);
}

int CFolderUtil::RemoveItem(const CString& folder, const CString& finalPath,
                            const WIN32_FIND_DATAA& data)
{
    CString name(data.cFileName);
    if (IsDotEntry(name) || !IsPlainName(name))
        return 0;
    BOOL isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    BOOL isLink = IsLink(data);
    CString item = JoinPath(folder, name);
    if (item.GetLength() >= MAX_PATH)
        return Fail(KindOf(isFolder), ERROR_FILENAME_EXCED_RANGE, item);
    if (!isFolder) {
        // Attributes stay as they are: a read-only file ends the removal.
        return Fail(FailFile, DeleteCheckedFile(item, JoinPath(finalPath, name)), item);
    }
    CString itemFinal;
    int error = CheckLiesInside(item, finalPath, name, itemFinal);
    if (error != 0)
        return Fail(FailFolder, error, item);
    if (!isLink)
        return RemoveFolderLevel(item, itemFinal);
    if (!RemoveDirectoryA(item))
        return Fail(FailFolder, static_cast<int>(GetLastError()), item);
    return 0;
}

int CFolderUtil::RemoveFolderItself(const CString& folder)
{
    // A drive root (3 bytes or less) is never removed.
    if (folder.GetLength() > 3 && !RemoveDirectoryA(folder))
        return Fail(FailFolder, static_cast<int>(GetLastError()), folder);
    return 0;
}
