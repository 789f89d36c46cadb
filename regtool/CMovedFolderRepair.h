// Shortcuts of a tool folder that has been moved or copied elsewhere. Both
// shortcuts of a registration hold absolute paths: the resident beside the
// tool and "/INI=" with the settings file. After a move they still name the
// old place, so no resident starts at the next logon. At the tool's start
// this finds such registrations from their entry shortcuts and, when the
// user agrees, writes their shortcuts anew for the tool's present folder.
#pragma once

#include "CString.h"
#include "CRegistLayout.h"
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
    // is stale when the settings file and the resident that shortcut names
    // are both gone (a copy of the folder leaves the original in place and is
    // no move), or, without an entry shortcut, when its Startup shortcut names
    // its settings file at a place that is gone. Paths in another form that
    // name this folder's own files are not stale. Returns how many are stale;
    // registrations whose shortcut or settings path would reach 260 bytes here
    // are collected apart, as ones that cannot be updated.

    int FindStale();
    // Rewrites the Startup shortcut of every stale registration found when it
    // names the old settings path, then its entry shortcut. A registration
    // whose shortcut could not be written is reported once, after the others.
    // Returns the number of such registrations.
    int RepairStale();

private:
    // TRUE when the entry folder's own shortcut, read as target and
    // arguments, is stale; oldIniPath gets the settings path it passes ("" when
    // it passes none).
    BOOL IsStale(const CString& folderName, const CString& target, const CString& arguments,
                 CString& oldIniPath) const;
    // TRUE when the registration has no entry shortcut and its Startup
    // shortcut names its settings file at a place that is gone.
    BOOL IsStartupStale(const CString& folderName, CString& oldIniPath) const;
    // The registration's layout, with the Startup folder found once per run.
    CRegistLayout LayoutOf(const CString& folderName) const;
    // Names the registrations that cannot be updated here, once, if any.
    void ReportTooLong() const;
    // 1 when a shortcut of one registration could not be written, else 0.
    int RepairEntry(const CString& folderName, const CString& oldIniPath);

    CString m_toolDir;          // ends in a backslash; "" when it does not fit
    CString m_startupFolder;    // "" when the lookup failed
    int m_nStartupLookup;
    CStringArray m_staleFolders;
    CStringArray m_oldIniPaths;  // what each stale entry shortcut passed
    CStringArray m_tooLongFolders;

    CMovedFolderRepair(const CMovedFolderRepair&);
    CMovedFolderRepair& operator=(const CMovedFolderRepair&);
};
