#include "CNewFirst.h"
#include "AfxMessageBox.h"
#include "CDC.h"
#include "CFileDialog.h"
#include "CRegistSheet.h"
#include "PathUtil.h"
#include "resource.h"

#include <cderr.h>

CNewFirst::CNewFirst()
    : CPropertyPage(IDD_NEWFIRST)
    , m_hbrWindow(NULL)
    , m_pSheet(NULL)
{
}

CNewFirst::~CNewFirst()
{
    if (m_hbrWindow)
        DeleteObject(m_hbrWindow);
}

void CNewFirst::DoDataExchange(CDataExchange*)
{
    // The page has no members to exchange: control 1016 is the selection.
}

BOOL CNewFirst::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    DragAcceptFiles(TRUE);
    m_hbrWindow = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    m_pSheet = static_cast<CRegistSheet*>(CWnd::FromHandle(::GetParent(m_hWnd)));
    return TRUE;
}

BOOL CNewFirst::OnSetActive()
{
    ::SendMessageA(::GetParent(m_hWnd), PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

LRESULT CNewFirst::OnWizardNext()
{
    // Every Next starts the registration afresh, also when the tests fail.
    m_pSheet->m_entry.Clear();

    CString path;
    GetDlgItemText(IDC_NEWFIRST_PATH, path);
    if (!FileExists(path)) {
        AfxMessageBox("存在しないﾌｧｲﾙが指定されています．", MB_OK, 0);
        return -1;
    }
    if (m_pSheet->CheckRegistrable(path))
        return -1;

    m_pSheet->m_entry.m_strProgram = path;
    return CPropertyPage::OnWizardNext();
}

BOOL CNewFirst::OnCommand(UINT nID, UINT nCode, HWND hControl)
{
    if (nID == IDC_NEWFIRST_BROWSE && nCode == BN_CLICKED) {
        OnBrowse();
        return TRUE;
    }
    return CPropertyPage::OnCommand(nID, nCode, hControl);
}

HBRUSH CNewFirst::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hbr = CPropertyPage::OnCtlColor(pDC, pWnd, nCtlColor);
    // The read-only path field looks like an edit field.
    if (nCtlColor == CTLCOLOR_STATIC && pWnd && pWnd->GetDlgCtrlID() == IDC_NEWFIRST_PATH) {
        pDC->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        pDC->SetBkColor(GetSysColor(COLOR_WINDOW));
        return m_hbrWindow;
    }
    return hbr;
}

void CNewFirst::OnDropFiles(HDROP hDropInfo)
{
    CString path;
    if (ReadDroppedPath(hDropInfo, path))
        SelectPath(path);
    DragFinish(hDropInfo);
}

void CNewFirst::OnBrowse()
{
    CString current;
    GetDlgItemText(IDC_NEWFIRST_PATH, current);
    // Kept alive for the whole dialog: the dialog reads it while it runs.
    CString startDir;
    if (!current.IsEmpty())
        startDir = m_pSheet->GetPathPart(current, PathDriveDir);

    CFileDialog dlg(TRUE, NULL, "*.exe", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "実行ﾌｧｲﾙ(*.exe)\0*.exe\0全ﾌｧｲﾙ(*.*)\0*.*\0\0", this);
    if (!startDir.IsEmpty())
        dlg.m_ofn.lpstrInitialDir = startDir;
    if (dlg.DoModal() != IDOK) {
        // A chosen path that does not fit the buffer ends the dialog as if
        // cancelled; tell the user instead of doing nothing.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ReportPathTooLong();
        return;
    }
    SelectPath(dlg.GetPathName());
}

void CNewFirst::SelectPath(LPCSTR pszPath)
{
    if (!CheckPathLength(pszPath))
        return;
    if (m_pSheet->CheckRegistrable(pszPath))
        return;
    SetDlgItemText(IDC_NEWFIRST_PATH, pszPath);
}

BOOL CNewFirst::CheckPathLength(LPCSTR pszPath)
{
    if (lstrlenA(pszPath) < MAX_PATH)
        return TRUE;
    ReportPathTooLong();
    return FALSE;
}

void CNewFirst::ReportPathTooLong()
{
    AfxMessageBox("ファイルのパスが長すぎます．", MB_OK, 0);
}

BOOL CNewFirst::ReadDroppedPath(HDROP hDrop, CString& path)
{
    // Ask for the length first: reading into a fixed buffer would cut a long
    // path silently, and the cut path can name a different real file.
    UINT nLength = DragQueryFileA(hDrop, 0, NULL, 0);
    if (nLength == 0xFFFFFFFF || nLength == 0) {
        AfxMessageBox("Drag Error", MB_OK, 0);
        return FALSE;
    }
    if (nLength >= MAX_PATH) {
        ReportPathTooLong();
        return FALSE;
    }
    CString buffer;
    UINT nCopied = DragQueryFileA(hDrop, 0, buffer.GetBuffer(MAX_PATH), MAX_PATH);
    buffer.ReleaseBuffer();
    if (nCopied == 0xFFFFFFFF || nCopied == 0) {
        AfxMessageBox("Drag Error", MB_OK, 0);
        return FALSE;
    }
    path = buffer;
    return CheckPathLength(path);
}
