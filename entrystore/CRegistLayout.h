// The layout of a registration on disk, in one place for the tool and the
// resident: the names of the settings file and the resident, the form in
// which a shortcut hands the settings file to the resident, and which file
// gives a registration its icon.
#pragma once

#include "CString.h"

class CRegistEntry;

class CRegistLayout
{
public:
    // The settings file's name as a commit creates it, and as the entry list
    // opens it; file names compare without regard to case, so both name one file.
    static const char kSettingsName[];
    static const char kListedSettingsName[];
    // The resident, beside the tool.
    static const char kResidentName[];
    // The copy a commit puts into the entry folder when the tool's folder has one.
    static const char kCoreCopyName[];
    // The switch before the settings file's path on the resident's command line.
    static const char kIniKeyword[];

    // "/INI=" and the path, unquoted: the resident takes everything after the
    // switch as the path, so quotes would become part of it.
    static CString ArgumentsFor(LPCSTR pszIniPath);
    // Everything after the first "/INI=" (found on a character boundary: no
    // trail byte has the value of '/'); FALSE, iniPath unchanged, without the switch.
    static BOOL IniPathOf(const CString& arguments, CString& iniPath);
    // The icon that stands for a registration: its own icon file when the
    // flag is set, else its program.
    static CString IconSource(const CRegistEntry& entry);
};
