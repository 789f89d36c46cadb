// Path and folder operations of the entry store: the tool keeps each
// registration in a folder below its own folder and finds, creates and
// removes those folders with these functions.
//
// Paths are byte strings in the ANSI code page (Shift-JIS under code page
// 932) of at most 259 bytes. Every test for a backslash is made per
// character: the second byte of 表, ソ, 能, 予 or 十 is 0x5C and is never taken
// for a separator. Paths of 260 bytes or more are refused.
#pragma once

#include "CString.h"

// Gives a folder path its trailing backslash. A bare drive letter "C" becomes
// "C:\". Unchanged: a path that already ends in a backslash, one that holds no
// backslash at all (empty, "C:", a bare name), and one that the backslash
// would bring to 260 bytes or more.
void AppendBackslash(CString& path);

// The drive and folder part of a path, keeping the folder's trailing
// backslash: C:\Tools\Tavro.exe gives C:\Tools\, a bare file name gives "".
// "" for a path of 260 bytes or more.
CString GetDirPart(LPCSTR path);

// The folder of the running executable, ending in a backslash; "" when the
// executable's full path takes 260 bytes or more in the code page, or holds a
// character the code page cannot represent (never a cut or altered path).
CString GetModuleDir();

// TRUE only for an existing file that is not a folder. The path is a search
// pattern: wildcards match and the first match decides. FALSE for a path of
// 260 bytes or more.
BOOL FileExists(LPCSTR path);

// The path through which this program reaches the file a 64-bit program
// reaches by the same path. A 32-bit program on 64-bit Windows sees the system
// folder (C:\Windows\System32) redirected to its 32-bit twin (SysWOW64), where
// a 64-bit program the user chose may be missing; the alias Sysnative leads it
// to the real folder. When the file is not there (a 32-bit program that only
// the redirection finds), the path stays as it is. Every other path, and every
// path in a 64-bit program, comes back unchanged; so does one that the alias
// would bring to 260 bytes. For file access only: what the tool stores stays
// as the user gave it.
CString GetNativeViewPath(LPCSTR path);

// TRUE for a 32-bit program running on 64-bit Windows (a WOW64 process).
BOOL RunsUnderWow64();

// TRUE when both paths name one file or folder. Paths in other forms (an 8.3
// short name, a subst drive, a mapped drive and its UNC form, another letter
// case) name the same file: where both exist they are compared by identity,
// both held open meanwhile (the 128-bit file id where the volume gives one,
// else volume serial number and file index), otherwise by text without
// regard to case.
BOOL IsSameFile(LPCSTR pathA, LPCSTR pathB);

// The identity of an existing file or folder, as IsSameFile compares it: the
// volume serial number and the 128-bit file id where the volume gives one,
// else the 64-bit file index in the id's first half. Only 32-bit fields, so
// that 32-bit and 64-bit programs exchange it alike. FALSE without one.
struct FileIdentity {
    DWORD nVolume;
    DWORD nId[4];
};
BOOL GetFileIdentity(LPCSTR path, FileIdentity& identity);

// TRUE for a path of 260 bytes or more: no fixed path buffer holds it.
inline BOOL IsTooLong(LPCSTR path)
{
    return lstrlenA(path) >= MAX_PATH;
}

// TRUE when something (file or folder) exists at the path.
BOOL ItemExists(LPCSTR path);

// Creates a folder and every missing folder above it (CFolderUtil::CreateFolderTree).
// 0 on success, -2 for a path under 3 bytes, else the Win32 error code.
int CreateFolderTree(LPCSTR path);

// Removes a folder with everything in it (CFolderUtil::RemoveFolderTree).
// Shows nothing. 0 on success, else the Win32 error code.
int RemoveFolderTree(LPCSTR path);

// TRUE when the last character of the path is a backslash (not a trail byte 0x5C).
BOOL EndsWithBackslash(const CString& path);
