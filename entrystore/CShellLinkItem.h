// The shell item a shortcut starts when it has no file path: an app
// dragged out of the Start menu, Control Panel, This PC. Explorer opens such
// a shortcut and draws its icon through the item id list.
#pragma once

#include "CString.h"

#include <shlobj.h>

class CShellLinkItem
{
public:
    // The item id list of the shortcut at pszLink when its target is a shell
    // item without a file path; NULL for a file target, a file that is no
    // shortcut, or one that cannot be read. pbOwnIcon (may be NULL) tells
    // whether the shortcut names an icon of its own. The caller frees the
    // list with ILFree. Enters COM itself (CComApartment).
    static LPITEMIDLIST ItemOf(LPCSTR pszLink, BOOL* pbOwnIcon);
};
