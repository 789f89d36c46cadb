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

UINT CTrayIconId::ForSettingsFile(LPCSTR pszIniPath)
{
    LPCSTR pBegin = NULL;
    LPCSTR pEnd = NULL;
    FindEntryFolderName(pszIniPath ? pszIniPath : "", &pBegin, &pEnd);
    UINT hash = kFnvOffset;
    for (LPCSTR p = pBegin; p < pEnd; ++p) {
        BYTE b = static_cast<BYTE>(*p);
        if (IsDBCSLeadByte(b) && p + 1 < pEnd) {
            // A double-byte character goes in as it is, trail byte included.
            hash = (hash ^ b) * kFnvPrime;
            b = static_cast<BYTE>(*++p);
        } else if (b >= 'a' && b <= 'z') {
            b = static_cast<BYTE>(b - 'a' + 'A');
        }
        hash = (hash ^ b) * kFnvPrime;
    }
    return hash;
}
