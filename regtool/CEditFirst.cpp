#include "CEditFirst.h"
#include "PreviewIcon.h"
#include "CDC.h"
#include "CDataExchange.h"
#include "CRegistSheet.h"
#include "CStringArray.h"
#include "CFolderUtil.h"
#include "CRegistLayout.h"
#include "PathUtil.h"
#include "resource.h"


CEditFirst::CEditFirst()
    : CPropertyPage(IDD_EDITFIRST),
      m_hbrWindow(NULL),
      m_pSheet(NULL),
      m_hPreviewIcon(NULL)
{
}

CEditFirst::~CEditFirst()
{
    if (m_hPreviewIcon)
        DestroyIcon(m_hPreviewIcon);
    if (m_hbrWindow)
        DeleteObject(m_hbrWindow);
}

void CEditFirst::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ENTRY_LIST, m_listEntries);
    DDX_Control(pDX, IDC_ENTRY_SELECTED, m_staticSelected);
    DDX_Control(pDX, IDC_ENTRY_ICON, m_staticIcon);
}

BOOL CEditFirst::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_hbrWindow = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    m_pSheet = static_cast<CRegistSheet*>(m_pOwnerSheet);
    // The list is filled on every activation, not here.
    return TRUE;
}

BOOL CEditFirst::OnSetActive()
{
    int n = FillEntryList();
    m_pSheet->SetWizardButtons(n != 0 ? PSWIZB_NEXT : 0);
    return CPropertyPage::OnSetActive();
}

int CEditFirst::FillEntryList()
{
    // A visible list box repaints itself and its scroll bar for every line
    // added: with a thousand registrations that took four times as long as
    // reading them. It is drawn once, when the list is complete.
    m_listEntries.SendMessage(WM_SETREDRAW, FALSE, 0);
    int n = FillEntryLines();
    m_listEntries.SendMessage(WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_listEntries.m_hWnd, NULL, TRUE);
    if (n > 0) {
        m_listEntries.SetCurSel(0);
        OnSelchangeEntryList();
    }
    return n;
}

int CEditFirst::FillEntryLines()
{
    // Empty the list before the old records are freed, so that no line
    // ever points to a deleted record.
    m_listEntries.ResetContent();
    int n = ReadEntries();
    if (n == 0) {
        CString none;
        none.LoadString(IDS_NO_ENTRIES);
        m_listEntries.AddString(none);
        return 0;
    }
    for (INT_PTR i = 0; i < m_pSheet->m_entryArray.GetSize(); ++i) {
        CRegistEntry* pEntry = m_pSheet->m_entryArray[i];
        // The list box sorts: the line lands where the sort puts it, and the
        // item data keeps it bound to its record.
        int line = m_listEntries.AddString(pEntry->m_strDispName);
        if (line >= 0)
            m_listEntries.SetItemDataPtr(line, pEntry);
    }
    return n;
}

int CEditFirst::ReadEntries()
{
    m_pSheet->ClearEntries();
    CString toolDir = GetModuleDir();
    CStringArray names;
    CFolderUtil util;
    // An empty tool folder path (too long to fit) must not list the current folder.
    int n = toolDir.IsEmpty() ? 0 : util.EnumSubFolders(names, toolDir);
    for (int i = 0; i < n; ++i) {
        CRegistEntry* pEntry = new CRegistEntry;
        pEntry->m_strIniPath = CRegistLayout(toolDir, names[i]).ListedSettingsPath();
        // A folder without a readable settings file is still listed, with
        // empty texts.
        m_pSheet->LoadEntry(pEntry);
        m_pSheet->m_entryArray.Add(pEntry);
    }
    return n;
}

CRegistEntry* CEditFirst::GetSelectedEntry() const
{
    int line = m_listEntries.GetCurSel();
    if (line == LB_ERR)
        return NULL;
    DWORD_PTR data = m_listEntries.GetItemData(line);
    if (data == static_cast<DWORD_PTR>(LB_ERR))
        return NULL;
    return reinterpret_cast<CRegistEntry*>(data);
}

void CEditFirst::OnSelchangeEntryList()
{
    CRegistEntry* pEntry = GetSelectedEntry();
    if (!pEntry)
        return;
    CString line;
    line.Format("%s(%s)", pEntry->m_strDispName.GetString(), pEntry->m_strProgram.GetString());
    m_staticSelected.SetWindowText(line);
    ShowOwnedIcon(m_staticIcon, m_hPreviewIcon, CRegistSheet::LoadEntryIcon(*pEntry));
}

LRESULT CEditFirst::OnWizardNext()
{
    CRegistEntry* pEntry = GetSelectedEntry();
    if (!pEntry)
        return -1;
    m_pSheet->m_entry = *pEntry;
    return CPropertyPage::OnWizardNext();
}

BOOL CEditFirst::OnCommand(UINT nID, UINT nCode, HWND hControl)
{
    if (nID == IDC_ENTRY_LIST && nCode == LBN_SELCHANGE) {
        OnSelchangeEntryList();
        return TRUE;
    }
    return CPropertyPage::OnCommand(nID, nCode, hControl);
}

HBRUSH CEditFirst::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hbr = CPropertyPage::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor == CTLCOLOR_STATIC && pWnd && pWnd->GetDlgCtrlID() == IDC_ENTRY_SELECTED) {
        pDC->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        pDC->SetBkColor(GetSysColor(COLOR_WINDOW));
        return m_hbrWindow;
    }
    return hbr;
}

void CEditFirst::OnDestroy()
{
    ReleaseOwnedIcon(m_staticIcon, m_hPreviewIcon);
    CPropertyPage::OnDestroy();
}
