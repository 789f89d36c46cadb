#include "CLinkTarget.h"

#include <cstring>
#include <new>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <shlwapi.h>

// Layout of a shortcut file (the shell link binary format): a 76-byte header
// with the link flags at 0x14, the optional id list, location block and
// strings, then the extra data blocks, ended by one shorter than 8 bytes.
static const DWORD kHeaderSize = 0x4C;
static const DWORD kMaxLinkFile = 64 * 1024;
static const DWORD kStringFlags[] = { 0x04, 0x08, 0x10, 0x20, 0x40 };   // name .. icon location

static DWORD ReadLe(const BYTE* p, int nBytes)
{
    DWORD value = 0;
    for (int i = nBytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// Where the extra data blocks start, or 0 when the file ends before. The
// sizes come from the file: added up in 64 bits, so that none wraps around.
static DWORD ExtraDataStart(const BYTE* data, DWORD n)
{
    DWORD flags = ReadLe(data + 0x14, 4);
    ULONGLONG pos = kHeaderSize;
    if ((flags & SLDF_HAS_ID_LIST) && pos + 2 <= n)
        pos += 2 + ReadLe(data + pos, 2);
    if ((flags & SLDF_HAS_LINK_INFO) && pos + 4 <= n)
        pos += ReadLe(data + pos, 4);
    for (size_t i = 0; i < sizeof(kStringFlags) / sizeof(kStringFlags[0]); ++i) {
        if ((flags & kStringFlags[i]) && pos + 2 <= n)
            pos += 2 + ReadLe(data + pos, 2) * ((flags & SLDF_UNICODE) ? 2 : 1);
    }
    return pos < n ? static_cast<DWORD>(pos) : 0;
}

static BOOL FindExpTarget(const BYTE* data, DWORD n, CString& raw)
{
    if (n < kHeaderSize || ReadLe(data, 4) != kHeaderSize)
        return FALSE;
    for (DWORD pos = ExtraDataStart(data, n); pos != 0 && pos + 8 <= n;) {
        DWORD size = ReadLe(data + pos, 4);
        if (size < 8 || size > n - pos)
            return FALSE;
        if (ReadLe(data + pos + 4, 4) == EXP_SZ_LINK_SIG && size >= 8 + MAX_PATH) {
            const char* target = reinterpret_cast<const char*>(data + pos + 8);
            raw = CString(target, static_cast<int>(strnlen(target, MAX_PATH - 1)));
            return !raw.IsEmpty();
        }
        pos += size;
    }
    return FALSE;
}

BOOL CLinkTarget::ReadExpBlock(LPCSTR pszLink, CString& raw)
{
    HANDLE hFile = CreateFileA(pszLink, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    BYTE* data = new (std::nothrow) BYTE[kMaxLinkFile];
    DWORD n = 0;
    BOOL bRead = data && ReadFile(hFile, data, kMaxLinkFile, &n, NULL);
    CloseHandle(hFile);
    BOOL bFound = bRead && FindExpTarget(data, n, raw);
    delete[] data;
    return bFound;
}

BOOL CLinkTarget::Expand(LPCSTR pszRaw, CString& expanded)
{
    // '%' is never a trail byte of the code page: a byte search is safe.
    if (!strchr(pszRaw, '%')) {
        expanded = pszRaw;
        return expanded.GetLength() < MAX_PATH;
    }
    // Room beyond MAX_PATH tells a result that does not fit from one that
    // just fits; the ANSI form may ask for a byte more than it writes.
    char szOut[2 * MAX_PATH] = { 0 };
    DWORD n = ExpandEnvironmentStringsA(pszRaw, szOut, sizeof(szOut));
    if (n == 0 || n > sizeof(szOut) || lstrlenA(szOut) >= MAX_PATH)
        return FALSE;
    expanded = szOut;
    return TRUE;
}

// The target as the shortcut stores it. Windows gives an environment
// shortcut's path expanded, other shells the raw form or nothing; the
// environment block holds what the installer wrote.
static CString StoredPath(IShellLinkA* pLink, IShellLinkDataList* pData, DWORD dwFlags)
{
    void* pBlock = NULL;
    if (pData && (dwFlags & SLDF_HAS_EXP_SZ) && SUCCEEDED(pData->CopyDataBlock(EXP_SZ_LINK_SIG, &pBlock)) && pBlock) {
        const char* target = static_cast<EXP_SZ_LINK*>(pBlock)->szTarget;
        CString raw(target, static_cast<int>(strnlen(target, MAX_PATH - 1)));
        LocalFree(pBlock);
        if (!raw.IsEmpty())
            return raw;
    }
    char szPath[MAX_PATH] = { 0 };
    WIN32_FIND_DATAA fd;
    if (pLink->GetPath(szPath, MAX_PATH, &fd, 0) != S_OK)
        return CString();
    szPath[MAX_PATH - 1] = '\0';
    return CString(szPath);
}

static BOOL IsNotFound(HRESULT hr)
{
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)
        || hr == HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

// Whether the shell still knows the item, asked without a window (no UI):
// its folder validates it, and its parsing name must parse again; an
// uninstalled app's id, for one, no longer does.
static CLinkTarget::Kind CheckShellItem(LPCITEMIDLIST pidl, CString& target)
{
    IShellFolder* pParent = NULL;
    LPCITEMIDLIST pChild = NULL;
    if (FAILED(SHBindToParent(pidl, IID_IShellFolder, reinterpret_cast<void**>(&pParent), &pChild)))
        return CLinkTarget::ShellItemGone;
    SFGAOF attrs = SFGAO_VALIDATE;
    HRESULT hrValid = pParent->GetAttributesOf(1, &pChild, &attrs);
    pParent->Release();
    if (FAILED(hrValid))
        return CLinkTarget::ShellItemGone;

    IShellFolder* pDesktop = NULL;
    STRRET name;
    // Room for any parsing name: a cut one would not parse and look gone.
    WCHAR szName[4 * MAX_PATH] = { 0 };
    if (FAILED(SHGetDesktopFolder(&pDesktop)))
        return CLinkTarget::ShellItem;
    HRESULT hrName = pDesktop->GetDisplayNameOf(pidl, SHGDN_FORPARSING, &name);
    pDesktop->Release();
    if (FAILED(hrName) || FAILED(StrRetToBufW(&name, pidl, szName, sizeof(szName) / sizeof(szName[0]))))
        return CLinkTarget::ShellItem;
    char szAnsi[MAX_PATH] = { 0 };
    WideCharToMultiByte(CP_ACP, 0, szName, -1, szAnsi, MAX_PATH - 1, NULL, NULL);
    target = szAnsi;
    LPITEMIDLIST pParsed = NULL;
    HRESULT hrParse = SHParseDisplayName(szName, NULL, &pParsed, 0, NULL);
    if (pParsed)
        CoTaskMemFree(pParsed);
    return IsNotFound(hrParse) ? CLinkTarget::ShellItemGone : CLinkTarget::ShellItem;
}

static CLinkTarget::Kind Classify(IShellLinkA* pLink, LPCSTR pszLink, CString& target)
{
    IShellLinkDataList* pData = NULL;
    DWORD dwFlags = 0;
    if (SUCCEEDED(pLink->QueryInterface(IID_IShellLinkDataList, reinterpret_cast<void**>(&pData))))
        pData->GetFlags(&dwFlags);
    CString raw = StoredPath(pLink, pData, dwFlags);
    if (pData)
        pData->Release();
    // An advertised shortcut's path is the installer's icon file under
    // C:\Windows\Installer: the installer finds (and may repair) the program
    // at each start, so that file says nothing about it.
    if (dwFlags & SLDF_HAS_DARWINID)
        return CLinkTarget::Advertised;
    // Some shells give a namespace item's parsing name ("::{...}") as its path.
    if (raw.Left(2) == "::")
        raw.Empty();
    // A shell that ignores the environment block (Wine) shows no target at all.
    if (raw.IsEmpty())
        CLinkTarget::ReadExpBlock(pszLink, raw);
    if (!raw.IsEmpty())
        return CLinkTarget::Expand(raw, target) ? CLinkTarget::FilePath : CLinkTarget::PathTooLong;

    LPITEMIDLIST pidl = NULL;
    if (pLink->GetIDList(&pidl) != S_OK || !pidl)
        return CLinkTarget::Unreadable;
    CLinkTarget::Kind kind = CheckShellItem(pidl, target);
    CoTaskMemFree(pidl);
    return kind;
}

CLinkTarget::Kind CLinkTarget::Read(LPCSTR pszLink, CString& target)
{
    target.Empty();
    WCHAR wideLink[MAX_PATH] = { 0 };
    if (!pszLink || lstrlenA(pszLink) >= MAX_PATH
        || MultiByteToWideChar(CP_ACP, 0, pszLink, -1, wideLink, MAX_PATH) == 0)
        return Unreadable;
    HRESULT hrInit = CoInitialize(NULL);
    Kind kind = Unreadable;
    IShellLinkA* pLink = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&pLink)))) {
        IPersistFile* pFile = NULL;
        if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
            if (SUCCEEDED(pFile->Load(wideLink, STGM_READ)))
                kind = Classify(pLink, pszLink, target);
            pFile->Release();
        }
        pLink->Release();
    }
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return kind;
}
