#include "CShellIcon.h"
#include "CShellLinkItem.h"
#include "PathUtil.h"

#include <objbase.h>
#include <shellapi.h>

BOOL CShellIcon::StandsForFile(LPCSTR pszIconSource, LPCSTR pszRegisteredFile)
{
    if (!pszIconSource || pszIconSource[0] == '\0')
        return FALSE;
    if (pszRegisteredFile && lstrcmpiA(pszIconSource, pszRegisteredFile) == 0)
        return TRUE;
    return GetDirPart(pszIconSource).IsEmpty();
}

HICON CShellIcon::Load(LPCSTR pszPath, BOOL bSmall)
{
    if (!pszPath || pszPath[0] == '\0' || lstrlenA(pszPath) >= MAX_PATH)
        return NULL;
    // The shell asks the file type's icon handlers, which need COM.
    HRESULT hrInit = CoInitialize(NULL);
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof(info));
    UINT uFlags = SHGFI_ICON | (bSmall ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    // A shortcut to a shell item without an icon of its own shows the item's
    // icon, as Explorer draws it (no shortcut arrow); not every shell draws
    // that for the shortcut file.
    BOOL bOwnIcon = FALSE;
    LPITEMIDLIST pidl = CShellLinkItem::ItemOf(pszPath, &bOwnIcon);
    DWORD_PTR found = pidl && !bOwnIcon
        ? SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof(info), uFlags | SHGFI_PIDL)
        : SHGetFileInfoA(GetNativeViewPath(pszPath), 0, &info, sizeof(info), uFlags);
    CoTaskMemFree(pidl);
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return found ? info.hIcon : NULL;
}
