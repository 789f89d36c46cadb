// One registration in memory, and its settings file (INI, section "data").
// The registration tool's sheet and the resident both load and save through
// LoadEntry and SaveEntry below, so the file format lives in one place.
#pragma once

#include "CString.h"

class CRegistEntry
{
public:
    CRegistEntry();
    ~CRegistEntry();
    CRegistEntry(const CRegistEntry& other);
    // Copies every field but m_nIconIndex, which the target keeps.
    CRegistEntry& operator=(const CRegistEntry& other);

    // Empties the six texts, forgets (does not release) the icon handle and
    // clears the flag; m_nIconIndex keeps its value.
    void Clear();

    HICON m_hEntryIcon;
    CString m_strIniPath;
    CString m_strDispName;
    CString m_strProgram;
    CString m_strCmdLine;
    CString m_strWorkDir;
    CString m_strIconPath;
    int m_nIconIndex;
    BOOL m_bOrgIcon;
};

// The settings file's fields, by reference, so that the resident can load
// into its own members of the same names.
struct EntryFields {
    CString& dispName;
    CString& program;
    CString& cmdLine;
    CString& workDir;
    CString& iconPath;
    BOOL& orgIcon;
};

// Fills the fields from the settings file iniPath. A missing file, section or
// key gives the defaults (empty texts, flag clear). Each value arrives with at
// most 259 bytes, never ending in half a double-byte character.
// Returns TRUE when the program value read is not empty.
BOOL LoadEntryFields(LPCSTR iniPath, const EntryFields& fields);
BOOL LoadEntry(CRegistEntry* pEntry);

// Writes the six keys in the order dispname, program, cmdline, iconpath,
// orgicon, workdir. A value the profile functions would change on reading
// (leading or trailing blanks, enclosing double or single quotes) is written
// inside one extra pair of double quotes, so it reads back exactly. A value
// holding a control character, or a settings-file path that is empty or of
// 260 bytes or more, is refused before anything is written. TRUE only when
// every key was written.
BOOL SaveEntry(CRegistEntry* pEntry);

// The form in which one value is written to the settings file (see SaveEntry).
CString EncodeProfileValue(const CString& value);
// Whether the value can be stored at all (no control characters).
BOOL IsStorableProfileValue(const CString& value);
