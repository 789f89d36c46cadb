#include "CPropertySheet.h"
#include "CPropertyPage.h"
#include "CWinApp.h"

#include <commctrl.h>

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_pParentWnd(pParentWnd), m_pPageDescriptions(NULL), m_nIDCaption(nIDCaption),
      m_nStartPage(iSelectPage), m_bWizard(FALSE)
{
}

CPropertySheet::~CPropertySheet()
{
    delete[] m_pPageDescriptions;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    pPage->SetOwnerSheet(this);
    m_pages.Add(pPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return static_cast<CPropertyPage*>(m_pages.GetAt(nPage));
}

void CPropertySheet::BuildHeader(PROPSHEETHEADERA& psh, DWORD dwExtraFlags)
{
    // The platform's sheet controls need the common controls registered.
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES };
    InitCommonControlsEx(&icc);

    delete[] m_pPageDescriptions;
    m_pPageDescriptions = new PROPSHEETPAGEA[static_cast<size_t>(GetPageCount())];
    for (int i = 0; i < GetPageCount(); ++i)
        m_pPageDescriptions[i] = GetPage(i)->BuildPageDescription();

    ZeroMemory(&psh, sizeof(psh));
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_PROPSHEETPAGE | (m_bWizard ? PSH_WIZARD : PSH_NOAPPLYNOW) | dwExtraFlags;
    psh.hwndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    psh.hInstance = AfxGetResourceHandle();
    psh.pszCaption = MAKEINTRESOURCEA(m_nIDCaption);
    psh.nPages = static_cast<UINT>(GetPageCount());
    psh.nStartPage = m_nStartPage;
    psh.ppsp = m_pPageDescriptions;
}

INT_PTR CPropertySheet::DoModal()
{
    PROPSHEETHEADERA psh;
    BuildHeader(psh, 0);
    INT_PTR result = PropertySheetA(&psh);
    // The platform has destroyed the sheet window by now.
    UnbindFromWindow();
    return result;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd)
{
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    PROPSHEETHEADERA psh;
    BuildHeader(psh, PSH_MODELESS);
    HWND hWnd = reinterpret_cast<HWND>(PropertySheetA(&psh));
    if (!hWnd || hWnd == reinterpret_cast<HWND>(-1))
        return FALSE;
    if (!m_hWnd)
        BindToWindow(hWnd);
    return TRUE;
}

BOOL CPropertySheet::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    UnbindFromWindow();
    return ::DestroyWindow(hWnd);
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags)
{
    ::SendMessageA(m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(dwFlags));
}

void CPropertySheet::SetFinishText(LPCSTR pszText)
{
    ::SendMessageA(m_hWnd, PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>(pszText));
}
