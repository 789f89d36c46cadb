#include "CWelcomeDlg.h"
#include "CPaintDC.h"
#include "CRegistSheet.h"
#include "CWinApp.h"
#include "PathUtil.h"
#include "resource.h"

CWelcomeDlg::CWelcomeDlg(CWnd* pParentWnd)
    : CDialog(IDD_WELCOME, pParentWnd), m_hIcon(NULL)
{
    CWinApp* pApp = AfxGetApp();
    m_hIcon = pApp ? pApp->LoadIcon(IDR_MAINFRAME)
                   : ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CWelcomeDlg::~CWelcomeDlg()
{
}

void CWelcomeDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CWelcomeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return TRUE;
}

BOOL CWelcomeDlg::OnCommand(UINT nID, UINT nCode, HWND hControl)
{
    if (nCode == BN_CLICKED) {
        switch (nID) {
        case IDC_BUTTON_DELETE:
            OnButtonDelete();
            return TRUE;
        case IDC_BUTTON_EDIT:
            OnButtonEdit();
            return TRUE;
        case IDC_BUTTON_EXIT:
            OnButtonExit();
            return TRUE;
        case IDC_BUTTON_HELP:
            OnButtonHelp();
            return TRUE;
        case IDC_BUTTON_NEW:
            OnButtonNew();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(nID, nCode, hControl);
}

BOOL CWelcomeDlg::OnPaint()
{
    if (!IsIconic())
        return FALSE;
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
    return TRUE;
}

HCURSOR CWelcomeDlg::OnQueryDragIcon()
{
    return reinterpret_cast<HCURSOR>(m_hIcon);
}

void CWelcomeDlg::RunWizard(int nMode)
{
    ShowWindow(SW_SHOWMINIMIZED);
    {
        // A fresh sheet per run: nothing of an earlier run carries over.
        CRegistSheet sheet(nMode, this);
        sheet.DoModal();
    }
    ShowWindow(SW_SHOWNORMAL);
}

void CWelcomeDlg::OnButtonNew()
{
    RunWizard(RegistNew);
}

void CWelcomeDlg::OnButtonEdit()
{
    RunWizard(RegistEdit);
}

void CWelcomeDlg::OnButtonDelete()
{
    RunWizard(RegistDelete);
}

void CWelcomeDlg::OnButtonHelp()
{
    // By its full path: the shell looks for a bare name in the current folder
    // too, and would open another folder's guide when this one is missing. A
    // missing document is not reported.
    CString folder = GetModuleDir();
    CString guide = folder + "TavroHelp.Html";
    if (folder.IsEmpty() || guide.GetLength() >= MAX_PATH)
        return;
    ShellExecuteA(m_hWnd, "open", guide, "", folder, SW_SHOWNORMAL);
}

void CWelcomeDlg::OnButtonExit()
{
    EndDialog(0);
}
