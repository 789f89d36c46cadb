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

CString GetPathPart(LPCSTR pszPath, PathPart part);
// FindExecutableA on the path; pszResult must hold kAssocResultSize bytes.
int FindAssociatedProgram(LPCSTR pszPath, char* pszResult);
// TRUE when the code is a failure (its message has been shown).
BOOL ReportFindExecutableError(int nCode);
// FALSE when the file may be registered; TRUE when refused (reason shown).
BOOL CheckRegistrable(LPCSTR pszPath);
// The first icon of the file; never NULL: the system's error icon after
// "アイコンが読み込めません．" when the file has none. The caller may
// DestroyIcon whatever it gets.
HICON LoadFileIcon(LPCSTR pszPath);
