#include "CResidentChannel.h"

#include <cstddef>
#include <cstring>

static const DWORD kMagic = 0x31525654;   // "TVR1": the payload's layout, version 1
static const DWORD kFnvOffset = 2166136261u;
static const DWORD kFnvPrime = 16777619u;
static const DWORD kKeyIdentity = 1;
static const DWORD kKeyPath = 2;
// Every version's resident window: the dialog class and this start of its title.
static const char kResidentTitle[] = "TavroCore Ver";
static const size_t kHeaderBytes = offsetof(CResidentChannel::Payload, szPath);

DWORD CResidentChannel::FoldedHash(LPCSTR pszText)
{
    WCHAR wide[MAX_PATH];
    WCHAR upper[MAX_PATH];
    int n = MultiByteToWideChar(CP_ACP, 0, pszText, -1, wide, MAX_PATH);
    // The invariant upper case is the ordinal one the file system compares
    // names with: ａ and Ａ, or a and A, fold to one letter in any user locale.
    int m = n > 1 ? LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide, n - 1, upper, MAX_PATH) : 0;
    DWORD hash = kFnvOffset;
    for (int i = 0; i < m; ++i) {
        hash = (hash ^ (upper[i] & 0xFF)) * kFnvPrime;
        hash = (hash ^ (upper[i] >> 8)) * kFnvPrime;
    }
    return hash;
}

// Where the settings file's name starts: after the last separator, found by
// character (a 0x5C trail byte is no separator).
static LPCSTR NamePart(LPCSTR pszPath)
{
    LPCSTR pName = pszPath;
    for (LPCSTR p = pszPath; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            pName = p + 1;
    }
    return pName;
}

BOOL CResidentChannel::KeyOf(LPCSTR pszIniPath, Key& key)
{
    ZeroMemory(&key, sizeof(key));
    if (!pszIniPath || lstrlenA(pszIniPath) >= MAX_PATH)
        return FALSE;
    DWORD attributes = GetFileAttributesA(pszIniPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    LPCSTR pName = NamePart(pszIniPath);
    char folder[MAX_PATH];
    int cchFolder = static_cast<int>(pName - pszIniPath);
    if (cchFolder == 0)
        lstrcpyA(folder, ".");
    else
        lstrcpynA(folder, pszIniPath, cchFolder + 1);
    if (GetFileIdentity(folder, key.folder)) {
        key.nKind = kKeyIdentity;
        key.nHash = FoldedHash(pName);
        return TRUE;
    }
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(pszIniPath, MAX_PATH, full, NULL);
    key.nKind = kKeyPath;
    key.nHash = FoldedHash(n > 0 && n < MAX_PATH ? full : pszIniPath);
    return TRUE;
}

BOOL CResidentChannel::SameKey(const Key& a, const Key& b)
{
    return a.nKind != 0 && a.nKind == b.nKind && std::memcmp(&a.folder, &b.folder, sizeof(a.folder)) == 0 &&
           a.nHash == b.nHash;
}

void CResidentChannel::ObjectName(const Key& key, LPSTR pszName, int cchName)
{
    // "Local\": one per session, so another user's resident of the same
    // folder (a shared Tavro folder) is no reason not to start.
    char name[128];
    wsprintfA(name, "Local\\TavroCore.%lu.%08lX.%08lX%08lX%08lX%08lX.%08lX", key.nKind, key.folder.nVolume,
              key.folder.nId[3], key.folder.nId[2], key.folder.nId[1], key.folder.nId[0], key.nHash);
    lstrcpynA(pszName, name, cchName);
}

CResidentChannel::CResidentChannel(LPCSTR pszIniPath)
{
    KeyOf(pszIniPath, m_key);
    m_szPath[0] = '\0';
    if (pszIniPath && lstrlenA(pszIniPath) < MAX_PATH)
        lstrcpyA(m_szPath, pszIniPath);
}

BOOL CResidentChannel::Parse(const COPYDATASTRUCT* pData, Request& request, Key& key, LPSTR pszPath)
{
    if (!pData || pData->dwData != kDataTag || !pData->lpData)
        return FALSE;
    if (pData->cbData <= kHeaderBytes || pData->cbData > sizeof(Payload))
        return FALSE;
    Payload payload;
    ZeroMemory(&payload, sizeof(payload));
    std::memcpy(&payload, pData->lpData, pData->cbData);
    if (payload.nMagic != kMagic || payload.cbPath != pData->cbData - kHeaderBytes)
        return FALSE;
    if (payload.nRequest < RequestQuery || payload.nRequest > RequestShow)
        return FALSE;
    // cbPath is 1 to MAX_PATH here: the terminator must be its last byte and its only one.
    if (payload.szPath[payload.cbPath - 1] != '\0' ||
        static_cast<DWORD>(lstrlenA(payload.szPath)) != payload.cbPath - 1)
        return FALSE;
    request = static_cast<Request>(payload.nRequest);
    key = payload.key;
    lstrcpyA(pszPath, payload.szPath);
    return TRUE;
}

BOOL CResidentChannel::IsResidentWindow(HWND hWnd)
{
    char cls[16];
    if (!GetClassNameA(hWnd, cls, sizeof(cls)) || lstrcmpA(cls, "#32770") != 0)
        return FALSE;
    // The text of another process's window is read without a message to it:
    // a hung resident does not hold up the search.
    char title[32];
    GetWindowTextA(hWnd, title, sizeof(title));
    return std::strncmp(title, kResidentTitle, sizeof(kResidentTitle) - 1) == 0;
}

namespace {

struct SendState {
    const COPYDATASTRUCT* pData;
    DWORD dwTimeoutMs;
    BOOL bWaitForEnd;
    CResidentChannel::Outcome outcome;
    HANDLE hEnding[64];
    int nEnding;
};

BOOL CALLBACK SendToResident(HWND hWnd, LPARAM lParam)
{
    SendState& state = *reinterpret_cast<SendState*>(lParam);
    if (!CResidentChannel::IsResidentWindow(hWnd))
        return TRUE;
    // Taken before the request: a resident that ends is gone by the time its
    // process would be looked up.
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    HANDLE hProcess = state.bWaitForEnd ? OpenProcess(SYNCHRONIZE, FALSE, pid) : NULL;
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutA(hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(state.pData),
                                       SMTO_ABORTIFHUNG | SMTO_BLOCK, state.dwTimeoutMs, &answer);
    if (sent && static_cast<LRESULT>(answer) == CResidentChannel::kTaken) {
        ++state.outcome.nTaken;
        if (hProcess && state.nEnding < static_cast<int>(sizeof(state.hEnding) / sizeof(state.hEnding[0]))) {
            state.hEnding[state.nEnding++] = hProcess;
            hProcess = NULL;
        }
    } else if (!sent || static_cast<LRESULT>(answer) != CResidentChannel::kNotMine) {
        ++state.outcome.nSilent;
    }
    if (hProcess)
        CloseHandle(hProcess);
    return TRUE;
}

}  // namespace

CResidentChannel::Outcome CResidentChannel::Send(Request request, DWORD dwTimeoutMs) const
{
    Payload payload;
    ZeroMemory(&payload, sizeof(payload));
    payload.nMagic = kMagic;
    payload.nRequest = request;
    payload.key = m_key;
    payload.cbPath = static_cast<DWORD>(lstrlenA(m_szPath) + 1);
    lstrcpyA(payload.szPath, m_szPath);
    COPYDATASTRUCT data;
    data.dwData = kDataTag;
    data.cbData = static_cast<DWORD>(kHeaderBytes + payload.cbPath);
    data.lpData = &payload;

    SendState state;
    ZeroMemory(&state, sizeof(state));
    state.pData = &data;
    state.dwTimeoutMs = dwTimeoutMs;
    state.bWaitForEnd = request == RequestEnd;
    EnumWindows(SendToResident, reinterpret_cast<LPARAM>(&state));

    DWORD start = GetTickCount();
    for (int i = 0; i < state.nEnding; ++i) {
        DWORD spent = GetTickCount() - start;
        DWORD left = spent < dwTimeoutMs ? dwTimeoutMs - spent : 0;
        if (WaitForSingleObject(state.hEnding[i], left) == WAIT_OBJECT_0)
            ++state.outcome.nEnded;
        CloseHandle(state.hEnding[i]);
    }
    return state.outcome;
}

int CResidentChannel::NotifyReload(DWORD dwTimeoutMs) const
{
    return Send(RequestReload, dwTimeoutMs).nTaken;
}
