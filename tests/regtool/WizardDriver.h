// Drives a wizard sheet in-process the way a user does: the sheet is created
// modeless on the real templates, buttons are pressed through the sheet, and
// messages are pumped after every step. The driver does not own the sheet
// object, which must outlive it; it destroys the sheet's window when done.
#pragma once

#include "CPropertyPage.h"
#include "CPropertySheet.h"

#include <string>

// Control ids of the platform's wizard buttons in the sheet window.
const int kWizBackId = 0x3023;
const int kWizNextId = 0x3024;
const int kWizFinishId = 0x3025;
const int kWizCancelId = IDCANCEL;

class WizardDriver
{
public:
    explicit WizardDriver(CPropertySheet* pSheet);
    ~WizardDriver();

    // Creates the sheet window modeless and shows its first page. FALSE when
    // the platform refused it.
    bool Start();
    // Destroys the sheet window (also done by the destructor).
    void Stop();

    HWND Sheet() const { return m_hSheet; }
    // The current page's window; NULL once the wizard has ended (Finish, Cancel).
    HWND CurrentPage() const;
    // Index of the current page among the sheet's pages, -1 when none.
    int CurrentIndex() const;
    // The framework object of the current page, or NULL.
    CPropertyPage* CurrentPageObject() const;
    // Template id of the current page, 0 when none.
    UINT CurrentTemplate() const;
    bool Ended() const { return CurrentPage() == NULL; }

    // What the user sees of a wizard button (kWiz...Id).
    HWND Button(int nId) const;
    bool IsButtonVisible(int nId) const;
    bool IsButtonEnabled(int nId) const;
    // Visible and enabled: the user can press it.
    bool IsButtonUsable(int nId) const;
    std::string ButtonText(int nId) const;
    // The sheet window's title text.
    std::string Title() const;

    // Presses a button as a user would: only when it is visible and enabled.
    // Returns whether it was pressed. Messages are pumped afterwards.
    bool Click(int nId);
    bool Next() { return Click(kWizNextId); }
    bool Back() { return Click(kWizBackId); }
    bool Finish() { return Click(kWizFinishId); }
    bool Cancel() { return Click(kWizCancelId); }
    // Presses through PSM_PRESSBUTTON (PSBTN_*), whatever the button's state.
    void Press(int nPsButton);

    // A control of the current page.
    HWND PageControl(int nId) const;
    std::string PageControlText(int nId) const;

private:
    CPropertySheet* m_pSheet;
    HWND m_hSheet;
};
