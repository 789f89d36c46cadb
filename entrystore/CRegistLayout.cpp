#include "CRegistLayout.h"
#include "CRegistEntry.h"
#include "CTrayIconId.h"
#include "PathUtil.h"

const char CRegistLayout::kSettingsName[] = "tavro.ini";
const char CRegistLayout::kListedSettingsName[] = "Tavro.ini";
const char CRegistLayout::kResidentName[] = "TavroCore.Exe";
const char CRegistLayout::kCoreCopyName[] = "TavroCre.Exe";
const char CRegistLayout::kIniKeyword[] = "/INI=";

// folder\name, whatever the length: Fits tells whether the result is usable.
static CString Join(const CString& folder, LPCSTR pszName)
{
    return EndsWithBackslash(folder) || folder.IsEmpty() ? folder + pszName : folder + "\\" + pszName;
}

CRegistLayout::CRegistLayout() : m_nStartupLookup(ERROR_PATH_NOT_FOUND)
{
}

CRegistLayout::CRegistLayout(LPCSTR pszToolDir, LPCSTR pszEntryName)
    : m_toolDir(pszToolDir), m_entryName(pszEntryName), m_nStartupLookup(ERROR_PATH_NOT_FOUND)
{
}

BOOL CRegistLayout::FromSettingsPath(LPCSTR pszIniPath, CRegistLayout& layout)
{
    CString path(pszIniPath);
    int last = -1;
    int beforeLast = -1;
    for (int i = 0; i < path.GetLength(); i += path.CharLengthAt(i)) {
        if (path.CharLengthAt(i) == 1 && path.GetAt(i) == '\\') {
            beforeLast = last;
            last = i;
        }
    }
    if (beforeLast < 0)
        return FALSE;
    layout = CRegistLayout(path.Left(beforeLast + 1), path.Mid(beforeLast + 1, last - beforeLast - 1));
    return TRUE;
}

CString CRegistLayout::EntryFolder() const
{
    return m_toolDir + m_entryName;
}

CString CRegistLayout::SettingsPath() const
{
    return Join(EntryFolder(), kSettingsName);
}

CString CRegistLayout::ListedSettingsPath() const
{
    return Join(EntryFolder(), kListedSettingsName);
}

CString CRegistLayout::LinkName() const
{
    return m_entryName + ".lnk";
}

CString CRegistLayout::EntryLinkPath() const
{
    return Join(EntryFolder(), LinkName());
}

CString CRegistLayout::CopySource() const
{
    return m_toolDir + kCoreCopyName;
}

CString CRegistLayout::CopyTarget() const
{
    return Join(EntryFolder(), kCoreCopyName);
}

CString CRegistLayout::ResidentPath() const
{
    return m_toolDir + kResidentName;
}

CString CRegistLayout::WorkFolder(const CRegistEntry& entry) const
{
    return entry.m_strWorkDir.IsEmpty() ? EntryFolder() : entry.m_strWorkDir;
}

CString CRegistLayout::Arguments() const
{
    return ArgumentsFor(SettingsPath());
}

UINT CRegistLayout::TrayIconId() const
{
    return CTrayIconId::ForSettingsFile(SettingsPath());
}

BOOL CRegistLayout::Fits() const
{
    // The copy is checked where it is made: it is made only when there is one.
    const CString paths[] = { EntryLinkPath(), SettingsPath(), ResidentPath() };
    if (m_toolDir.IsEmpty() || m_entryName.IsEmpty())
        return FALSE;
    for (const CString& path : paths) {
        if (path.GetLength() >= MAX_PATH)
            return FALSE;
    }
    return TRUE;
}

void CRegistLayout::SetStartupFolder(int nLookup, LPCSTR pszFolder)
{
    m_nStartupLookup = nLookup;
    m_startupFolder = nLookup == 0 ? pszFolder : "";
}

CString CRegistLayout::StartupLinkPath() const
{
    return m_startupFolder.IsEmpty() ? CString() : Join(m_startupFolder, LinkName());
}

CString CRegistLayout::ArgumentsFor(LPCSTR pszIniPath)
{
    CString arguments;
    arguments.Format("%s%s", kIniKeyword, pszIniPath);
    return arguments;
}

BOOL CRegistLayout::IniPathOf(const CString& arguments, CString& iniPath)
{
    int pos = arguments.Find(kIniKeyword);
    if (pos < 0)
        return FALSE;
    iniPath = arguments.Mid(pos + static_cast<int>(sizeof(kIniKeyword) - 1));
    return TRUE;
}

BOOL CRegistLayout::UsesOwnIcon(BOOL bOrgIcon, LPCSTR pszIconPath)
{
    return bOrgIcon && pszIconPath && pszIconPath[0] != '\0';
}

CString CRegistLayout::IconSource(BOOL bOrgIcon, LPCSTR pszIconPath, LPCSTR pszProgram)
{
    return CString(UsesOwnIcon(bOrgIcon, pszIconPath) ? pszIconPath : pszProgram);
}

CString CRegistLayout::IconSource(const CRegistEntry& entry)
{
    return IconSource(entry.m_bOrgIcon, entry.m_strIconPath, entry.m_strProgram);
}
