#include "WizardDriver.h"
#include "TestSupport.h"

#include <commctrl.h>

WizardDriver::WizardDriver(CPropertySheet* pSheet)
    : m_pSheet(pSheet), m_hSheet(NULL)
{
}

WizardDriver::~WizardDriver()
{
    Stop();
}

bool WizardDriver::Start()
{
    if (!m_pSheet->Create())
        return false;
    m_hSheet = m_pSheet->m_hWnd;
    PumpMessages();
    return m_hSheet != NULL;
}

void WizardDriver::Stop()
{
    if (m_hSheet && IsWindow(m_hSheet)) {
        if (m_pSheet->m_hWnd == m_hSheet)
            m_pSheet->DestroyWindow();
        else
            ::DestroyWindow(m_hSheet);
        PumpMessages();
    }
    m_hSheet = NULL;
}

HWND WizardDriver::CurrentPage() const
{
    if (!m_hSheet || !IsWindow(m_hSheet))
        return NULL;
    return PropSheet_GetCurrentPageHwnd(m_hSheet);
}

int WizardDriver::CurrentIndex() const
{
    HWND hPage = CurrentPage();
    if (!hPage)
        return -1;
    return static_cast<int>(PropSheet_HwndToIndex(m_hSheet, hPage));
}

CPropertyPage* WizardDriver::CurrentPageObject() const
{
    HWND hPage = CurrentPage();
    return hPage ? static_cast<CPropertyPage*>(CWnd::FromHandle(hPage)) : NULL;
}

UINT WizardDriver::CurrentTemplate() const
{
    CPropertyPage* pPage = CurrentPageObject();
    return pPage ? pPage->GetTemplateId() : 0;
}

HWND WizardDriver::Button(int nId) const
{
    return m_hSheet ? GetDlgItem(m_hSheet, nId) : NULL;
}

bool WizardDriver::IsButtonVisible(int nId) const
{
    HWND hButton = Button(nId);
    return hButton && IsWindowVisible(hButton);
}

bool WizardDriver::IsButtonEnabled(int nId) const
{
    HWND hButton = Button(nId);
    return hButton && IsWindowEnabled(hButton);
}

bool WizardDriver::IsButtonUsable(int nId) const
{
    return IsButtonVisible(nId) && IsButtonEnabled(nId);
}

std::string WizardDriver::ButtonText(int nId) const
{
    return WindowText(Button(nId));
}

std::string WizardDriver::Title() const
{
    return WindowText(m_hSheet);
}

bool WizardDriver::Click(int nId)
{
    if (!IsButtonUsable(nId))
        return false;
    // What a click on the button sends to the sheet.
    SendMessageA(m_hSheet, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Button(nId)));
    PumpMessages();
    return true;
}

void WizardDriver::Press(int nPsButton)
{
    PropSheet_PressButton(m_hSheet, nPsButton);
    PumpMessages();
}

HWND WizardDriver::PageControl(int nId) const
{
    HWND hPage = CurrentPage();
    return hPage ? GetDlgItem(hPage, nId) : NULL;
}

std::string WizardDriver::PageControlText(int nId) const
{
    return WindowText(PageControl(nId));
}
