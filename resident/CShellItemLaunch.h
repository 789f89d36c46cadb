// Opens the shell item a shortcut starts (an app, Control Panel, This PC)
// by its item id list, as Explorer opens a shortcut's target: for shells
// that open a shortcut only through its file path and answer "no
// association" for one that has none (Wine).
#pragma once

#include "CString.h"

class CShellItemLaunch
{
public:
    // The shell's result (above 32: started) for the item id list of the
    // shortcut at pszLink, opened with its default verb; nNoItem when it is
    // no shortcut to a shell item (CShellLinkItem). COM must be initialised
    // by the caller.
    static int OpenLinkItem(HWND hOwner, LPCSTR pszLink, LPCSTR pszParams, LPCSTR pszDir, int nNoItem);
};
