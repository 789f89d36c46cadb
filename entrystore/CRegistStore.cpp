#include "CRegistStore.h"
#include "CFolderUtil.h"
#include "CRegistEntry.h"
#include "CRegistLayout.h"
#include "CResidentLink.h"
#include "PathUtil.h"

static void AppendName(CString& path, LPCSTR pszName)
{
    AppendBackslash(path);
    path += pszName;
}

static BOOL IsTooLong(const CString& path)
{
    return path.GetLength() >= MAX_PATH;
}

static BOOL IsFolder(LPCSTR path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void ClearReadOnly(LPCSTR path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Splits a path at its last backslash, found character by character so that
// a trail byte of value 0x5C is never taken for one. FALSE without a backslash.
static BOOL SplitAtLastBackslash(const CString& path, CString& head, CString& tail)
{
    int last = -1;
    for (int i = 0; i < path.GetLength(); i += path.CharLengthAt(i)) {
        if (path.CharLengthAt(i) == 1 && path.GetAt(i) == '\\')
            last = i;
    }
    if (last < 0)
        return FALSE;
    head = path.Left(last);
    tail = path.Mid(last + 1);
    return TRUE;
}

// A folder name that names exactly one subfolder: no separators, drive
// colons or wildcards, and no trailing dot or blank, which the platform
// would strip (".." and "..." would then name a folder above).
static BOOL IsPlainFolderName(const CString& name)
{
    if (name.IsEmpty())
        return FALSE;
    for (int i = 0; i < name.GetLength(); i += name.CharLengthAt(i)) {
        if (name.CharLengthAt(i) == 2)
            continue;
        char ch = name.GetAt(i);
        if (ch == '/' || ch == ':' || ch == '*' || ch == '?' || ch == '"' || ch == '<' ||
            ch == '>' || ch == '|')
            return FALSE;
    }
    int lastStart = 0;
    for (int i = 0; i < name.GetLength(); i += name.CharLengthAt(i))
        lastStart = i;
    if (name.CharLengthAt(lastStart) == 1) {
        char last = name.GetAt(lastStart);
        if (last == '.' || last == ' ')
            return FALSE;
    }
    return TRUE;
}

CRegistStore::Result CRegistStore::Commit(CRegistEntry& entry, const CommitPaths& paths, BOOL bStartup)
{
    // An existing file of the folder's name counts as created for the
    // folder operations; it is no folder to write into all the same.
    int result = CreateFolderTree(paths.entryFolder);
    if (result == 0 && !IsFolder(paths.entryFolder))
        result = ERROR_ALREADY_EXISTS;
    if (result != 0)
        return Result(StepEntryFolder, result, paths.entryFolder);
    // In edit mode this replaces the path the entry was listed under.
    entry.m_strIniPath = paths.iniPath;
    if (!SaveEntry(&entry))
        return Result(StepSettings, static_cast<int>(GetLastError()), paths.iniPath);
    // Nothing starts the copy, so its result is not examined. A copy that
    // came read-only (from a tool folder copied off read-only media) could
    // be neither overwritten by the next commit nor deleted with the entry.
    if (paths.bCopy) {
        ClearReadOnly(paths.copyTarget);
        CopyFileA(paths.copySource, paths.copyTarget, FALSE);
        ClearReadOnly(paths.copyTarget);
    }
    result = CResidentLink::Write(paths.linkPath, entry, paths.entryFolder, paths.iniPath);
    if (result != 0)
        return Result(StepEntryLink, result, paths.linkPath);
    if (bStartup)
        return WriteStartupLink(entry, paths.linkName, paths.entryFolder, paths.iniPath);
    return Result();
}

CRegistStore::Result CRegistStore::WriteStartupLink(const CRegistEntry& entry, LPCSTR pszLinkName,
                                                    LPCSTR pszEntryFolder, LPCSTR pszIniPath)
{
    // A Startup folder that the user (or a cleaner) removed is made anew; one
    // that cannot be made costs the registration its Startup shortcut only.
    CString linkPath;
    int result = CResidentLink::LocateStartupFolder(linkPath);
    if (result == 0 && !IsFolder(linkPath)) {
        result = CreateFolderTree(linkPath);
        if (result == 0 && !IsFolder(linkPath))
            result = ERROR_ALREADY_EXISTS;
    }
    if (result != 0)
        return Result(StepStartupFolder, result, linkPath);
    AppendName(linkPath, pszLinkName);
    result = IsTooLong(linkPath) ? ERROR_FILENAME_EXCED_RANGE
                                 : CResidentLink::Write(linkPath, entry, pszEntryFolder, pszIniPath);
    if (result != 0)
        return Result(StepStartupLink, result, linkPath);
    return Result();
}

BOOL CRegistStore::FindRemovableFolder(const CString& iniPath, const CString& toolDir, CString& folder)
{
    CString entryFolder, iniName, parent, name;
    if (!SplitAtLastBackslash(iniPath, entryFolder, iniName))
        return FALSE;
    if (!SplitAtLastBackslash(entryFolder, parent, name))
        return FALSE;
    if (!IsPlainFolderName(name))
        return FALSE;
    parent += '\\';
    if (lstrcmpiA(parent, toolDir) != 0)
        return FALSE;
    folder = entryFolder;
    return TRUE;
}

CRegistStore::Result CRegistStore::LocateStartupLink(LPCSTR pszLinkName, CString& linkPath)
{
    linkPath = "";
    CString startup;
    int lookup = CResidentLink::LocateStartupFolder(startup);
    // A Startup folder that does not exist holds no shortcut to remove.
    if (lookup == ERROR_FILE_NOT_FOUND || lookup == ERROR_PATH_NOT_FOUND)
        return Result();
    if (lookup != 0)
        return Result(StepStartupLookup, lookup, startup);
    AppendName(startup, pszLinkName);
    // A path that does not fit was never written by a commit.
    if (!IsTooLong(startup))
        linkPath = startup;
    return Result();
}

// The step a check's finding stands for: the messages differ.
static CRegistStore::Step BlockingStep(const CFolderUtil& util, int code)
{
    if (util.FailedKind() == CFolderUtil::FailTree)
        return CRegistStore::StepFolderRefused;
    if (util.FailedKind() == CFolderUtil::FailFolder)
        return code == ERROR_SHARING_VIOLATION ? CRegistStore::StepFolderInUse : CRegistStore::StepItemBlocked;
    DWORD attributes = GetFileAttributesA(util.FailedItem());
    BOOL bReadOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    return code == ERROR_ACCESS_DENIED && bReadOnly ? CRegistStore::StepReadOnlyFile
                                                    : CRegistStore::StepItemBlocked;
}

CRegistStore::Result CRegistStore::CheckRemoval(const CString& folder, const CString& startupLinkPath,
                                                CFolderUtil::ProgressFn pfnProgress, void* pContext)
{
    if (!startupLinkPath.IsEmpty() && FileExists(startupLinkPath)) {
        // A shortcut that cannot be read (locked) cannot be told to be this
        // entry's or another's: nothing is removed.
        HANDLE hFile = CreateFileA(startupLinkPath, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                   0, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
            return Result(StepStartupLinkLocked, static_cast<int>(GetLastError()), startupLinkPath);
        CloseHandle(hFile);
    }
    // A removal that stopped half way would leave a registration without its
    // Startup shortcut or settings file: what would stop it is found first.
    CFolderUtil util(pfnProgress, pContext);
    int result = util.CheckRemovable(folder);
    if (result == 0)
        return Result();
    return Result(BlockingStep(util, result), result, util.FailedItem());
}

CRegistStore::Result CRegistStore::Remove(const CString& folder, const CString& startupLinkPath,
                                          const CString& ownIniPath, CFolderUtil::ProgressFn pfnProgress,
                                          void* pContext)
{
    Result removed = RemoveOwnStartupLink(startupLinkPath, ownIniPath);
    if (!removed.Succeeded())
        return removed;
    CFolderUtil util(pfnProgress, pContext);
    int result = util.RemoveFolderTree(folder);
    if (result == 0)
        return Result();
    return Result(util.FailedKind() == CFolderUtil::FailFile ? StepRemoveFile : StepRemoveFolder, result,
                  util.FailedItem());
}

CRegistStore::Result CRegistStore::RemoveOwnStartupLink(const CString& linkPath, const CString& ownIniPath)
{
    if (linkPath.IsEmpty() || !FileExists(linkPath))
        return Result();
    // The file name alone does not tell whose it is: a copied or renamed
    // entry folder shares it with the registration it came from.
    // Its settings path may be written in another form (a short name, another
    // drive letter for the same folder): the file it names decides.
    CString target, arguments, iniPath;
    if (!CResidentLink::Read(linkPath, target, arguments) || !CRegistLayout::IniPathOf(arguments, iniPath) ||
        !IsSameFile(iniPath, ownIniPath))
        return Result();
    // A link goes as itself. One the platform only opens as its target
    // (Wine's Unix links) cannot be removed without touching that target,
    // and stays.
    CFolderUtil util;
    int result = util.DeleteFileItself(linkPath);
    if (result == 0 || result == ERROR_CANT_RESOLVE_FILENAME)
        return Result();
    return Result(StepStartupLinkDelete, result, linkPath);
}

CRegistStore::Result CRegistStore::Relink(const CRegistEntry& entry, const CString& entryFolder,
                                          const CString& linkPath, const CString& startupLinkPath,
                                          const CString& oldIniPath)
{
    // A Startup shortcut of the same name that names another settings file
    // belongs to another registration (of another tool folder) and stays; so
    // does one whose settings file exists, whatever form its path takes.
    CString target, arguments, iniPath;
    if (!startupLinkPath.IsEmpty() && !oldIniPath.IsEmpty() && FileExists(startupLinkPath) &&
        CResidentLink::Read(startupLinkPath, target, arguments) && CRegistLayout::IniPathOf(arguments, iniPath) &&
        lstrcmpiA(iniPath, oldIniPath) == 0 && !ItemExists(iniPath)) {
        int result = CResidentLink::Write(startupLinkPath, entry, entryFolder, entry.m_strIniPath);
        if (result != 0)
            return Result(StepStartupLink, result, startupLinkPath);
    }
    int result = CResidentLink::Write(linkPath, entry, entryFolder, entry.m_strIniPath);
    if (result != 0)
        return Result(StepEntryLink, result, linkPath);
    return Result();
}
