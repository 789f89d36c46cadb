// A shortcut that starts the resident for one registration: the entry
// shortcut in the entry folder and the Startup shortcut are both written
// here, so that everything that writes or rewrites them writes the same
// properties, and read back here by whatever must know whose they are.
#pragma once

#include "CString.h"
#include "CStringArray.h"

class CRegistEntry;
class CRegistLayout;

class CResidentLink
{
public:
    // Results of Write besides 0 (saved) and a failing HRESULT.
    enum { ResultNoLinkObject = 1 };

    // Writes a shortcut at pszLinkPath that starts the layout's resident with
    // its arguments, in the entry's work folder (the entry folder when it has
    // none), with the entry's display name and icon source.
    static int Write(LPCSTR pszLinkPath, const CRegistEntry& entry, const CRegistLayout& layout);
    // Reads the target and arguments of the shortcut at pszLinkPath; FALSE
    // when it cannot be loaded as a shortcut.
    static BOOL Read(LPCSTR pszLinkPath, CString& target, CString& arguments);
    // Reads the target and arguments of every shortcut in linkPaths, in
    // order, each into a fresh link object from one class object: looking the
    // class up again for each shortcut cost more than reading it. A shortcut
    // that cannot be loaded gives two empty texts. Returns how many were read.
    static int ReadEach(const CStringArray& linkPaths, CStringArray& targets, CStringArray& arguments);

    // Where the user's Startup folder is, also when it does not exist: 0,
    // or the lookup's error (a Win32 code where it carries one; 2 or 3 when
    // the platform will not name a missing folder).
    static int LocateStartupFolder(CString& path);
    // The same, kept in the layout for the rest of its operation.
    static int LocateStartupFolder(CRegistLayout& layout);
};
