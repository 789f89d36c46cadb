#include "CRegistStore.h"
#include "CFolderUtil.h"
#include "CRegistEntry.h"
#include "CRegistLayout.h"
#include "CResidentLink.h"
#include "PathUtil.h"

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

CRegistStore::Result CRegistStore::Commit(CRegistEntry& entry, const CRegistLayout& layout, BOOL bStartup)
{
    // An existing file of the folder's name counts as created for the
    // folder operations; it is no folder to write into all the same.
    CString entryFolder = layout.EntryFolder();
    int result = CreateFolderTree(entryFolder);
    if (result == 0 && !IsFolder(entryFolder))
        result = ERROR_ALREADY_EXISTS;
    if (result != 0)
        return Result(StepEntryFolder, result, entryFolder);
    // In edit mode this replaces the path the entry was listed under.
    entry.m_strIniPath = layout.SettingsPath();
    if (!SaveEntry(&entry))
        return Result(StepSettings, static_cast<int>(GetLastError()), entry.m_strIniPath);
    // Nothing starts the copy, so its result is not examined. A copy that
    // came read-only (from a tool folder copied off read-only media) could
    // be neither overwritten by the next commit nor deleted with the entry.
    CString copyTarget = layout.CopyTarget();
    if (FileExists(layout.CopySource()) && !IsTooLong(copyTarget)) {
        ClearReadOnly(copyTarget);
        CopyFileA(layout.CopySource(), copyTarget, FALSE);
        ClearReadOnly(copyTarget);
    }
    CString linkPath = layout.EntryLinkPath();
    result = CResidentLink::Write(linkPath, entry, layout);
    if (result != 0)
        return Result(StepEntryLink, result, linkPath);
    if (bStartup)
        return WriteStartupLink(entry, layout);
    return Result();
}

int CRegistStore::StartResident(const CRegistEntry& entry, const CRegistLayout& layout)
{
    // The program's path quoted, the arguments as the shortcut holds them.
    CString commandLine = "\"" + layout.ResidentPath() + "\" " + layout.Arguments();
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    BOOL bStarted = CreateProcessA(layout.ResidentPath(), commandLine.GetBuffer(commandLine.GetLength()), NULL,
                                   NULL, FALSE, 0, NULL, layout.WorkFolder(entry), &startup, &process);
    DWORD dwError = GetLastError();
    commandLine.ReleaseBuffer();
    if (!bStarted)
        return static_cast<int>(dwError);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

CRegistStore::Result CRegistStore::WriteStartupLink(const CRegistEntry& entry, const CRegistLayout& layout)
{
    // A Startup folder that the user (or a cleaner) removed is made anew; one
    // that cannot be made costs the registration its Startup shortcut only.
    CString folder = layout.StartupFolder();
    int result = layout.StartupLookupResult();
    if (result == 0 && !IsFolder(folder)) {
        result = CreateFolderTree(folder);
        if (result == 0 && !IsFolder(folder))
            result = ERROR_ALREADY_EXISTS;
    }
    if (result != 0)
        return Result(StepStartupFolder, result, folder);
    CString linkPath = layout.StartupLinkPath();
    result = IsTooLong(linkPath) ? ERROR_FILENAME_EXCED_RANGE : CResidentLink::Write(linkPath, entry, layout);
    if (result != 0)
        return Result(StepStartupLink, result, linkPath);
    return Result();
}

BOOL CRegistStore::FindRemovableFolder(const CString& iniPath, const CString& toolDir, CRegistLayout& layout)
{
    CRegistLayout found;
    if (!CRegistLayout::FromSettingsPath(iniPath, found) || !IsPlainFolderName(found.EntryName()))
        return FALSE;
    if (lstrcmpiA(found.ToolDir(), toolDir) != 0)
        return FALSE;
    layout = found;
    return TRUE;
}

CRegistStore::Result CRegistStore::LocateStartupLink(CRegistLayout& layout, CString& linkPath)
{
    linkPath = "";
    int lookup = CResidentLink::LocateStartupFolder(layout);
    // A Startup folder that does not exist holds no shortcut to remove.
    if (lookup == ERROR_FILE_NOT_FOUND || lookup == ERROR_PATH_NOT_FOUND)
        return Result();
    if (lookup != 0)
        return Result(StepStartupLookup, lookup, "");
    // A path that does not fit was never written by a commit.
    if (!IsTooLong(layout.StartupLinkPath()))
        linkPath = layout.StartupLinkPath();
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

CRegistStore::Result CRegistStore::Relink(const CRegistEntry& entry, const CRegistLayout& layout,
                                          const CString& oldIniPath)
{
    // A Startup shortcut of the same name that names another settings file
    // belongs to another registration (of another tool folder) and stays; so
    // does one whose settings file exists, whatever form its path takes.
    CString startupLinkPath = IsTooLong(layout.StartupLinkPath()) ? CString() : layout.StartupLinkPath();
    CString target, arguments, iniPath;
    if (!startupLinkPath.IsEmpty() && !oldIniPath.IsEmpty() && FileExists(startupLinkPath) &&
        CResidentLink::Read(startupLinkPath, target, arguments) && CRegistLayout::IniPathOf(arguments, iniPath) &&
        lstrcmpiA(iniPath, oldIniPath) == 0 && !ItemExists(iniPath)) {
        int result = CResidentLink::Write(startupLinkPath, entry, layout);
        if (result != 0)
            return Result(StepStartupLink, result, startupLinkPath);
    }
    CString linkPath = layout.EntryLinkPath();
    int result = CResidentLink::Write(linkPath, entry, layout);
    if (result != 0)
        return Result(StepEntryLink, result, linkPath);
    return Result();
}
