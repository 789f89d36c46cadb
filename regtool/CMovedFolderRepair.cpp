#include "CMovedFolderRepair.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CFolderUtil.h"
#include "CRegistEntry.h"
#include "CResidentLink.h"
#include "FileKind.h"
#include "PathUtil.h"

#include <objbase.h>

static const char kIniName[] = "tavro.ini";
static CString PathIn(const CString& folder, LPCSTR pszName)
{
    CString path = folder;
    AppendBackslash(path);
    return path + pszName;
}

CMovedFolderRepair::CMovedFolderRepair()
{
}

int CMovedFolderRepair::Run()
{
    int n = FindStale();
    if (n == 0)
        return 0;
    CString question;
    question.Format(IDS_MSG_FOLDER_MOVED, n);
    // No leaves everything as it is; the next start asks again.
    if (AfxMessageBox(question, MB_YESNO, 0) == IDYES)
        RepairStale();
    return n;
}

int CMovedFolderRepair::FindStale()
{
    m_staleFolders.RemoveAll();
    m_oldIniPaths.RemoveAll();
    m_toolDir = GetModuleDir();
    m_residentPath = CResidentLink::ResidentPath();
    // An empty tool folder path (too long to fit) must not list the current folder.
    if (m_toolDir.IsEmpty())
        return 0;
    CStringArray names, linkPaths, targets, arguments;
    CFolderUtil util;
    int n = util.EnumSubFolders(names, m_toolDir);
    for (int i = 0; i < n; ++i)
        linkPaths.Add(PathIn(m_toolDir + names[i], names[i] + ".lnk"));
    CResidentLink::ReadEach(linkPaths, targets, arguments);
    for (int i = 0; i < n; ++i) {
        CString oldIniPath;
        if (IsStale(names[i], targets[i], arguments[i], oldIniPath)) {
            m_staleFolders.Add(names[i]);
            m_oldIniPaths.Add(oldIniPath);
        }
    }
    return static_cast<int>(m_staleFolders.GetSize());
}

BOOL CMovedFolderRepair::IsStale(const CString& folderName, const CString& target, const CString& arguments,
                                 CString& oldIniPath) const
{
    // An unreadable shortcut gives an empty target and no arguments: not stale.
    CString iniPath = PathIn(m_toolDir + folderName, kIniName);
    BOOL bOtherResident = lstrcmpiA(GetPathPart(target, PathNameExt), CResidentLink::kResidentName) == 0 &&
                          lstrcmpiA(target, m_residentPath) != 0;
    BOOL bOtherSettings = CResidentLink::IniPathOf(arguments, oldIniPath) && lstrcmpiA(oldIniPath, iniPath) != 0;
    // Without its settings file there is nothing to write a shortcut from:
    // such a folder is no registration to repair.
    return (bOtherResident || bOtherSettings) && FileExists(iniPath);
}

int CMovedFolderRepair::RepairStale()
{
    CString startupFolder = CResidentLink::StartupFolder();
    HRESULT hrCom = CoInitialize(NULL);
    int nFailed = 0;
    for (INT_PTR i = 0; i < m_staleFolders.GetSize(); ++i)
        nFailed += RepairEntry(m_staleFolders[i], m_oldIniPaths[i], startupFolder);
    if (SUCCEEDED(hrCom))
        CoUninitialize();
    if (nFailed > 0)
        AfxMessageBox(IDS_MSG_SHORTCUT_NOT_CREATED, MB_OK, 0);
    return nFailed;
}

int CMovedFolderRepair::RepairEntry(const CString& folderName, const CString& oldIniPath,
                                    const CString& startupFolder)
{
    // Written exactly as a commit writes them, from the settings file as it
    // stands; the paths inside it are the user's and stay as they are.
    CString entryFolder = m_toolDir + folderName;
    CString linkName = folderName + ".lnk";
    CRegistEntry entry;
    entry.m_strIniPath = PathIn(entryFolder, kIniName);
    if (!LoadEntry(&entry))
        return 1;
    int nFailed = 0;
    if (CResidentLink::Write(PathIn(entryFolder, linkName), entry, entryFolder, entry.m_strIniPath) != 0)
        ++nFailed;
    if (!startupFolder.IsEmpty() &&
        !RepairStartupLink(PathIn(startupFolder, linkName), oldIniPath, entry, entryFolder))
        ++nFailed;
    return nFailed;
}

BOOL CMovedFolderRepair::RepairStartupLink(const CString& linkPath, const CString& oldIniPath,
                                           const CRegistEntry& entry, const CString& entryFolder)
{
    CString target, arguments, iniPath;
    // A Startup shortcut of the same name that names another settings file
    // belongs to another registration (of another tool folder) and stays.
    if (oldIniPath.IsEmpty() || !FileExists(linkPath) || !CResidentLink::Read(linkPath, target, arguments) ||
        !CResidentLink::IniPathOf(arguments, iniPath) || lstrcmpiA(iniPath, oldIniPath) != 0)
        return TRUE;
    return CResidentLink::Write(linkPath, entry, entryFolder, entry.m_strIniPath) == 0;
}
