// The layout of a registration on disk, in one place for the tool and the
// resident. A value built from the tool's folder and the entry's name (the
// entry folder's name, the program's file name F) yields every path and name
// of that registration:
//   <tool folder>\F\tavro.ini       settings file
//   <tool folder>\F\TavroCre.Exe    copy, when the tool's folder has one
//   <tool folder>\F\F.lnk           entry shortcut, starting the resident
//   <Startup folder>\F.lnk          the same shortcut, when Startup is checked
// No caller builds these paths itself.
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

    CRegistLayout();
    // pszToolDir ends in a backslash ("" when the tool's folder does not fit).
    CRegistLayout(LPCSTR pszToolDir, LPCSTR pszEntryName);
    // The registration whose settings file is pszIniPath: its entry folder is
    // the folder that holds the file, the tool's folder the one above. The
    // separators are found per character. FALSE when there are not two.
    static BOOL FromSettingsPath(LPCSTR pszIniPath, CRegistLayout& layout);

    const CString& ToolDir() const { return m_toolDir; }
    const CString& EntryName() const { return m_entryName; }
    CString EntryFolder() const;
    CString SettingsPath() const;
    CString ListedSettingsPath() const;
    CString LinkName() const;
    CString EntryLinkPath() const;
    CString CopySource() const;
    CString CopyTarget() const;
    CString ResidentPath() const;
    // The folder the resident starts in, as its shortcuts give it: the
    // entry's work folder, the entry folder when it has none.
    CString WorkFolder(const CRegistEntry& entry) const;
    // "/INI=" and the settings path, unquoted: the resident takes everything
    // after the switch as the path, so quotes would become part of it.
    CString Arguments() const;
    // The id of the registration's tray icon (CTrayIconId), the same the
    // resident gives it from its settings file.
    UINT TrayIconId() const;
    // TRUE when the tool's folder is known, the name is not empty and every
    // path above stays below 260 bytes.
    BOOL Fits() const;

    // The user's Startup folder as one lookup for this layout's operation
    // found it (CResidentLink::LocateStartupFolder): 0 or the lookup's error.
    // Until then, and after a failure, the Startup folder and shortcut are "".
    void SetStartupFolder(int nLookup, LPCSTR pszFolder);
    const CString& StartupFolder() const { return m_startupFolder; }
    int StartupLookupResult() const { return m_nStartupLookup; }
    // <Startup folder>\F.lnk; "" without a Startup folder.
    CString StartupLinkPath() const;

    // "/INI=" and the path.
    static CString ArgumentsFor(LPCSTR pszIniPath);
    // Everything after the first "/INI=" (found on a character boundary: no
    // trail byte has the value of '/'); FALSE, iniPath unchanged, without the switch.
    static BOOL IniPathOf(const CString& arguments, CString& iniPath);
    // The icon that stands for a registration, for the pages, the tray and
    // the shortcuts alike: its own icon file when the flag is set and a file
    // is named, else its program.
    static BOOL UsesOwnIcon(BOOL bOrgIcon, LPCSTR pszIconPath);
    static CString IconSource(BOOL bOrgIcon, LPCSTR pszIconPath, LPCSTR pszProgram);
    static CString IconSource(const CRegistEntry& entry);

private:
    CString m_toolDir;
    CString m_entryName;
    CString m_startupFolder;
    int m_nStartupLookup;
};
