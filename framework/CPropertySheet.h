// A property sheet on the platform's own control, used here as a wizard
// (Back, Next, Finish and Cancel). The sheet does not own its pages.
#pragma once

#include "CPtrArray.h"
#include "CWnd.h"
#include <prsht.h>

class CPropertyPage;

class CPropertySheet : public CWnd
{
public:
    CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);
    virtual ~CPropertySheet();

    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.GetSize()); }
    CPropertyPage* GetPage(int nPage) const;
    void SetWizardMode() { m_bWizard = TRUE; }
    BOOL IsWizardMode() const { return m_bWizard; }
    UINT GetCaptionId() const { return m_nIDCaption; }

    // Runs the sheet modally; returns the platform's result (positive when
    // finished, 0 when cancelled, -1 on failure).
    virtual INT_PTR DoModal();
    // Creates the sheet modeless, for tests; the caller ends it with DestroyWindow.
    BOOL Create(CWnd* pParentWnd = NULL);
    BOOL DestroyWindow();

    // PSWIZB_* flags for the wizard buttons.
    void SetWizardButtons(DWORD dwFlags);
    void SetFinishText(LPCSTR pszText);
    // Disables Back, Next, Finish and Cancel while a page works, and returns
    // which of them were enabled (and where the focus was) for the restore.
    struct ButtonState {
        DWORD dwEnabled;
        HWND hFocus;
    };
    ButtonState DisableWizardButtons();
    void RestoreWizardButtons(const ButtonState& state);

    // Called by the first page created: binds the platform's sheet window and
    // makes room for the pages.
    void AttachSheetWindow(HWND hWnd, HWND hFirstPage);

protected:
    CWnd* m_pParentWnd;

private:
    void BuildHeader(PROPSHEETHEADERA& psh, DWORD dwExtraFlags);
    SIZE LargestPageInDialogUnits() const;
    void FitToPages(HWND hFirstPage);
    // Lays the sheet out in the font of its first page (PSCB_PRECREATE).
    static int CALLBACK SheetCallback(HWND hWnd, UINT msg, LPARAM lParam);

    CPtrArray m_pages;
    PROPSHEETPAGEA* m_pPageDescriptions;
    UINT m_nIDCaption;
    UINT m_nStartPage;
    BOOL m_bWizard;
};
