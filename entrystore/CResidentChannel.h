// How a running resident is reached by the registration tool and by a second
// start of itself: a request travels as WM_COPYDATA to the residents' hidden
// windows, and only the resident whose settings file it names acts on it. A
// registration's residents share one session-local name, so that a second
// start finds the first. The payload holds no pointer and no pointer-sized
// field: 32-bit and 64-bit programs read it alike.
#pragma once

#include "PathUtil.h"

#include <windows.h>

class CResidentChannel
{
public:
    enum Request {
        RequestQuery = 1,    // only answers: is this registration yours?
        RequestReload = 2,   // read the settings file again and show its values
        RequestEnd = 3,      // remove the icon and end
        RequestShow = 4      // put the icon into the tray again if it is missing
    };

    // A registration as the file system knows it: the identity of the folder
    // that holds the settings file (GetFileIdentity) and the settings
    // file's name, folded as the file system folds letters. Every path form of
    // one file (8.3 names, another case, a subst drive) gives one key; the
    // folder rather than the file, because a settings file rewritten by a
    // replace gets a new file index. nKind 0: no key; 2: the folder had no
    // identity, nHash holds the folded full path instead.
    struct Key {
        DWORD nKind;
        FileIdentity folder;
        DWORD nHash;
    };

    // The payload of a request, as it travels: fixed size fields, then the
    // settings file's path with its terminator (cbPath bytes, at most MAX_PATH).
    struct Payload {
        DWORD nMagic;
        DWORD nRequest;
        Key key;
        DWORD cbPath;
        char szPath[MAX_PATH];
    };

    // COPYDATASTRUCT::dwData of a request, and the answers of a resident.
    static constexpr DWORD kDataTag = 0x54415652;   // "TAVR"
    static constexpr LRESULT kTaken = 0x54415631;   // the request was for it; done or under way
    static constexpr LRESULT kNotMine = 0x54415630; // understood, but another registration's

    // Takes the key of the settings file pszIniPath now, while it exists; a
    // request sent later (after a removal) still reaches its residents.
    explicit CResidentChannel(LPCSTR pszIniPath);

    // What one request met: residents of the registration that took it, and
    // windows that looked like residents but gave no answer in time (an
    // earlier version, or one that hangs). Those are left alone.
    struct Outcome {
        int nTaken;
        int nSilent;
        int nEnded;   // RequestEnd only: residents that took it and ended in time
    };
    Outcome Send(Request request, DWORD dwTimeoutMs) const;

    // The running residents of the registration take its settings file
    // anew: how many did.
    int NotifyReload(DWORD dwTimeoutMs = kDefaultTimeoutMs) const;

    // The key of an existing settings file; FALSE (key zeroed) when there is
    // no such file or the path takes 260 bytes or more.
    static BOOL KeyOf(LPCSTR pszIniPath, Key& key);
    static BOOL SameKey(const Key& a, const Key& b);
    // The session-local name of the registration's object: "Local\TavroCore..." .
    static void ObjectName(const Key& key, LPSTR pszName, int cchName);
    // Reads a request; FALSE for anything that is not one, well formed: another
    // tag, a size that does not fit, an unknown request, a path without its
    // terminator or with a terminator before its end.
    static BOOL Parse(const COPYDATASTRUCT* pData, Request& request, Key& key, LPSTR pszPath);
    // TRUE for a window that may be a resident's, of any version.
    static BOOL IsResidentWindow(HWND hWnd);
    // Folds letters as the file system does (full-width ones included) on the
    // text's wide form and hashes it (FNV-1a over the UTF-16 units).
    static DWORD FoldedHash(LPCSTR pszText);

    static constexpr DWORD kDefaultTimeoutMs = 1000;

private:
    Key m_key;
    char m_szPath[MAX_PATH];
};
