#include "CRegistLayout.h"
#include "CRegistEntry.h"

const char CRegistLayout::kSettingsName[] = "tavro.ini";
const char CRegistLayout::kListedSettingsName[] = "Tavro.ini";
const char CRegistLayout::kResidentName[] = "TavroCore.Exe";
const char CRegistLayout::kCoreCopyName[] = "TavroCre.Exe";
const char CRegistLayout::kIniKeyword[] = "/INI=";

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

CString CRegistLayout::IconSource(const CRegistEntry& entry)
{
    return entry.m_bOrgIcon ? entry.m_strIconPath : entry.m_strProgram;
}
