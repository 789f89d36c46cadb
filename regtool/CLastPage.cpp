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
    m_pSheet = static_cast<CRegistSheet*>(m_pOwnerSheet);

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
    m_pSheet->GetDlgItem(IDCANCEL).EnableWindow(FALSE);
    CString finish;
    finish.LoadString(IDS_FINISH);
    m_pSheet->SetFinishText(finish);
    return TRUE;
}
