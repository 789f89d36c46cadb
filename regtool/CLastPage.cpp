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
    message.SetWindowText(m_pSheet->m_nMode == RegistDelete ? IDS_DONE_DELETE : IDS_DONE_REGIST);
    // What became of the registration's tray icon, when anything did.
    CString note = m_pSheet->m_trayNotice.Text();
    if (!note.IsEmpty()) {
        CWnd noteText = GetDlgItem(IDC_LAST_NOTE);
        noteText.SetWindowText(note);
        noteText.ShowWindow(SW_SHOW);
    }

    // The work is done and cannot be undone from here: Finish is the only way on.
    m_pSheet->GetDlgItem(IDCANCEL).EnableWindow(FALSE);
    CString finish;
    finish.LoadString(IDS_FINISH);
    m_pSheet->SetFinishText(finish);
    return TRUE;
}
