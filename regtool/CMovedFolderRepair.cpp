#include "CMovedFolderRepair.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CFolderUtil.h"
#include "CRegistEntry.h"
#include "CRegistLayout.h"
#include "CRegistStore.h"
#include "CResidentLink.h"
#include "PathUtil.h"

#include <objbase.h>

// folder\name, or "" when the result would reach 260 bytes.
static CString PathIn(const CString& folder, LPCSTR pszName)
{
    CString path = folder;
    AppendBackslash(path);
    if (!EndsWithBackslash(path))
        return CString();
    path += pszName;
    return path.GetLength() < MAX_PATH ? path : CString();
}

// The last two components of a path: "name\tavro.ini" of a settings file.
static CString EntryTail(const CString& iniPath)
{
    int last = iniPath.ReverseFind('\\');
    if (last <= 0)
        return CString();
    int parent = iniPath.Left(last).ReverseFind('\\');
    return iniPath.Mid(parent + 1);
}

CMovedFolderRepair::CMovedFolderRepair()
{
}

int CMovedFolderRepair::Run()
{
    int n = FindStale();
    ReportTooLong();
    if (n == 0)
        return 0;
    CString question;
    question.Format(IDS_MSG_FOLDER_MOVED, n);
    // No leaves everything as it is; the next start asks again.
    if (AfxMessageBox(question, MB_YESNO, 0) == IDYES)
        RepairStale();
    return n;
}

void CMovedFolderRepair::ReportTooLong() const
{
    if (m_tooLongFolders.GetSize() == 0)
        return;
    CString names;
    for (INT_PTR i = 0; i < m_tooLongFolders.GetSize(); ++i)
        names += (i > 0 ? "\n" : "") + m_tooLongFolders[i];
    CString text;
    text.Format(IDS_MSG_SHORTCUTS_NOT_UPDATED, names.GetString());
    AfxMessageBox(text, MB_OK, 0);
}

int CMovedFolderRepair::FindStale()
{
    m_staleFolders.RemoveAll();
    m_oldIniPaths.RemoveAll();
    m_tooLongFolders.RemoveAll();
    m_toolDir = GetModuleDir();
    m_residentPath = CResidentLink::ResidentPath();
    // An empty tool folder path (too long to fit) must not list the current folder.
    if (m_toolDir.IsEmpty())
        return 0;
    CStringArray names, found, linkPaths, targets, arguments;
    CFolderUtil util;
    int n = util.EnumSubFolders(names, m_toolDir);
    for (int i = 0; i < n; ++i) {
        CString linkPath = PathIn(m_toolDir + names[i], names[i] + ".lnk");
        CString iniPath = PathIn(m_toolDir + names[i], CRegistLayout::kSettingsName);
        if (!linkPath.IsEmpty() && !iniPath.IsEmpty()) {
            found.Add(names[i]);
            linkPaths.Add(linkPath);
        } else if (iniPath.IsEmpty() || FileExists(iniPath)) {
            m_tooLongFolders.Add(names[i]);
        }
    }
    CResidentLink::ReadEach(linkPaths, targets, arguments);
    CString startupFolder = CResidentLink::StartupFolder();
    for (INT_PTR i = 0; i < found.GetSize(); ++i) {
        // Only a shortcut that could not be read is looked for again: the
        // check runs at every start, over every registration.
        CString oldIniPath;
        BOOL bRead = !targets[i].IsEmpty() || !arguments[i].IsEmpty();
        BOOL bStale = bRead ? IsStale(found[i], targets[i], arguments[i], oldIniPath)
                            : !FileExists(linkPaths[i]) && IsStartupStale(found[i], startupFolder, oldIniPath);
        if (bStale) {
            m_staleFolders.Add(found[i]);
            m_oldIniPaths.Add(oldIniPath);
        }
    }
    return static_cast<int>(m_staleFolders.GetSize());
}

BOOL CMovedFolderRepair::IsStale(const CString& folderName, const CString& target, const CString& arguments,
                                 CString& oldIniPath) const
{
    // A copy of the folder is not a move: while the place the shortcut names
    // still holds the registration (its settings file or its resident), the
    // shortcut belongs to that place and stays. Only when both are gone (the
    // folder moved, a drive came back under another letter) is it stale.
    // An unreadable shortcut gives an empty target and no arguments: not stale.
    CString iniPath = PathIn(m_toolDir + folderName, CRegistLayout::kSettingsName);
    if (!CRegistLayout::IniPathOf(arguments, oldIniPath) || oldIniPath.IsEmpty() || target.IsEmpty())
        return FALSE;
    if (IsSameFile(oldIniPath, iniPath) || ItemExists(oldIniPath) || ItemExists(target))
        return FALSE;
    // Without its settings file there is nothing to write a shortcut from:
    // such a folder is no registration to repair.
    return FileExists(iniPath);
}

BOOL CMovedFolderRepair::IsStartupStale(const CString& folderName, const CString& startupFolder,
                                        CString& oldIniPath) const
{
    // Without its entry shortcut a registration is known by its Startup
    // shortcut alone: stale when that one names this registration's settings
    // file (the same entry folder name) at a place that no longer exists.
    CString iniPath = PathIn(m_toolDir + folderName, CRegistLayout::kSettingsName);
    CString linkPath = startupFolder.IsEmpty() ? CString() : PathIn(startupFolder, folderName + ".lnk");
    CString target, arguments;
    if (linkPath.IsEmpty() || !FileExists(linkPath) || !CResidentLink::Read(linkPath, target, arguments) ||
        !CRegistLayout::IniPathOf(arguments, oldIniPath) || oldIniPath.IsEmpty())
        return FALSE;
    if (lstrcmpiA(EntryTail(oldIniPath), EntryTail(iniPath)) != 0)
        return FALSE;
    if (IsSameFile(oldIniPath, iniPath) || ItemExists(oldIniPath))
        return FALSE;
    return FileExists(iniPath);
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
    // stands; the paths inside it are the user's and stay as they are. A
    // settings file without a program still gives the shortcuts their target,
    // arguments and working folder.
    CString entryFolder = m_toolDir + folderName;
    CString linkName = folderName + ".lnk";
    CRegistEntry entry;
    entry.m_strIniPath = PathIn(entryFolder, CRegistLayout::kSettingsName);
    LoadEntry(&entry);
    // The Startup shortcut goes first (see Relink), so a failure leaves the
    // registration stale and the next start asks again.
    CString startupLink = startupFolder.IsEmpty() ? CString() : PathIn(startupFolder, linkName);
    CRegistStore::Result done =
        CRegistStore::Relink(entry, entryFolder, PathIn(entryFolder, linkName), startupLink, oldIniPath);
    return done.Succeeded() ? 0 : 1;
}
