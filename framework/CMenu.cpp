#include "CMenu.h"
#include "CWinApp.h"

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    DestroyMenu();
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    HMENU hMenu = ::LoadMenuA(AfxFindResourceHandle(name, MAKEINTRESOURCEA(4)), name);
    return Attach(hMenu);
}

BOOL CMenu::Attach(HMENU hMenu)
{
    DestroyMenu();
    m_hMenu = hMenu;
    m_bOwned = hMenu != NULL;
    return m_bOwned;
}

HMENU CMenu::Detach()
{
    HMENU hMenu = m_hMenu;
    m_hMenu = NULL;
    m_bOwned = FALSE;
    return hMenu;
}

BOOL CMenu::DestroyMenu()
{
    BOOL ok = TRUE;
    if (m_hMenu && m_bOwned)
        ok = ::DestroyMenu(m_hMenu);
    m_hMenu = NULL;
    m_bOwned = FALSE;
    return ok;
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR pszNewItem)
{
    return ::ModifyMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, pszNewItem);
}

CMenu* CMenu::GetSubMenu(int nPos)
{
    HMENU hSub = ::GetSubMenu(m_hMenu, nPos);
    if (!hSub)
        return NULL;
    static CMenu s_view;   // a view only: never owns, so never destroys
    s_view.m_hMenu = hSub;
    s_view.m_bOwned = FALSE;
    return &s_view;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, HWND hOwner, LPCRECT pRect)
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hOwner, pRect);
}
