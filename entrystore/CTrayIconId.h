// The id under which a resident's tray icon is known to the shell. Windows
// remembers per icon whether it is shown on the taskbar or in the overflow, by
// the program's path and this id; every resident runs the same program, so the
// id alone tells one registration's icon from another's.
#pragma once

#include <windows.h>

class CTrayIconId
{
public:
    // A 32-bit hash of the entry folder's name, the folder that holds the
    // settings file pszIniPath. Letters are folded as the file system folds
    // them, so the same registration gets the same id at every start, however
    // its path was spelled; the tool's folder does not count, so a moved Tavro
    // folder keeps its icons' ids.
    static UINT ForSettingsFile(LPCSTR pszIniPath);

private:
    // The entry folder's name inside pszIniPath: [*ppBegin, *ppEnd).
    static void FindEntryFolderName(LPCSTR pszIniPath, LPCSTR* ppBegin, LPCSTR* ppEnd);
    // [pBegin, pEnd) with its letters folded to upper case, in the code page.
    static void FoldName(LPCSTR pBegin, LPCSTR pEnd, LPSTR pszFolded, int cbFolded);
};
