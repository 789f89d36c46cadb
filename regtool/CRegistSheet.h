// The registration wizard: one sheet per run, built for one RegistMode. It owns
// its pages, the working entry and the listed entries, and carries the entry
// load/save and file kind operations the pages share.
#pragma once

#include "CTrayNotice.h"
#include "CPropertySheet.h"
#include "CRegistEntry.h"
#include "CRegistEntryArray.h"
#include "CRegistLayout.h"
#include "FileKind.h"

enum RegistMode {
    RegistNew = 0,
    RegistEdit = 1,
    RegistDelete = 2
};

class CNewFirst;
class CEditFirst;
class CEditPage;
class CEntryPage;
class CLastPage;

class CRegistSheet : public CPropertySheet
{
public:
    CRegistSheet(int nMode, CWnd* pParentWnd);
    virtual ~CRegistSheet();

    // Deletes every listed record and empties the list.
    void ClearEntries();

    // Settings file of an entry (see CRegistEntry.h).
    BOOL LoadEntry(CRegistEntry* pEntry) { return ::LoadEntry(pEntry); }
    BOOL SaveEntry(CRegistEntry* pEntry) { return ::SaveEntry(pEntry); }

    // File kind and icon operations (see FileKind.h); none uses the sheet's state.
    CString GetPathPart(LPCSTR pszPath, PathPart part) { return ::GetPathPart(pszPath, part); }
    int FindAssociatedProgram(LPCSTR pszPath, char* pszResult) { return ::FindAssociatedProgram(pszPath, pszResult); }
    BOOL ReportFindExecutableError(int nCode) { return ::ReportFindExecutableError(nCode); }
    BOOL SystemCanOpen(LPCSTR pszPath) { return ::SystemCanOpen(pszPath); }
    BOOL IsRegistrable(LPCSTR pszPath) { return ::IsRegistrable(pszPath); }
    static HICON LoadFileIcon(LPCSTR pszPath) { return ::LoadFileIcon(pszPath); }
    static HICON LoadFileIcon(LPCSTR pszIconSource, LPCSTR pszRegisteredFile)
    {
        return ::LoadFileIcon(pszIconSource, pszRegisteredFile);
    }
    // The icon that stands for a registration, by the rule the tray and the
    // shortcuts follow (CRegistLayout::IconSource).
    static HICON LoadEntryIcon(BOOL bOrgIcon, LPCSTR pszIconPath, LPCSTR pszProgram)
    {
        return CRegistLayout::UsesOwnIcon(bOrgIcon, pszIconPath) ? ::LoadFileIcon(pszIconPath, pszProgram)
                                                                 : ::LoadFileIcon(pszProgram);
    }
    static HICON LoadEntryIcon(const CRegistEntry& entry)
    {
        return LoadEntryIcon(entry.m_bOrgIcon, entry.m_strIconPath, entry.m_strProgram);
    }

    CNewFirst* m_pNewFirst;
    CEditFirst* m_pEditFirst;
    CEditPage* m_pEditPage;
    CEntryPage* m_pEntryPage;
    CLastPage* m_pLastPage;
    CRegistEntry m_entry;
    CRegistEntryArray m_entryArray;
    int m_nMode;
    // What the commit or removal did to the registration's tray icon.
    CTrayNotice m_trayNotice;

private:
    CRegistSheet(const CRegistSheet&);
    CRegistSheet& operator=(const CRegistSheet&);
};
