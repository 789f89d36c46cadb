#include "CTrayIconId.h"

// FNV-1a, 32 bits: cheap, and two registrations in one tool folder (their
// folder names differ) practically never meet.
static const UINT kFnvOffset = 2166136261u;
static const UINT kFnvPrime = 16777619u;

void CTrayIconId::FindEntryFolderName(LPCSTR pszIniPath, LPCSTR* ppBegin, LPCSTR* ppEnd)
{
    // Walked by character: a 0x5C trail byte (表, ソ) is no separator.
    LPCSTR pLast = NULL;
    LPCSTR pBeforeLast = NULL;
    for (LPCSTR p = pszIniPath; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/') {
            pBeforeLast = pLast;
            pLast = p;
        }
    }
    *ppBegin = pBeforeLast ? pBeforeLast + 1 : pszIniPath;
    *ppEnd = pLast ? pLast : pszIniPath;
}

void CTrayIconId::FoldName(LPCSTR pBegin, LPCSTR pEnd, LPSTR pszFolded, int cbFolded)
{
    // The file system folds letters on the name's wide form, by the ordinal
    // (invariant) upper case: full-width ａ and Ａ name one folder as a and A
    // do. Back in the code page, an ASCII name reads as it always did, so the
    // ids Windows remembered choices under stay the same.
    WCHAR wide[MAX_PATH];
    WCHAR upper[MAX_PATH];
    int n = 0;
    if (pEnd > pBegin && pEnd - pBegin < MAX_PATH)
        n = MultiByteToWideChar(CP_ACP, 0, pBegin, static_cast<int>(pEnd - pBegin), wide, MAX_PATH);
    int m = n > 0 ? LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide, n, upper, MAX_PATH) : 0;
    int cb = m > 0 ? WideCharToMultiByte(CP_ACP, 0, upper, m, pszFolded, cbFolded - 1, NULL, NULL) : 0;
    pszFolded[cb > 0 ? cb : 0] = '\0';
}

UINT CTrayIconId::ForSettingsFile(LPCSTR pszIniPath)
{
    LPCSTR pBegin = NULL;
    LPCSTR pEnd = NULL;
    FindEntryFolderName(pszIniPath ? pszIniPath : "", &pBegin, &pEnd);
    char folded[2 * MAX_PATH];
    FoldName(pBegin, pEnd, folded, sizeof(folded));
    UINT hash = kFnvOffset;
    for (LPCSTR p = folded; *p; ++p) {
        BYTE b = static_cast<BYTE>(*p);
        if (IsDBCSLeadByte(b) && p[1] != '\0') {
            // A double-byte character goes in as it is, trail byte included.
            hash = (hash ^ b) * kFnvPrime;
            b = static_cast<BYTE>(*++p);
        }
        hash = (hash ^ b) * kFnvPrime;
    }
    return hash;
}
