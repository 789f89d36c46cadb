// A menu handle. A menu loaded or attached here is destroyed with the object
// unless it is detached first; GetSubMenu gives a view that owns nothing.
#pragma once

#include "AfxTypes.h"

class CMenu
{
public:
    CMenu() : m_hMenu(NULL), m_bOwned(FALSE) {}
    ~CMenu() { DestroyMenu(); }

    BOOL LoadMenu(UINT nIDResource);
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    BOOL DestroyMenu();

    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR pszNewItem);
    // A non-owning view of the popup at nPos; its m_hMenu is NULL when there is none.
    CMenu* GetSubMenu(int nPos);
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, HWND hOwner, LPCRECT pRect = NULL);
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }

    HMENU m_hMenu;

private:
    BOOL m_bOwned;
    CMenu(const CMenu&);
    CMenu& operator=(const CMenu&);
};
