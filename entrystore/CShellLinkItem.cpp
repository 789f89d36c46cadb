#include "CShellLinkItem.h"
#include "CComApartment.h"

#include <objbase.h>

static BOOL HasFilePath(IShellLinkA* pLink)
{
    char szPath[MAX_PATH] = { 0 };
    WIN32_FIND_DATAA fd;
    // Some shells give a namespace item's parsing name ("::{...}") as its path.
    return pLink->GetPath(szPath, MAX_PATH, &fd, SLGP_RAWPATH) == S_OK && szPath[0] != '\0'
        && !(szPath[0] == ':' && szPath[1] == ':');
}

static BOOL HasOwnIcon(IShellLinkA* pLink)
{
    char szIcon[MAX_PATH] = { 0 };
    int nIndex = 0;
    return SUCCEEDED(pLink->GetIconLocation(szIcon, MAX_PATH, &nIndex)) && szIcon[0] != '\0';
}

LPITEMIDLIST CShellLinkItem::ItemOf(LPCSTR pszLink, BOOL* pbOwnIcon)
{
    WCHAR wideLink[MAX_PATH] = { 0 };
    if (!pszLink || lstrlenA(pszLink) >= MAX_PATH
        || MultiByteToWideChar(CP_ACP, 0, pszLink, -1, wideLink, MAX_PATH) == 0)
        return NULL;
    LPITEMIDLIST pidl = NULL;
    IShellLinkA* pLink = NULL;
    if (FAILED(CComApartment::CreateInstance(CLSID_ShellLink, IID_IShellLinkA, reinterpret_cast<void**>(&pLink))))
        return NULL;
    IPersistFile* pFile = NULL;
    if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
        if (SUCCEEDED(pFile->Load(wideLink, STGM_READ)) && !HasFilePath(pLink)
            && pLink->GetIDList(&pidl) != S_OK)
            pidl = NULL;
        if (pidl && pbOwnIcon)
            *pbOwnIcon = HasOwnIcon(pLink);
        pFile->Release();
    }
    pLink->Release();
    return pidl;
}
