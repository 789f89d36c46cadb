// The application object of TavroCore.Exe: one resident process per
// registration, started with "/INI=" and the path of its settings file.
#pragma once

#include "CResidentChannel.h"
#include "CWinApp.h"

class CTavroCoreApp : public CWinApp
{
public:
    // No application name: message boxes carry the executable's title.
    CTavroCoreApp();

    // Runs the tray dialog until the user ends the resident; always FALSE, so
    // the framework ends the process instead of entering a message loop.
    virtual BOOL InitInstance();

    // Takes the settings-file path from a whole command line: everything after
    // the first "/INI=" (exact case, found on a character boundary), unchanged.
    // FALSE when the keyword is missing.
    static BOOL ParseCommandLine(LPCSTR pszCommandLine, CString& strIniPath);

    // Makes the resident's own folder (the Tavro folder) its current folder,
    // so that it never holds an entry folder or a work folder open. The
    // programs it launches with an empty work folder and the tool it opens
    // from its menu inherit it. FALSE when the folder cannot be made current.
    static BOOL MakeOwnFolderCurrent();

    // Takes the session-local object of the registration: FALSE when a
    // resident of it holds it already. hClaim stays open for the resident's life.
    static BOOL ClaimRegistration(const CResidentChannel::Key& key, HANDLE& hClaim);
};
