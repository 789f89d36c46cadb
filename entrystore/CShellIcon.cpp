#include "CShellIcon.h"
#include "CShellLinkItem.h"
#include "CComApartment.h"
#include "PathUtil.h"

#include <shellapi.h>

BOOL CShellIcon::StandsForFile(LPCSTR pszIconSource, LPCSTR pszRegisteredFile)
{
    if (!pszIconSource || pszIconSource[0] == '\0')
        return FALSE;
    if (pszRegisteredFile && lstrcmpiA(pszIconSource, pszRegisteredFile) == 0)
        return TRUE;
    return GetDirPart(pszIconSource).IsEmpty();
}

// The extension starts at the last dot after the last separator, found by
// character (a 0x5C trail byte is no separator); "" without one.
static LPCSTR ExtensionOf(LPCSTR pszPath)
{
    LPCSTR pExt = NULL;
    for (LPCSTR p = pszPath ? pszPath : ""; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            pExt = NULL;
        else if (*p == '.')
            pExt = p;
    }
    return pExt ? pExt : "";
}

BOOL CShellIcon::IsScript(LPCSTR pszPath)
{
    LPCSTR pExt = ExtensionOf(pszPath);
    return lstrcmpiA(pExt, ".bat") == 0 || lstrcmpiA(pExt, ".cmd") == 0;
}

HICON CShellIcon::Load(LPCSTR pszPath, BOOL bSmall)
{
    if (!pszPath || pszPath[0] == '\0' || lstrlenA(pszPath) >= MAX_PATH)
        return NULL;
    // The shell asks the file type's icon handlers, which need COM; set up
    // here, the first time, so that a program that never asks loads no COM.
    CComApartment::Enter();
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof(info));
    UINT uFlags = SHGFI_ICON | (bSmall ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    // A shortcut to a shell item without an icon of its own shows the item's
    // icon, as Explorer draws it (no shortcut arrow); not every shell draws
    // that for the shortcut file.
    BOOL bOwnIcon = FALSE;
    LPITEMIDLIST pidl = lstrcmpiA(ExtensionOf(pszPath), ".lnk") == 0 ? CShellLinkItem::ItemOf(pszPath, &bOwnIcon)
                                                                     : NULL;
    DWORD_PTR found = pidl && !bOwnIcon
        ? SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof(info), uFlags | SHGFI_PIDL)
        : SHGetFileInfoA(GetNativeViewPath(pszPath), 0, &info, sizeof(info), uFlags);
    ILFree(pidl);
    return found ? info.hIcon : NULL;
}
