#include "CNewFirst.h"
#include "AfxMessageBox.h"
#include "CDC.h"
#include "CFileDialog.h"
#include "CRegistSheet.h"
#include "PathUtil.h"
#include "resource.h"

#include <cderr.h>

#include <new>

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
    m_pSheet = static_cast<CRegistSheet*>(m_pOwnerSheet);
    return TRUE;
}

BOOL CNewFirst::OnSetActive()
{
    m_pSheet->SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

LRESULT CNewFirst::OnWizardNext()
{
    // Every Next starts the registration afresh, also when the tests fail.
    m_pSheet->m_entry.Clear();

    CString path;
    GetDlgItemText(IDC_NEWFIRST_PATH, path);
    if (!FileExists(path)) {
        AfxMessageBox(IDS_MSG_NO_SUCH_FILE, MB_OK, 0);
        return -1;
    }
    if (!m_pSheet->IsRegistrable(path))
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

    // A picked shortcut is registered as itself, as a dropped one is: its
    // target alone would lose the shortcut's arguments and work folder, and a
    // 32-bit tool on 64-bit Windows would resolve a target in Program Files
    // to its "Program Files (x86)" twin.
    CString path;
    if (BrowseForPath(this, "*.exe", IDS_FILTER_PROGRAMS, startDir, path, OFN_NODEREFERENCELINKS))
        SelectPath(path);
}

BOOL CNewFirst::BrowseForPath(CWnd* pParent, LPCSTR pszFileName, UINT nIDFilter,
                              const CString& startDir, CString& path, DWORD dwExtraFlags)
{
    CString filter;
    filter.LoadString(nIDFilter);
    // The current folder stays where it is: a folder that is a process's
    // current folder cannot be removed, and the user may browse into an
    // entry folder that is deleted later.
    CFileDialog dlg(TRUE, NULL, pszFileName,
                    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | dwExtraFlags, filter, pParent);
    if (!startDir.IsEmpty())
        dlg.m_ofn.lpstrInitialDir = startDir;
    if (dlg.DoModal() != IDOK) {
        // A chosen path that does not fit the buffer ends the dialog as if
        // cancelled; tell the user instead of doing nothing.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ReportPathTooLong();
        return FALSE;
    }
    return TakeWidePath(dlg.GetPathNameW(), path);
}

void CNewFirst::SelectPath(LPCSTR pszPath)
{
    if (!CheckPathLength(pszPath))
        return;
    if (!m_pSheet->IsRegistrable(pszPath))
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
    AfxMessageBox(IDS_MSG_PATH_TOO_LONG, MB_OK, 0);
}

BOOL CNewFirst::TakeWidePath(LPCWSTR pszWide, CString& path)
{
    CString exact;
    if (!exact.SetFromWideExact(pszWide)) {
        AfxMessageBox(IDS_MSG_PATH_UNREPRESENTABLE, MB_OK, 0);
        return FALSE;
    }
    if (!CheckPathLength(exact))
        return FALSE;
    path = exact;
    return TRUE;
}

BOOL CNewFirst::ReadDroppedPath(HDROP hDrop, CString& path)
{
    // The wide form, read at its full length: the ANSI form would come cut or
    // with best-fit stand-ins, naming a different real file.
    UINT nLength = DragQueryFileW(hDrop, 0, NULL, 0);
    if (nLength == 0xFFFFFFFF || nLength == 0) {
        AfxMessageBox(IDS_MSG_DRAG_ERROR, MB_OK, 0);
        return FALSE;
    }
    WCHAR* pszWide = new (std::nothrow) WCHAR[nLength + 1];
    UINT nCopied = pszWide ? DragQueryFileW(hDrop, 0, pszWide, nLength + 1) : 0;
    BOOL bTaken = FALSE;
    if (nCopied == 0xFFFFFFFF || nCopied == 0 || nCopied > nLength) {
        AfxMessageBox(IDS_MSG_DRAG_ERROR, MB_OK, 0);
    } else {
        pszWide[nCopied] = L'\0';
        bTaken = TakeWidePath(pszWide, path);
    }
    delete[] pszWide;
    return bTaken;
}
