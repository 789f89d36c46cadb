#include "CPropertyPage.h"
#include "CPropertySheet.h"
#include "CWinApp.h"

CPropertyPage::CPropertyPage()
    : CDialog(0), m_pOwnerSheet(NULL), m_nIDCaption(0)
{
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
    : CDialog(nIDTemplate), m_pOwnerSheet(NULL), m_nIDCaption(nIDCaption)
{
}

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption)
{
    m_nIDTemplate = nIDTemplate;
    m_nIDCaption = nIDCaption;
}

PROPSHEETPAGEA CPropertyPage::BuildPageDescription()
{
    PROPSHEETPAGEA psp;
    ZeroMemory(&psp, sizeof(psp));
    psp.dwSize = sizeof(psp);
    psp.dwFlags = m_nIDCaption ? PSP_USETITLE : PSP_DEFAULT;
    psp.hInstance = AfxGetResourceHandle();
    psp.pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    psp.pszTitle = MAKEINTRESOURCEA(m_nIDCaption);
    psp.pfnDlgProc = PageProc;
    psp.lParam = reinterpret_cast<LPARAM>(this);
    return psp;
}

BOOL CPropertyPage::OnSetActive()
{
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return TRUE;
}

LRESULT CPropertyPage::OnWizardNext()
{
    return 0;
}

LRESULT CPropertyPage::OnWizardBack()
{
    return 0;
}

BOOL CPropertyPage::OnWizardFinish()
{
    return TRUE;
}

BOOL CPropertyPage::OnQueryCancel()
{
    return TRUE;
}

void CPropertyPage::OnOK()
{
}

void CPropertyPage::OnCancel()
{
}

BOOL CPropertyPage::OnNotify(NMHDR* pHeader, LRESULT& lResult)
{
    switch (pHeader->code) {
    case PSN_SETACTIVE:
        lResult = OnSetActive() ? 0 : -1;
        return TRUE;
    case PSN_KILLACTIVE:
        lResult = OnKillActive() ? FALSE : TRUE;
        return TRUE;
    case PSN_WIZNEXT:
        lResult = OnWizardNext();
        return TRUE;
    case PSN_WIZBACK:
        lResult = OnWizardBack();
        return TRUE;
    case PSN_WIZFINISH:
        lResult = OnWizardFinish() ? FALSE : TRUE;
        return TRUE;
    case PSN_QUERYCANCEL:
        lResult = OnQueryCancel() ? FALSE : TRUE;
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CPropertyPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    // The sheet window exists once its first page is created: bind it now so
    // that pages find their sheet object from their parent window.
    if (msg == WM_INITDIALOG && m_pOwnerSheet && !m_pOwnerSheet->m_hWnd)
        m_pOwnerSheet->AttachSheetWindow(::GetParent(m_hWnd), m_hWnd);
    return CDialog::OnMessage(msg, wParam, lParam, lResult);
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* pPage;
    if (msg == WM_INITDIALOG) {
        const PROPSHEETPAGEA* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        pPage = reinterpret_cast<CPropertyPage*>(psp->lParam);
    } else {
        pPage = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    return DispatchDialogMessage(pPage, hWnd, msg, wParam, lParam);
}
