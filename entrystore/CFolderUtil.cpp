#include "CFolderUtil.h"

#include "AfxMessageBox.h"
#include "EntryStoreRes.h"
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

static int ReportFileError(int code)
{
    CString text;
    text.Format(IDS_MSG_FILE_NOT_DELETED, code);
    AfxMessageBox(text, MB_OK, 0);
    return code;
}

static int ReportFolderError(int code)
{
    CString text;
    text.Format(IDS_MSG_FOLDER_NOT_DELETED, code);
    AfxMessageBox(text, MB_OK, 0);
    return code;
}

static int ReportItemError(BOOL isFolder, int code)
{
    return isFolder ? ReportFolderError(code) : ReportFileError(code);
}

// Keeps the windows painting during a long removal: one message per item.
static void PumpOneMessage()
{
    MSG msg;
    if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
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

// Deletes a file through the very handle its location was checked on, so
// that what is deleted is what was found to lie in the folder (and the file
// is opened once, not twice). 0, 1921 when it resolves elsewhere, or the
// error code (5 for a read-only file, 32 for one in use).
static int DeleteCheckedFile(LPCSTR path, const CString& expectedFinal)
{
    if (!FinalPathFunction() || !SetFileInfoFunction())
        return DeleteFileA(path) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
    HANDLE hItem = OpenItem(path, DELETE | FILE_READ_ATTRIBUTES);
    if (hItem == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_INVALID_FUNCTION);
    CString itemFinal;
    int error = GetFinalPathOf(hItem, itemFinal);
    if (error == 0 && lstrcmpiA(itemFinal, expectedFinal) != 0)
        error = ERROR_CANT_RESOLVE_FILENAME;
    if (error == 0)
        error = MarkForDeletion(hItem);
    CloseHandle(hItem);
    return error;
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

// Every check that can refuse the removal of the folder as a whole, each
// failure reported in the folder message.
static int InspectTree(const CString& folder, TreeRoot& root)
{
    if (folder.GetLength() >= MAX_PATH)
        return ReportFolderError(ERROR_FILENAME_EXCED_RANGE);
    if (!IsTreePath(folder))
        return ReportFolderError(ERROR_INVALID_NAME);
    int error = InspectRoot(folder, root);
    return error != 0 ? ReportFolderError(error) : 0;
}

int CFolderUtil::CheckRemovable(LPCSTR path)
{
    TreeRoot root;
    return InspectTree(CString(path), root);
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

// 0 when no other handle is open on the folder: opened for deletion without
// sharing, the open fails (32) while any process holds it, its current
// folder included, which would make the folder's own removal fail last.
static int CheckFolderNotHeld(LPCSTR folder)
{
    HANDLE hFolder = CreateFileA(folder, DELETE, 0, NULL, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (hFolder == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_SHARING_VIOLATION);
    CloseHandle(hFolder);
    return 0;
}

int CFolderUtil::FindBlockingItem(LPCSTR path, CString& item)
{
    CString folder(path);
    if (EndsWithBackslash(folder))
        folder = folder.Left(folder.GetLength() - 1);
    item = folder;
    // Checked before the listing opens a handle of its own on the folder.
    int result = CheckFolderNotHeld(folder);
    if (result != 0)
        return result;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstIn(folder, data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do {
        CString name(data.cFileName);
        if (IsDotEntry(name) || !IsPlainName(name))
            continue;
        CString child = JoinPath(folder, name);
        BOOL isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
            item = child;
            result = ERROR_ACCESS_DENIED;
        } else if (isFolder && !IsLink(data) && child.GetLength() < MAX_PATH) {
            result = FindBlockingItem(child, item);
        }
    } while (result == 0 && FindNextFileA(hFind, &data));
    FindClose(hFind);
    return result;
}

int CFolderUtil::RemoveFolderTree(LPCSTR path)
{
    CString folder(path);
    TreeRoot root;
    int error = InspectTree(folder, root);
    if (error != 0)
        return error;   // reported
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
            PumpOneMessage();
            result = RemoveItem(folder, finalPath, data);
        } while (result == 0 && FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    if (result != 0)
        return result;   // reported where it happened
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
        return ReportItemError(isFolder, ERROR_FILENAME_EXCED_RANGE);
    if (!isFolder) {
        // Attributes stay as they are: a read-only file ends the removal.
        int error = DeleteCheckedFile(item, JoinPath(finalPath, name));
        return error != 0 ? ReportFileError(error) : 0;
    }
    CString itemFinal;
    int error = CheckLiesInside(item, finalPath, name, itemFinal);
    if (error != 0)
        return ReportFolderError(error);
    if (!isLink)
        return RemoveFolderLevel(item, itemFinal);
    if (!RemoveDirectoryA(item))
        return ReportFolderError(static_cast<int>(GetLastError()));
    return 0;
}

int CFolderUtil::RemoveFolderItself(const CString& folder)
{
    // A drive root (3 bytes or less) is never removed.
    if (folder.GetLength() > 3 && !RemoveDirectoryA(folder))
        return ReportFolderError(static_cast<int>(GetLastError()));
    return 0;
}
