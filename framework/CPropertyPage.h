// One page of a property sheet, here always in wizard mode. The sheet's
// notifications reach the typed handlers below; each documents its result.
#pragma once

#include "CDialog.h"
#include <prsht.h>

class CPropertySheet;

class CPropertyPage : public CDialog
{
public:
    CPropertyPage();
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    // Sets the template and the caption string id (0: the template's caption).
    void Construct(UINT nIDTemplate, UINT nIDCaption = 0);

    // Called by the sheet when the page is added.
    void SetOwnerSheet(CPropertySheet* pSheet) { m_pOwnerSheet = pSheet; }
    // The page description the platform's sheet is built from.
    PROPSHEETPAGEA BuildPageDescription();
    UINT GetCaptionId() const { return m_nIDCaption; }

    // Whether the page may become current: TRUE shows it, FALSE skips it.
    virtual BOOL OnSetActive();
    // TRUE lets the page be left.
    virtual BOOL OnKillActive();
    // 0 moves to the next page, -1 keeps this page, a template id jumps there.
    virtual LRESULT OnWizardNext();
    // 0 moves to the previous page, -1 keeps this page, a template id jumps there.
    virtual LRESULT OnWizardBack();
    // TRUE lets the wizard end.
    virtual BOOL OnWizardFinish();
    // TRUE lets the wizard be cancelled.
    virtual BOOL OnQueryCancel();

protected:
    // A page is a child of the sheet: OK and Cancel commands that reach the
    // page itself (a stray WM_CLOSE, a multi-line edit's Esc) must not end it
    // as they end a dialog. Only the sheet's own buttons end the wizard.
    virtual void OnOK();
    virtual void OnCancel();
    virtual BOOL OnNotify(NMHDR* pHeader, LRESULT& lResult);
    virtual BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    CPropertySheet* m_pOwnerSheet;
    UINT m_nIDCaption;

private:
    static INT_PTR CALLBACK PageProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
