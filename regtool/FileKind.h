// File kind and icon resolution: splitting a chosen path, deciding whether it
// can be registered (program, shortcut, or document with an associated
// program) and loading the icon that stands for a registration.
// Paths hold at most 259 bytes; longer ones are refused, never cut.
#pragma once

#include "CString.h"

enum PathPart {
    PathNameExt = 0,   // file name with its extension
    PathExt = 1,       // extension with its leading dot
    PathDriveDir = 2   // drive and folder, the folder with its trailing backslash
};

// Size of the association result buffer, terminator included.
const int kAssocResultSize = MAX_PATH;

// The part of the path as _splitpath divides it, walked per character of the
// code page; "" for a path of 260 bytes or more.
CString GetPathPart(LPCSTR pszPath, PathPart part);
// FindExecutableA on the path (for a shortcut: on the file it starts;
// 31 for one to a shell item or an advertised program, which no program
// file opens); pszResult must hold kAssocResultSize bytes and is
// zero-filled first. A path of 260 bytes or more is not looked up: 0.
int FindAssociatedProgram(LPCSTR pszPath, char* pszResult);
// TRUE when the code is a failure (its message has been shown): every code
// from 0 to 32. Above 32 the lookup found a program: FALSE, no message.
BOOL ReportFindExecutableError(int nCode);
// TRUE when the system has a way to open the file (for a shortcut: the file
// it starts) as a double click would: a classic command, a DelegateExecute
// verb or a packaged app's association; the shell itself for a shortcut to
// a shell item or an advertised program. FindExecutableA knows only the
// first and answers 31 for the others.
BOOL SystemCanOpen(LPCSTR pszPath);
// TRUE when the file may be registered; FALSE when refused (reason shown).
// Programs (.EXE) pass without a lookup, shortcuts (.LNK) unless the file
// they start is missing (its path expanded, refused at 260 bytes or more) or
// the shell says the shell item they start is gone, documents when the
// system has a way to open them.
BOOL IsRegistrable(LPCSTR pszPath);
// The first icon of the file; never NULL: the system's error icon after
// "アイコンが読み込めません．" when the file has none. The caller may
// DestroyIcon whatever it gets.
HICON LoadFileIcon(LPCSTR pszPath);
// The icon of a registration whose own icon source is pszIconSource: its
// first icon, or, where the source holds none and stands for the registered
// file (CShellIcon::StandsForFile), the shell's icon for pszRegisteredFile
// without a message. Otherwise as LoadFileIcon.
HICON LoadFileIcon(LPCSTR pszIconSource, LPCSTR pszRegisteredFile);
