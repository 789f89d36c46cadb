#include "CDialog.h"
#include "CDC.h"
#include "CDataExchange.h"
#include "CWinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE)
{
}

CDialog::~CDialog()
{
    // A window still open here would reach a dead object; detach it first.
    if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        UnbindFromWindow();
    }
}

INT_PTR CDialog::DoModal()
{
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    LPCSTR name = MAKEINTRESOURCEA(m_nIDTemplate);
    m_bModal = TRUE;
    INT_PTR result = DialogBoxParamA(AfxFindResourceHandle(name, MAKEINTRESOURCEA(5)), name, hParent,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = FALSE;
    return result;
}

BOOL CDialog::Create(CWnd* pParentWnd)
{
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    LPCSTR name = MAKEINTRESOURCEA(m_nIDTemplate);
    m_bModal = FALSE;
    HWND hWnd = CreateDialogParamA(AfxFindResourceHandle(name, MAKEINTRESOURCEA(5)), name, hParent,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != NULL;
}

BOOL CDialog::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        DestroyWindow();
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CDialog::OnCommand(UINT nID, UINT nCode, HWND)
{
    if (nCode != BN_CLICKED)
        return FALSE;
    if (nID == IDOK) {
        OnOK();
        return TRUE;
    }
    if (nID == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::OnNotify(NMHDR*, LRESULT&)
{
    return FALSE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

HBRUSH CDialog::OnCtlColor(CDC*, CWnd*, UINT)
{
    return NULL;
}

void CDialog::OnDestroy()
{
}

void CDialog::OnDropFiles(HDROP hDropInfo)
{
    DragFinish(hDropInfo);
}

BOOL CDialog::OnPaint()
{
    return FALSE;
}

HCURSOR CDialog::OnQueryDragIcon()
{
    return NULL;
}

LRESULT CDialog::Default(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

BOOL CDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    switch (msg) {
    case WM_INITDIALOG:
        lResult = OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam), lResult);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        CWnd control(reinterpret_cast<HWND>(lParam));
        HBRUSH hBrush = OnCtlColor(&dc, lParam ? &control : NULL, msg - WM_CTLCOLORMSGBOX);
        lResult = reinterpret_cast<LRESULT>(hBrush);
        return hBrush != NULL;
    }
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON: {
        HCURSOR hCursor = OnQueryDragIcon();
        lResult = reinterpret_cast<LRESULT>(hCursor);
        return hCursor != NULL;
    }
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
static BOOL ReturnsResultDirectly(UINT msg)
{
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CDialog::DispatchDialogMessage(CDialog* pDialog, HWND hWnd, UINT msg, WPARAM wParam,
                                       LPARAM lParam)
{
    // A dialog made without its object (no creation parameter) gets the
    // default handling only.
    if (!pDialog)
        return FALSE;
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pDialog));
        pDialog->BindToWindow(hWnd);
    }

    LRESULT lResult = 0;
    BOOL handled = pDialog->OnMessage(msg, wParam, lParam, lResult);

    if (msg == WM_NCDESTROY) {
        // Clear the slot so that no later message reaches the object.
        SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDialog->UnbindFromWindow();
    }
    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(msg))
        return static_cast<INT_PTR>(lResult);
    SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* pDialog = msg == WM_INITDIALOG
        ? reinterpret_cast<CDialog*>(lParam)
        : reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    return DispatchDialogMessage(pDialog, hWnd, msg, wParam, lParam);
}
