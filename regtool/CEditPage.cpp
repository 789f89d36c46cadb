#include "CEditPage.h"
#include "PreviewIcon.h"
#include "AfxMessageBox.h"
#include "CDC.h"
#include "CDataExchange.h"
#include "CNewFirst.h"
#include "CRegistSheet.h"
#include "PathUtil.h"
#include "resource.h"

CEditPage::CEditPage()
    : CPropertyPage(IDD_EDITPAGE)
    , m_hbrWindow(NULL)
    , m_pSheet(NULL)
    , m_bNotExe(FALSE)
    , m_hPreviewIcon(NULL)
    , m_bOrgIcon(FALSE)
{
}

CEditPage::~CEditPage()
{
    if (m_hbrWindow)
        DeleteObject(m_hbrWindow);
}

void CEditPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_EDIT_ICON, m_staticIcon);
    DDX_Text(pDX, IDC_EDIT_CMDLINE, m_strCmdLine);
    DDX_Text(pDX, IDC_EDIT_DISPNAME, m_strDispName);
    DDX_Text(pDX, IDC_EDIT_PROGRAM, m_strProgram);
    DDX_Text(pDX, IDC_EDIT_ICONPATH, m_strIconPath);
    DDX_Check(pDX, IDC_EDIT_ORGICON, m_bOrgIcon);
    DDX_Text(pDX, IDC_EDIT_WORKDIR, m_strWorkDir);
}

BOOL CEditPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    DragAcceptFiles(TRUE);
    m_hbrWindow = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    m_pSheet = static_cast<CRegistSheet*>(m_pOwnerSheet);
    // The settings file gives back at most 259 bytes of each value: longer
    // typed texts would be saved but come back cut.
    SendDlgItemMessage(IDC_EDIT_DISPNAME, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SendDlgItemMessage(IDC_EDIT_WORKDIR, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SendDlgItemMessage(IDC_EDIT_CMDLINE, EM_LIMITTEXT, MAX_PATH - 1, 0);
    return TRUE;
}

BOOL CEditPage::OnSetActive()
{
    m_pSheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    LoadFromEntry();
    return CPropertyPage::OnSetActive();
}

void CEditPage::LoadFromEntry()
{
    const CRegistEntry& entry = m_pSheet->m_entry;
    m_strProgram = entry.m_strProgram;
    m_strDispName = entry.m_strDispName;
    m_strCmdLine = entry.m_strCmdLine;
    m_strWorkDir = entry.m_strWorkDir;
    m_strIconPath = entry.m_strIconPath;
    m_bOrgIcon = entry.m_bOrgIcon;

    m_bNotExe = !IsExeFile(m_strProgram);

    // Shortcuts and documents show the associated program's icon by default.
    if (m_bNotExe && !m_bOrgIcon) {
        char szResult[kAssocResultSize] = { 0 };
        int nCode = m_pSheet->FindAssociatedProgram(m_strProgram, szResult);
        szResult[kAssocResultSize - 1] = '\0';
        if (nCode == SE_ERR_NOASSOC && m_pSheet->SystemCanOpen(m_strProgram)) {
            // Opened by a packaged app or a delegate handler: no program file
            // to take the icon from. The file stands for itself and shows the
            // icon Explorer gives it.
            m_strIconPath = m_strProgram;
            m_bOrgIcon = TRUE;
        } else if (!m_pSheet->ReportFindExecutableError(nCode) && szResult[0] != '\0') {
            // A lookup that succeeds without naming a program gives no default.
            CString longPath = GetLongPathForm(szResult);
            // The long form may outgrow what the settings file gives back;
            // the platform's own form names the same file and fits.
            m_strIconPath = longPath.GetLength() < MAX_PATH ? longPath : CString(szResult);
            m_bOrgIcon = TRUE;
        }
    }

    if (m_strDispName.IsEmpty())
        m_strDispName = m_pSheet->GetPathPart(m_strProgram, PathNameExt);

    UpdateData(FALSE);
    UpdateIconPreview();
}

BOOL CEditPage::IsExeFile(LPCSTR pszPath)
{
    return lstrcmpiA(GetPathPart(pszPath, PathExt), ".EXE") == 0;
}

// The name under which the file system stores the last component of path,
// or the component as given when the search does not find it.
static CString FindStoredName(const CString& path, const CString& given)
{
    // A wildcard would match some other file's name.
    if (given.IsEmpty() || given.Find('*') >= 0 || given.Find('?') >= 0)
        return given;
    WIN32_FIND_DATAA data;
    ZeroMemory(&data, sizeof(data));
    HANDLE hFind = FindFirstFileA(path, &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return given;
    FindClose(hFind);
    return CString(data.cFileName);
}

CString CEditPage::GetLongPathForm(LPCSTR pszPath)
{
    CString path(pszPath);
    // Separators found per character: a trail byte 0x5C (表, ソ) is no separator.
    CString result;
    int nStart = -1;
    for (int i = 0; i < path.GetLength(); i += path.CharLengthAt(i)) {
        if (path.GetAt(i) != '\\')
            continue;
        if (nStart < 0) {
            // The root (such as C:\) is taken as it is.
            result = path.Left(i + 1);
        } else {
            result += FindStoredName(path.Left(i), path.Mid(nStart, i - nStart));
            result += '\\';
        }
        nStart = i + 1;
    }
    if (nStart < 0)
        nStart = 0;
    result += FindStoredName(path, path.Mid(nStart));
    return result;
}

HICON CEditPage::LoadSourceIcon() const
{
    return CRegistSheet::LoadEntryIcon(m_bOrgIcon, m_strIconPath, m_strProgram);
}

void CEditPage::UpdateIconPreview()
{
    ShowOwnedIcon(m_staticIcon, m_hPreviewIcon, LoadSourceIcon());
    UpdateIconControls();
}

void CEditPage::UpdateIconControls()
{
    GetDlgItem(IDC_EDIT_ICONPATH).EnableWindow(m_bOrgIcon);
    GetDlgItem(IDC_EDIT_BROWSEICON).EnableWindow(m_bOrgIcon);
}

BOOL CEditPage::OnCommand(UINT nID, UINT nCode, HWND hControl)
{
    if (nCode == BN_CLICKED && nID == IDC_EDIT_ORGICON) {
        OnCheckOrgIcon();
        return TRUE;
    }
    if (nCode == BN_CLICKED && nID == IDC_EDIT_BROWSEICON) {
        OnBrowseIcon();
        return TRUE;
    }
    return CPropertyPage::OnCommand(nID, nCode, hControl);
}

void CEditPage::OnCheckOrgIcon()
{
    LRESULT state = SendDlgItemMessage(IDC_EDIT_ORGICON, BM_GETCHECK, 0, 0);
    // Shortcuts and documents always keep an icon file of their own.
    if (m_bNotExe && state != BST_CHECKED) {
        AfxMessageBox(IDS_MSG_ORGICON_REQUIRED, MB_OK, 0);
        SendDlgItemMessage(IDC_EDIT_ORGICON, BM_SETCHECK, BST_CHECKED, 0);
        return;
    }
    UpdateData(TRUE);
    if (m_bOrgIcon) {
        // Placeholder until an icon file is given. It is the system's shared
        // icon: shown, never released, and m_hPreviewIcon keeps its own icon.
        m_staticIcon.SetIcon(LoadIconA(NULL, MAKEINTRESOURCEA(32513)));
        UpdateIconControls();
    } else {
        SetDlgItemText(IDC_EDIT_ICONPATH, "");
        UpdateIconPreview();
    }
}

void CEditPage::OnBrowseIcon()
{
    // The dialog opens in the folder of the current icon file, as the file
    // selection page does with its choice.
    CString startDir;
    if (!m_strIconPath.IsEmpty())
        startDir = m_pSheet->GetPathPart(m_strIconPath, PathDriveDir);

    CString path;
    if (!CNewFirst::BrowseForPath(this, "*.ICO", IDS_FILTER_ICONS, startDir, path))
        return;
    SetDlgItemText(IDC_EDIT_ICONPATH, path);
    UpdateData(TRUE);
    UpdateIconPreview();
}

void CEditPage::OnDropFiles(HDROP hDropInfo)
{
    CString path;
    if (CNewFirst::ReadDroppedPath(hDropInfo, path)) {
        if (!m_bOrgIcon)
            SendDlgItemMessage(IDC_EDIT_ORGICON, BM_SETCHECK, BST_CHECKED, 0);
        SetDlgItemText(IDC_EDIT_ICONPATH, path);
        UpdateData(TRUE);
        UpdateIconPreview();
    }
    DragFinish(hDropInfo);
}

LRESULT CEditPage::OnWizardNext()
{
    UpdateData(TRUE);
    if (!FileExists(m_strProgram)) {
        AfxMessageBox(IDS_MSG_PROGRAM_MISSING, MB_OK, 0);
        return -1;
    }
    if (m_strDispName.IsEmpty()) {
        AfxMessageBox(IDS_MSG_DISPNAME_EMPTY, MB_OK, 0);
        return -1;
    }
    if (m_bOrgIcon && m_strIconPath.IsEmpty()) {
        AfxMessageBox(IDS_MSG_ICONPATH_EMPTY, MB_OK, 0);
        return -1;
    }
    // The icon path is checked like the typed texts: it reaches the settings
    // file and both shortcuts, and its folder is made before they are written.
    if (!CheckStorableText(IDC_EDIT_DISPNAME, m_strDispName, IDS_LABEL_DISPNAME)
        || !CheckStorableText(IDC_EDIT_WORKDIR, m_strWorkDir, IDS_LABEL_WORKDIR)
        || !CheckStorableText(IDC_EDIT_CMDLINE, m_strCmdLine, IDS_LABEL_CMDLINE)
        || !CheckStorableText(IDC_EDIT_ICONPATH, m_strIconPath, IDS_LABEL_ICONPATH))
        return -1;
    // Only a test: an unreadable icon file is reported but does not hold the page.
    DestroyIcon(LoadSourceIcon());

    CRegistEntry& entry = m_pSheet->m_entry;
    entry.m_strDispName = m_strDispName;
    entry.m_strProgram = m_strProgram;
    entry.m_strWorkDir = m_strWorkDir;
    entry.m_strCmdLine = m_strCmdLine;
    entry.m_strIconPath = m_strIconPath;
    entry.m_bOrgIcon = m_bOrgIcon;
    return CPropertyPage::OnWizardNext();
}

BOOL CEditPage::CheckStorableText(int nID, const CString& text, UINT nIDLabel) const
{
    CString label;
    label.LoadString(nIDLabel);
    // The control keeps what was typed in its wide form; its ANSI text has a
    // "?" for each character the code page lacks, and that would be stored.
    // The edit fields' limit counts characters on some systems, not bytes:
    // the byte length is what the settings file can give back.
    CString exact;
    CString message;
    if (!GetDlgItemTextExact(nID, exact))
        message.Format(IDS_MSG_FIELD_UNREPRESENTABLE, label.GetString());
    else if (text.GetLength() >= MAX_PATH)
        message.Format(IDS_MSG_FIELD_TOO_LONG, label.GetString());
    else if (!IsStorableProfileValue(text))
        message.Format(IDS_MSG_FIELD_CONTROL_CHARS, label.GetString());
    if (message.IsEmpty())
        return TRUE;
    AfxMessageBox(message, MB_OK, 0);
    return FALSE;
}

HBRUSH CEditPage::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hbr = CPropertyPage::OnCtlColor(pDC, pWnd, nCtlColor);
    // The icon path looks like an edit field while it is in use.
    if (nCtlColor == CTLCOLOR_STATIC && pWnd && pWnd->GetDlgCtrlID() == IDC_EDIT_ICONPATH
        && m_bOrgIcon) {
        pDC->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        pDC->SetBkColor(GetSysColor(COLOR_WINDOW));
        return m_hbrWindow;
    }
    return hbr;
}

void CEditPage::OnDestroy()
{
    ReleaseOwnedIcon(m_staticIcon, m_hPreviewIcon);
    CPropertyPage::OnDestroy();
}
