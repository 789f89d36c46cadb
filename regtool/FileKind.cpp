#include "FileKind.h"
#include "AfxMessageBox.h"
#include "resource.h"
#include "CWinApp.h"
#include "CLinkTarget.h"
#include "CShellIcon.h"
#include "PathUtil.h"

#include <cstring>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

// Highest value FindExecutableA gives for a failure; anything above is the
// instance handle of a found program.
static const int kLastFailureCode = 32;
// FindExecutableA's code for a document type without an association.
static const int kNoAssociationCode = SE_ERR_NOASSOC;   // 31
// ASSOCSTR_APPID (Windows 10 and later); the headers name it only for
// programs that require Windows 10.
static const ASSOCSTR kAssocStrAppId = static_cast<ASSOCSTR>(ASSOCSTR_SUPPORTED_URI_PROTOCOLS + 2);

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

static BOOL IsShortcut(LPCSTR pszPath)
{
    return lstrcmpiA(GetPathPart(pszPath, PathExt), ".LNK") == 0;
}

// A shortcut to an app, Control Panel, This PC or an installer's advertised
// program: the shell opens it, and no program file holds its icon.
static BOOL OpensWithoutFile(CLinkTarget::Kind kind)
{
    return kind == CLinkTarget::ShellItem || kind == CLinkTarget::Advertised;
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
    CString target;
    if (IsShortcut(pszPath)) {
        CLinkTarget::Kind kind = CLinkTarget::Read(pszPath, target);
        if (kind == CLinkTarget::FilePath)
            return FindExecutableOf(target, pszResult);
        if (OpensWithoutFile(kind))
            return kNoAssociationCode;
    }
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

// TRUE when the association system names a way to open files of the
// extension with its default verb. Unknown types are not mapped to the
// "Open with" class, which would answer for every file.
static BOOL AssocAnswers(LPCSTR pszExt, ASSOCSTR what)
{
    char szOut[MAX_PATH] = { 0 };
    DWORD cchOut = MAX_PATH;
    HRESULT hr = AssocQueryStringA(ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE, what, pszExt, NULL,
                                   szOut, &cchOut);
    // E_POINTER: there is an answer, longer than the buffer.
    return (SUCCEEDED(hr) && szOut[0] != '\0') || hr == E_POINTER;
}

// FALSE when the key or the value is not there; a value that is no text reads as "".
static BOOL ReadRegText(HKEY hRoot, LPCSTR pszKey, LPCSTR pszValue, CString& text)
{
    char szData[MAX_PATH] = { 0 };
    DWORD cbData = sizeof(szData) - 1;
    DWORD dwType = 0;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    LONG result = RegQueryValueExA(hKey, pszValue, NULL, &dwType, reinterpret_cast<BYTE*>(szData), &cbData);
    RegCloseKey(hKey);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
        return FALSE;
    text = (dwType == REG_SZ || dwType == REG_EXPAND_SZ) && result == ERROR_SUCCESS ? szData : "";
    return TRUE;
}

// A value of the classes: the user's own classes first, which take
// precedence; HKEY_CLASSES_ROOT shows them merged on Windows, but not in
// every shell that runs Windows programs.
static BOOL ReadClassText(const CString& key, LPCSTR pszValue, CString& text)
{
    return ReadRegText(HKEY_CURRENT_USER, "Software\\Classes\\" + key, pszValue, text)
        || ReadRegText(HKEY_CLASSES_ROOT, key, pszValue, text);
}

// The class keys themselves, where the association system cannot say:
// Windows 8 and 8.1 already give photos and music to Store apps but know no
// application ids, and other shells answer neither question. The type's
// class (the user's choice in Explorer first) opens without a program file
// when its default verb delegates or the class belongs to a packaged app.
static BOOL ClassOpensWithoutProgramFile(LPCSTR pszExt)
{
    CString progId;
    CString choiceKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\");
    choiceKey += pszExt;
    choiceKey += "\\UserChoice";
    ReadRegText(HKEY_CURRENT_USER, choiceKey, "ProgId", progId);
    if (progId.IsEmpty())
        ReadClassText(pszExt, NULL, progId);
    if (progId.IsEmpty())
        return FALSE;

    CString verb;
    if (!ReadClassText(progId + "\\shell", NULL, verb) || verb.IsEmpty())
        verb = "open";
    CString unused;
    return ReadClassText(progId + "\\shell\\" + verb + "\\command", "DelegateExecute", unused)
        || ReadClassText(progId + "\\Application", "AppUserModelID", unused);
}

BOOL SystemCanOpen(LPCSTR pszPath)
{
    if (!FitsPathBuffer(pszPath))
        return FALSE;
    CString subject(pszPath);
    if (IsShortcut(pszPath)) {
        CString target;
        CLinkTarget::Kind kind = CLinkTarget::Read(pszPath, target);
        if (OpensWithoutFile(kind))
            return TRUE;
        if (kind == CLinkTarget::FilePath)
            subject = target;
    }
    CString ext = GetPathPart(subject, PathExt);
    if (ext.GetLength() < 2)
        return FALSE;
    const ASSOCSTR questions[] = { ASSOCSTR_COMMAND, ASSOCSTR_EXECUTABLE, ASSOCSTR_DELEGATEEXECUTE,
                                   kAssocStrAppId };
    for (size_t i = 0; i < sizeof(questions) / sizeof(questions[0]); ++i) {
        if (AssocAnswers(ext, questions[i]))
            return TRUE;
    }
    return ClassOpensWithoutProgramFile(ext);
}

// A 32-bit program on 64-bit Windows reads a shortcut into the 64-bit
// program folder as one into "Program Files (x86)"; the same path in the
// 64-bit folder is where the shortcut really leads.
static BOOL NativeProgramFilesTwin(LPCSTR pszPath, CString& twin)
{
    BOOL bWow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &bWow64) || !bWow64)
        return FALSE;
    char szX86[MAX_PATH] = { 0 };
    char szNative[MAX_PATH] = { 0 };
    DWORD nX86 = GetEnvironmentVariableA("ProgramFiles(x86)", szX86, MAX_PATH);
    DWORD nNative = GetEnvironmentVariableA("ProgramW6432", szNative, MAX_PATH);
    if (nX86 == 0 || nX86 >= MAX_PATH || nNative == 0 || nNative >= MAX_PATH)
        return FALSE;
    int n = static_cast<int>(nX86);
    if (lstrlenA(pszPath) <= n || pszPath[n] != '\\' || lstrcmpiA(CString(pszPath, n), szX86) != 0)
        return FALSE;
    twin = CString(szNative) + (pszPath + n);
    return twin.GetLength() < MAX_PATH;
}

static BOOL TargetExists(LPCSTR pszTarget)
{
    if (GetFileAttributesA(GetNativeViewPath(pszTarget)) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    CString twin;
    return NativeProgramFilesTwin(pszTarget, twin) && GetFileAttributesA(twin) != INVALID_FILE_ATTRIBUTES;
}

static void ReportMissingTarget(LPCSTR pszTarget)
{
    CString text;
    text.Format(IDS_MSG_LINK_TARGET_MISSING, pszTarget);
    AfxMessageBox(text, MB_OK, 0);
}

// FALSE, after a message naming it, when the shortcut starts a file that is
// not there, or a shell item the shell says is gone: the registration would
// only ever report errors. A shell item is never judged by a file path it
// does not have; a shortcut that cannot be read is left to the shell.
static BOOL CheckShortcutTarget(LPCSTR pszLink)
{
    CString target;
    switch (CLinkTarget::Read(pszLink, target)) {
    case CLinkTarget::FilePath:
        if (TargetExists(target))
            return TRUE;
        break;
    case CLinkTarget::ShellItemGone:
        if (target.IsEmpty())
            target = pszLink;
        break;
    case CLinkTarget::PathTooLong:
        AfxMessageBox(IDS_MSG_PATH_TOO_LONG, MB_OK, 0);
        return FALSE;
    default:
        return TRUE;
    }
    ReportMissingTarget(target);
    return FALSE;
}

BOOL IsRegistrable(LPCSTR pszPath)
{
    if (!FitsPathBuffer(pszPath)) {
        AfxMessageBox(IDS_MSG_PATH_TOO_LONG, MB_OK, 0);
        return FALSE;
    }
    // Programs need no lookup; whether the file exists is the caller's test.
    CString ext = GetPathPart(pszPath, PathExt);
    if (lstrcmpiA(ext, ".EXE") == 0)
        return TRUE;
    if (lstrcmpiA(ext, ".LNK") == 0)
        return CheckShortcutTarget(pszPath);

    char szResult[kAssocResultSize];
    int nCode = FindAssociatedProgram(pszPath, szResult);
    // FindExecutableA knows only classic commands; packaged apps and
    // delegate handlers open the file all the same.
    if (nCode == kNoAssociationCode && SystemCanOpen(pszPath))
        return TRUE;
    return !ReportFindExecutableError(nCode);
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

// The file's first icon; NULL when it has none or is no file that holds icons.
static HICON ExtractFirstIcon(LPCSTR pszPath)
{
    if (!FitsPathBuffer(pszPath))
        return NULL;
    HICON hIcon = ExtractIconA(AfxGetInstanceHandle(), GetNativeViewPath(pszPath), 0);
    // NULL: no icon in the file or unreadable; 1: not a program, library or icon file.
    return reinterpret_cast<UINT_PTR>(hIcon) == 1 ? NULL : hIcon;
}

static HICON ReportNoIcon()
{
    AfxMessageBox(IDS_MSG_ICON_NOT_LOADED, MB_OK, 0);
    return CopyErrorIcon();
}

HICON LoadFileIcon(LPCSTR pszPath)
{
    HICON hIcon = ExtractFirstIcon(pszPath);
    return hIcon ? hIcon : ReportNoIcon();
}

HICON LoadFileIcon(LPCSTR pszIconSource, LPCSTR pszRegisteredFile)
{
    HICON hIcon = ExtractFirstIcon(pszIconSource);
    if (!hIcon && CShellIcon::StandsForFile(pszIconSource, pszRegisteredFile))
        hIcon = CShellIcon::Load(pszRegisteredFile, FALSE);
    return hIcon ? hIcon : ReportNoIcon();
}
