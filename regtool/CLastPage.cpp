#include "CLastPage.h"
#include "CRegistSheet.h"
#include "resource.h"

CLastPage::CLastPage()
    : CPropertyPage(IDD_LASTPAGE),
      m_pSheet(NULL)
{
}

CLastPage::~CLastPage()
{
}

BOOL CLastPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    HWND hSheet = ::GetParent(m_hWnd);
    m_pSheet = static_cast<CRegistSheet*>(CWnd::FromHandle(hSheet));

    CWnd message = GetDlgItem(IDC_LAST_MESSAGE);
    if (m_pSheet && m_pSheet->m_nMode == RegistDelete) {
        message.SetWindowText(IDS_DONE_DELETE);
        // A resident still running for the deleted entry keeps its icon
        // until it ends; the note tells the user so.
        GetDlgItem(IDC_LAST_NOTE).ShowWindow(SW_SHOW);
    } else {
        message.SetWindowText(IDS_DONE_REGIST);
    }

    // The work is done and cannot be undone from here: Finish is the only way on.
    ::EnableWindow(::GetDlgItem(hSheet, IDCANCEL), FALSE);
    CString finish;
    finish.LoadString(IDS_FINISH);
    ::SendMessageA(hSheet, PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>(finish.GetString()));
    return TRUE;
}
