// Dialog data exchange: moves values between a dialog's controls and its
// members, in the direction m_bSaveAndValidate gives (TRUE: controls to members).
#pragma once

#include "CString.h"

class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    HWND GetControl(int nIDC) const;

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Check box state: BST_CHECKED gives TRUE, anything else FALSE.
void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value);
// Makes rControl a view of the control (in both directions).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
