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

CMovedFolderRepair::CMovedFolderRepair() : m_nStartupLookup(ERROR_PATH_NOT_FOUND)
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
    // An empty tool folder path (too long to fit) must not list the current folder.
    if (m_toolDir.IsEmpty())
        return 0;
    // One lookup for the whole check and repair.
    m_nStartupLookup = CResidentLink::LocateStartupFolder(m_startupFolder);
    CStringArray names, found, linkPaths, targets, arguments;
    CFolderUtil util;
    int n = util.EnumSubFolders(names, m_toolDir);
    for (int i = 0; i < n; ++i) {
        CRegistLayout layout = LayoutOf(names[i]);
        if (layout.Fits()) {
            found.Add(names[i]);
            linkPaths.Add(layout.EntryLinkPath());
        } else if (IsTooLong(layout.SettingsPath()) || FileExists(layout.SettingsPath())) {
            m_tooLongFolders.Add(names[i]);
        }
    }
    CResidentLink::ReadEach(linkPaths, targets, arguments);
    for (INT_PTR i = 0; i < found.GetSize(); ++i) {
        // Only a shortcut that could not be read is looked for again: the
        // check runs at every start, over every registration.
        CString oldIniPath;
        BOOL bRead = !targets[i].IsEmpty() || !arguments[i].IsEmpty();
        BOOL bStale = bRead ? IsStale(found[i], targets[i], arguments[i], oldIniPath)
                            : !FileExists(linkPaths[i]) && IsStartupStale(found[i], oldIniPath);
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
    CString iniPath = LayoutOf(folderName).SettingsPath();
    if (!CRegistLayout::IniPathOf(arguments, oldIniPath) || oldIniPath.IsEmpty() || target.IsEmpty())
        return FALSE;
    if (IsSameFile(oldIniPath, iniPath) || ItemExists(oldIniPath) || ItemExists(target))
        return FALSE;
    // Without its settings file there is nothing to write a shortcut from:
    // such a folder is no registration to repair.
    return FileExists(iniPath);
}

BOOL CMovedFolderRepair::IsStartupStale(const CString& folderName, CString& oldIniPath) const
{
    // Without its entry shortcut a registration is known by its Startup
    // shortcut alone: stale when that one names this registration's settings
    // file (the same entry folder name) at a place that no longer exists.
    CRegistLayout layout = LayoutOf(folderName);
    CString iniPath = layout.SettingsPath();
    CString linkPath = layout.StartupLinkPath();
    CString target, arguments;
    if (linkPath.IsEmpty() || IsTooLong(linkPath) || !FileExists(linkPath) ||
        !CResidentLink::Read(linkPath, target, arguments) || !CRegistLayout::IniPathOf(arguments, oldIniPath) ||
        oldIniPath.IsEmpty())
        return FALSE;
    CRegistLayout old;
    if (!CRegistLayout::FromSettingsPath(oldIniPath, old) || lstrcmpiA(old.EntryName(), folderName) != 0 ||
        lstrcmpiA(old.SettingsPath(), oldIniPath) != 0)
        return FALSE;
    if (IsSameFile(oldIniPath, iniPath) || ItemExists(oldIniPath))
        return FALSE;
    return FileExists(iniPath);
}

CRegistLayout CMovedFolderRepair::LayoutOf(const CString& folderName) const
{
    CRegistLayout layout(m_toolDir, folderName);
    layout.SetStartupFolder(m_nStartupLookup, m_startupFolder);
    return layout;
}

int CMovedFolderRepair::RepairStale()
{
    HRESULT hrCom = CoInitialize(NULL);
    int nFailed = 0;
    for (INT_PTR i = 0; i < m_staleFolders.GetSize(); ++i)
        nFailed += RepairEntry(m_staleFolders[i], m_oldIniPaths[i]);
    if (SUCCEEDED(hrCom))
        CoUninitialize();
    if (nFailed > 0)
        AfxMessageBox(IDS_MSG_SHORTCUT_NOT_CREATED, MB_OK, 0);
    return nFailed;
}

int CMovedFolderRepair::RepairEntry(const CString& folderName, const CString& oldIniPath)
{
    // Written exactly as a commit writes them, from the settings file as it
    // stands; the paths inside it are the user's and stay as they are. A
    // settings file without a program still gives the shortcuts their target,
    // arguments and working folder.
    CRegistLayout layout = LayoutOf(folderName);
    CRegistEntry entry;
    entry.m_strIniPath = layout.SettingsPath();
    LoadEntry(&entry);
    // The Startup shortcut goes first (see Relink), so a failure leaves the
    // registration stale and the next start asks again.
    return CRegistStore::Relink(entry, layout, oldIniPath).Succeeded() ? 0 : 1;
}
