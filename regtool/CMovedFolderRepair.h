// Shortcuts of a tool folder that has been moved or copied elsewhere. Both
// shortcuts of a registration hold absolute paths: the resident beside the
// tool and "/INI=" with the settings file. After a move they still name the
// old place, so no resident starts at the next logon. At the tool's start
// this finds such registrations from their entry shortcuts and, when the
// user agrees, writes their shortcuts anew for the tool's present folder.
#pragma once

#include "CString.h"
#include "CStringArray.h"

class CRegistEntry;

class CMovedFolderRepair
{
public:
    CMovedFolderRepair();

    // Finds the stale registrations, asks once, and rewrites their shortcuts
    // on Yes. Returns the number of stale registrations found.
    int Run();

    // Reads the own shortcut of every entry folder, once each. A registration
    // is stale when that shortcut starts a resident other than the one beside
    // the tool, or passes another settings path than its entry folder's.
    // Returns how many are stale.
    int FindStale();
    // Rewrites the entry shortcut of every stale registration found, and its
    // Startup shortcut when that one names the old settings path. A shortcut
    // that could not be written is reported once, after the others. Returns
    // the number of such shortcuts.
    int RepairStale();

private:
    // TRUE when the entry folder's own shortcut, read as target and
    // arguments, is stale; oldIniPath gets the settings path it passes ("" when
    // it passes none).
    BOOL IsStale(const CString& folderName, const CString& target, const CString& arguments,
                 CString& oldIniPath) const;
    // The number of shortcuts of one registration that could not be written.
    int RepairEntry(const CString& folderName, const CString& oldIniPath, const CString& startupFolder);
    // Rewrites the Startup shortcut of the registration when it names oldIniPath.
    BOOL RepairStartupLink(const CString& linkPath, const CString& oldIniPath, const CRegistEntry& entry,
                           const CString& entryFolder);

    CString m_toolDir;          // ends in a backslash; "" when it does not fit
    CString m_residentPath;
    CStringArray m_staleFolders;
    CStringArray m_oldIniPaths;  // what each stale entry shortcut passed

    CMovedFolderRepair(const CMovedFolderRepair&);
    CMovedFolderRepair& operator=(const CMovedFolderRepair&);
};
