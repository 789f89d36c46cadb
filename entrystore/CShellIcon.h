// The icon Explorer shows for a file, for registrations whose icon source
// holds no icon of its own: a document opened by a packaged app (its icon
// source is the document itself), a script, or an internet shortcut whose
// association names a bare "rundll32.exe".
#pragma once

#include "CString.h"

class CShellIcon
{
public:
    // TRUE when an own icon source that yields no icon stands for the
    // registered file rather than for an icon file the user chose: the
    // registered file itself, or a bare program name as an association gives
    // it (the file dialog and drops always give full paths).
    static BOOL StandsForFile(LPCSTR pszIconSource, LPCSTR pszRegisteredFile);
    // TRUE for a batch file (.bat, .cmd): a program the shell runs that holds
    // no icon, which settings files of earlier versions name as the icon source.
    static BOOL IsScript(LPCSTR pszPath);
    // The shell's icon for the file, small (tray) or large (previews); owned
    // by the caller. NULL when the shell has none (a missing file).
    static HICON Load(LPCSTR pszPath, BOOL bSmall);
};
