#include "FileKind.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CWinApp.h"
#include "PathUtil.h"

#include <cstring>
#include <objbase.h>
#include <shlobj.h>

// Highest value FindExecutableA gives for a failure; anything above is the
// instance handle of a found program.
static const int kLastFailureCode = 32;
// FindExecutableA's code for a document type without an association.
static const int kNoAssociationCode = SE_ERR_NOASSOC;   // 31

static BOOL FitsPathBuffer(LPCSTR pszPath)
{
    return pszPath && lstrlenA(pszPath) < MAX_PATH;
}

// Where the parts of a path start, as _splitpath divides it: the drive is
// "X:", the folder runs to the last separator (included), the extension from
// the last dot of the last component. The walk goes by characters of the
// code page, so a trail byte 0x5C (表, ソ, 能) is never taken for a separator.
struct PathSplit {
    int nDirStart;
    int nNameStart;
    int nExtStart;
    int nEnd;
};

static PathSplit SplitPath(const char* pszPath)
{
    PathSplit split = { 0, 0, 0, 0 };
    if (pszPath[0] != '\0' && CharNextA(pszPath) == pszPath + 1 && pszPath[1] == ':')
        split.nDirStart = 2;

    int nLastSeparator = -1;
    int nLastDot = -1;
    for (const char* p = pszPath + split.nDirStart; *p != '\0'; p = CharNextA(p)) {
        // A double-byte character is never a separator or a dot.
        if (CharNextA(p) != p + 1)
            continue;
        if (*p == '\\' || *p == '/')
            nLastSeparator = static_cast<int>(p - pszPath);
        else if (*p == '.')
            nLastDot = static_cast<int>(p - pszPath);
    }
    split.nEnd = lstrlenA(pszPath);
    split.nNameStart = nLastSeparator >= 0 ? nLastSeparator + 1 : split.nDirStart;
    split.nExtStart = nLastDot >= split.nNameStart ? nLastDot : split.nEnd;
    return split;
}

CString GetPathPart(LPCSTR pszPath, PathPart part)
{
    // A longer path is outside what the tool stores; it is refused, not cut.
    if (!FitsPathBuffer(pszPath))
        return CString();
    char szPath[MAX_PATH];
    lstrcpynA(szPath, pszPath, MAX_PATH);

    PathSplit split = SplitPath(szPath);
    switch (part) {
    case PathNameExt:
        return CString(szPath + split.nNameStart, split.nEnd - split.nNameStart);
    case PathExt:
        return CString(szPath + split.nExtStart, split.nEnd - split.nExtStart);
    case PathDriveDir:
        return CString(szPath, split.nNameStart);
    }
    return CString();
}

// The file a shortcut starts, as the shell would start it; FALSE when the
// shortcut cannot be read or names no file (a link to a virtual folder).
static BOOL ReadShortcutTarget(LPCSTR pszLink, char* pszTarget)
{
    WCHAR wideLink[MAX_PATH] = { 0 };
    if (MultiByteToWideChar(CP_ACP, 0, pszLink, -1, wideLink, MAX_PATH) == 0)
        return FALSE;
    HRESULT hrInit = CoInitialize(NULL);
    BOOL bRead = FALSE;
    IShellLinkA* pLink = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&pLink)))) {
        IPersistFile* pFile = NULL;
        if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
            WIN32_FIND_DATAA fd;
            bRead = SUCCEEDED(pFile->Load(wideLink, STGM_READ)) &&
                    pLink->GetPath(pszTarget, MAX_PATH, &fd, 0) == S_OK && pszTarget[0] != '\0';
            pFile->Release();
        }
        pLink->Release();
    }
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return bRead;
}

static int FindExecutableOf(LPCSTR pszPath, char* pszResult)
{
    CString file = GetPathPart(pszPath, PathNameExt);
    CString folder = GetPathPart(pszPath, PathDriveDir);
    HINSTANCE hResult = FindExecutableA(file, folder, pszResult);
    // The platform writes at most MAX_PATH bytes; keep the result terminated all the same.
    pszResult[kAssocResultSize - 1] = '\0';
    return static_cast<int>(reinterpret_cast<INT_PTR>(hResult));
}

int FindAssociatedProgram(LPCSTR pszPath, char* pszResult)
{
    ZeroMemory(pszResult, kAssocResultSize);
    if (!FitsPathBuffer(pszPath))
        return 0;
    // The shell's associations know nothing of shortcuts (the lookup answers
    // "no association"): the program of a shortcut is the one it starts, its
    // target itself or the target's associated program.
    char szTarget[MAX_PATH] = { 0 };
    if (lstrcmpiA(GetPathPart(pszPath, PathExt), ".LNK") == 0 && ReadShortcutTarget(pszPath, szTarget))
        return FindExecutableOf(szTarget, pszResult);
    return FindExecutableOf(pszPath, pszResult);
}

BOOL ReportFindExecutableError(int nCode)
{
    if (nCode < 0 || nCode > kLastFailureCode)
        return FALSE;
    if (nCode == kNoAssociationCode) {
        AfxMessageBox(IDS_MSG_NOT_ASSOCIATED, MB_OK, 0);
        return TRUE;
    }
    CString text;
    text.Format(IDS_MSG_ASSOCIATION_ERROR, nCode);
    AfxMessageBox(text, MB_OK, 0);
    return TRUE;
}

BOOL CheckRegistrable(LPCSTR pszPath)
{
    if (!FitsPathBuffer(pszPath)) {
        AfxMessageBox(IDS_MSG_PATH_TOO_LONG, MB_OK, 0);
        return TRUE;
    }
    // Programs and shortcuts need no lookup; whether the file exists is the
    // caller's test.
    CString ext = GetPathPart(pszPath, PathExt);
    if (lstrcmpiA(ext, ".EXE") == 0 || lstrcmpiA(ext, ".LNK") == 0)
        return FALSE;

    char szResult[kAssocResultSize];
    int nCode = FindAssociatedProgram(pszPath, szResult);
    return ReportFindExecutableError(nCode);
}

// The system's error icon as an icon of the caller's own: callers release
// every icon they get, and releasing the shared system icon itself would
// break it for every later use in the process.
static HICON CopyErrorIcon()
{
    HICON hShared = LoadIconA(NULL, MAKEINTRESOURCEA(32513));   // IDI_HAND
    HICON hCopy = CopyIcon(hShared);
    return hCopy ? hCopy : hShared;
}

HICON LoadFileIcon(LPCSTR pszPath)
{
    HICON hIcon = NULL;
    if (FitsPathBuffer(pszPath))
        hIcon = ExtractIconA(AfxGetInstanceHandle(), GetNativeViewPath(pszPath), 0);
    // NULL: no icon in the file or unreadable; 1: not a program, library or icon file.
    if (hIcon != NULL && reinterpret_cast<UINT_PTR>(hIcon) != 1)
        return hIcon;
    AfxMessageBox(IDS_MSG_ICON_NOT_LOADED, MB_OK, 0);
    return CopyErrorIcon();
}
