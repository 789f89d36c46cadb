// Entry list page of the wizard (edit and delete modes): lists every
// registration found below the tool's folder and copies the chosen one into
// the sheet's working entry. The records belong to the sheet's list; each
// line of the list box carries its record as item data.
#pragma once

#include "CListBox.h"
#include "CPropertyPage.h"
#include "CStatic.h"

class CRegistSheet;
class CRegistEntry;

class CEditFirst : public CPropertyPage
{
public:
    CEditFirst();
    virtual ~CEditFirst();

    // Lists the registrations afresh; returns how many were listed (0: only
    // the placeholder line is shown).
    int FillEntryList();
    // Replaces the sheet's records with one per subfolder of the tool's
    // folder; returns the number of subfolders found.
    int ReadEntries();
    // Shows the selected line's name, program and icon; the placeholder
    // line changes nothing.
    void OnSelchangeEntryList();

    HBRUSH m_hbrWindow;
    CRegistSheet* m_pSheet;
    HICON m_hPreviewIcon;
    CListBox m_listEntries;
    CStatic m_staticSelected;
    CStatic m_staticIcon;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    // Fills the list; Next only while something is listed, Back never.
    virtual BOOL OnSetActive();
    // -1 without a selected record; else the record goes to the working entry.
    virtual LRESULT OnWizardNext();
    virtual BOOL OnCommand(UINT nID, UINT nCode, HWND hControl);
    // The selected-entry line gets the look of an edit field.
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    virtual void OnDestroy();

private:
    // Empties the list and adds a line per record read (or the placeholder);
    // returns the number of records.
    int FillEntryLines();
    // The record of the selected line, or NULL (no selection, placeholder).
    CRegistEntry* GetSelectedEntry() const;

    CEditFirst(const CEditFirst&);
    CEditFirst& operator=(const CEditFirst&);
};
