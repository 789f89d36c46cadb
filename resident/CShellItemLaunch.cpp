#include "CShellItemLaunch.h"
#include "CShellLinkItem.h"

#include <climits>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

int CShellItemLaunch::OpenLinkItem(HWND hOwner, LPCSTR pszLink, LPCSTR pszParams, LPCSTR pszDir, int nNoItem)
{
    LPITEMIDLIST pidl = CShellLinkItem::ItemOf(pszLink, NULL);
    if (!pidl)
        return nNoItem;
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    // The launch error is the resident's own box, not the shell's.
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_FLAG_NO_UI;
    info.hwnd = hOwner;
    info.lpIDList = pidl;
    info.lpParameters = pszParams;
    info.lpDirectory = pszDir;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
    ILFree(pidl);
    UINT_PTR value = reinterpret_cast<UINT_PTR>(info.hInstApp);
    return value > static_cast<UINT_PTR>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}
