// The writes and removals of a registration on disk, without any user
// interface: each operation says which step stopped it, with the platform's
// code and the path concerned, and the caller tells the user. Questions
// (overwrite, replace another's Startup shortcut, remove a folder that may
// not be a registration) belong to the caller, before it calls in here.
//
// Where each file of a registration lies is the layout's (CRegistLayout).
#pragma once

#include "CFolderUtil.h"
#include "CRegistLayout.h"
#include "CString.h"

class CRegistEntry;

class CRegistStore
{
public:
    // Where an operation stopped; StepDone when it did all its work.
    enum Step {
        StepDone = 0,
        StepEntryFolder,       // the entry folder could not be created
        StepSettings,          // the settings file could not be written
        StepEntryLink,         // the entry shortcut could not be written
        StepStartupFolder,     // no Startup folder to write into (nothing written there)
        StepStartupLink,       // the Startup shortcut could not be written
        StepStartupLookup,     // the Startup folder's place could not be found
        StepStartupLinkLocked, // the Startup shortcut cannot be read to tell whose it is
        StepStartupLinkDelete, // this entry's Startup shortcut could not be deleted
        StepFolderRefused,     // the entry folder as a whole cannot be removed (path: the folder)
        StepReadOnlyFile,      // a read-only file would stop the removal half way
        StepFolderInUse,       // a folder is held open without delete sharing
        StepItemBlocked,       // any other item the removal would stop at
        StepRemoveFile,        // the removal stopped at a file (path: the file)
        StepRemoveFolder       // the removal stopped at a folder (path: the folder)
    };

    struct Result {
        Result() : step(StepDone), code(0) {}
        Result(Step s, int c, LPCSTR pszPath) : step(s), code(c), path(pszPath) {}
        BOOL Succeeded() const { return step == StepDone; }
        Step step;
        int code;      // Win32 error, HRESULT, or 0 where the step has none
        CString path;  // the file or folder concerned
    };

    // Creates the layout's entry folder, saves the entry as its settings
    // file (the entry's settings path becomes the layout's), copies the
    // resident when the tool's folder has a copy to give, and writes the
    // entry shortcut, then with bStartup the Startup shortcut.
    static Result Commit(CRegistEntry& entry, const CRegistLayout& layout, BOOL bStartup);
    // Writes the layout's Startup shortcut for the entry, into the Startup
    // folder the layout's lookup found; a missing folder is created. A lookup
    // that failed, or a folder that cannot be made, gives StepStartupFolder
    // and nothing written.
    static Result WriteStartupLink(const CRegistEntry& entry, const CRegistLayout& layout);

    // The layout of the registration whose settings file is iniPath, when its
    // folder is a plain direct subfolder of toolDir (which ends in a
    // backslash); FALSE for anything else, the tool's folder itself included.
    static BOOL FindRemovableFolder(const CString& iniPath, const CString& toolDir, CRegistLayout& layout);
    // Looks up the Startup folder for the layout and gives the path of its
    // Startup shortcut, or "" when there can be none (no Startup folder, a
    // path that does not fit).
    static Result LocateStartupLink(CRegistLayout& layout, CString& linkPath);
    // Everything that could stop a removal half way, found before any change
    // (CFolderUtil::CheckRemovable): a Startup shortcut that cannot be read,
    // then whatever in the folder the removal would stop at. pfnProgress, when
    // given, is called once per item visited.
    static Result CheckRemoval(const CString& folder, const CString& startupLinkPath,
                               CFolderUtil::ProgressFn pfnProgress = NULL, void* pContext = NULL);
    // Deletes the Startup shortcut when it starts the resident for
    // ownIniPath (in whatever form), then the folder with its content.
    static Result Remove(const CString& folder, const CString& startupLinkPath, const CString& ownIniPath,
                         CFolderUtil::ProgressFn pfnProgress = NULL, void* pContext = NULL);

    // Starts the registration's resident as the shell starts its entry
    // shortcut: the same program, arguments and working folder. 0, or the
    // error of the start.
    static int StartResident(const CRegistEntry& entry, const CRegistLayout& layout);

    // Writes the shortcuts of a registration whose folder has moved: first the
    // Startup shortcut when it names oldIniPath and that file is gone, so that
    // a failure there leaves the entry shortcut stale and the next start asks
    // again; then the entry shortcut.
    // The layout's Startup folder is the one looked up for the whole repair.
    static Result Relink(const CRegistEntry& entry, const CRegistLayout& layout, const CString& oldIniPath);

private:
    static Result RemoveOwnStartupLink(const CString& linkPath, const CString& ownIniPath);
};
