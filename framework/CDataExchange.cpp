#include "CDataExchange.h"
#include "CWnd.h"

HWND CDataExchange::GetControl(int nIDC) const
{
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    CWnd control(pDX->GetControl(nIDC));
    if (pDX->m_bSaveAndValidate)
        control.GetWindowText(value);
    else
        control.SetWindowText(value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value)
{
    HWND hControl = pDX->GetControl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessageA(hControl, BM_GETCHECK, 0, 0) == BST_CHECKED;
    else
        ::SendMessageA(hControl, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    rControl.Attach(pDX->GetControl(nIDC));
}
