#include "CPropertySheet.h"
#include "CPropertyPage.h"
#include "CWinApp.h"

#include "CDialogTemplate.h"

#include <commctrl.h>

// The font the sheet being created takes from its first page. Sheets are
// made on the one user-interface thread, one at a time.
static CDialogTemplate::Font s_pageFont;
static BOOL s_bHavePageFont = FALSE;

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

    // The platform sizes the page area from the pages' dialog units but
    // converts them with the sheet's own font: a page in a wider font would
    // be cut off at the right. The sheet therefore takes the pages' font.
    s_bHavePageFont = GetPageCount() > 0
        && CDialogTemplate::GetResourceFont(AfxGetResourceHandle(), GetPage(0)->GetTemplateId(), s_pageFont);

    ZeroMemory(&psh, sizeof(psh));
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | (m_bWizard ? PSH_WIZARD : PSH_NOAPPLYNOW)
                  | dwExtraFlags;
    psh.pfnCallback = SheetCallback;
    psh.hwndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    psh.hInstance = AfxGetResourceHandle();
    psh.pszCaption = MAKEINTRESOURCEA(m_nIDCaption);
    psh.nPages = static_cast<UINT>(GetPageCount());
    psh.nStartPage = m_nStartPage;
    psh.ppsp = m_pPageDescriptions;
}

int CALLBACK CPropertySheet::SheetCallback(HWND, UINT msg, LPARAM lParam)
{
    if (msg == PSCB_PRECREATE && lParam && s_bHavePageFont)
        CDialogTemplate::SetFont(reinterpret_cast<void*>(lParam), s_pageFont);
    return 0;
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

// The platform's wizard buttons: Back, Next, Finish, Cancel.
static const int kWizardButtonIds[] = { 0x3023, 0x3024, 0x3025, IDCANCEL };

CPropertySheet::ButtonState CPropertySheet::DisableWizardButtons()
{
    ButtonState state = { 0, ::GetFocus() };
    for (int i = 0; i < 4; ++i) {
        HWND hButton = ::GetDlgItem(m_hWnd, kWizardButtonIds[i]);
        if (hButton && ::IsWindowEnabled(hButton)) {
            state.dwEnabled |= 1u << i;
            ::EnableWindow(hButton, FALSE);
        }
    }
    return state;
}

void CPropertySheet::RestoreWizardButtons(const ButtonState& state)
{
    for (int i = 0; i < 4; ++i) {
        HWND hButton = ::GetDlgItem(m_hWnd, kWizardButtonIds[i]);
        if (hButton && (state.dwEnabled & (1u << i)))
            ::EnableWindow(hButton, TRUE);
    }
    // A disabled button loses the focus; give it back so that the keyboard
    // still reaches the wizard.
    if (state.hFocus && ::IsWindow(state.hFocus) && ::IsWindowEnabled(state.hFocus) && !::GetFocus())
        ::SetFocus(state.hFocus);
}

void CPropertySheet::AttachSheetWindow(HWND hWnd, HWND hFirstPage)
{
    BindToWindow(hWnd);
    FitToPages(hFirstPage);
}

// The size of the largest page template, read from the resources.
SIZE CPropertySheet::LargestPageInDialogUnits() const
{
    SIZE largest = { 0, 0 };
    for (int i = 0; i < GetPageCount(); ++i) {
        LPCSTR name = MAKEINTRESOURCEA(GetPage(i)->GetTemplateId());
        HRSRC hRes = FindResourceA(AfxGetResourceHandle(), name, MAKEINTRESOURCEA(5));
        HGLOBAL hData = hRes ? LoadResource(AfxGetResourceHandle(), hRes) : NULL;
        const WORD* words = hData ? static_cast<const WORD*>(LockResource(hData)) : NULL;
        if (!words)
            continue;
        // Extended template: version, signature 0xFFFF, help id, ex-style, style,
        // item count, x, y, cx, cy. Classic template: style, ex-style, count, x, y, cx, cy.
        const short* size = words[1] == 0xFFFF ? reinterpret_cast<const short*>(words + 11)
                                               : reinterpret_cast<const short*>(words + 7);
        largest.cx = size[0] > largest.cx ? size[0] : largest.cx;
        largest.cy = size[1] > largest.cy ? size[1] : largest.cy;
    }
    return largest;
}

// The platform's sheet measures pages in its own font, while the pages use
// theirs (a wider Japanese font): the sheet came out smaller than its pages
// and cut them. Grow the sheet so the largest page fits, and move the buttons
// and the separator line along.
void CPropertySheet::FitToPages(HWND hFirstPage)
{
    SIZE dialogUnits = LargestPageInDialogUnits();
    RECT need = { 0, 0, dialogUnits.cx, dialogUnits.cy };
    if (!MapDialogRect(hFirstPage, &need))
        return;
    RECT page;
    ::GetWindowRect(hFirstPage, &page);
    MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(&page), 2);
    RECT client;
    ::GetClientRect(m_hWnd, &client);

    HWND hLine = ::GetDlgItem(m_hWnd, 0x3026);   // the wizard's separator line
    RECT line = client;
    if (hLine) {
        ::GetWindowRect(hLine, &line);
        MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(&line), 2);
    }
    int dx = page.left + need.right + page.left - client.right;
    int dy = page.top + need.bottom + page.top / 2 - line.top;
    dx = dx > 0 ? dx : 0;
    dy = dy > 0 ? dy : 0;
    if (dx == 0 && dy == 0)
        return;

    RECT sheet;
    ::GetWindowRect(m_hWnd, &sheet);
    ::SetWindowPos(m_hWnd, NULL, 0, 0, sheet.right - sheet.left + dx, sheet.bottom - sheet.top + dy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        char cls[16] = {0};
        ::GetClassNameA(hChild, cls, sizeof(cls));
        if (lstrcmpA(cls, "#32770") == 0)
            continue;   // a page: keeps its place
        RECT r;
        ::GetWindowRect(hChild, &r);
        MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        if (hChild == hLine)
            ::SetWindowPos(hChild, NULL, r.left, r.top + dy, r.right - r.left + dx, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        else if (r.top >= line.top)
            ::SetWindowPos(hChild, NULL, r.left + dx, r.top + dy, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
