#include "CEntryPage.h"
#include "PreviewIcon.h"
#include "AfxMessageBox.h"
#include "CDataExchange.h"
#include "CRegistSheet.h"
#include "CRegistLayout.h"
#include "CRegistStore.h"
#include "CResidentChannel.h"
#include "CResidentLink.h"
#include "PathUtil.h"
#include "resource.h"

// Questions that replace something the user may want to keep: No is the default.
static const UINT kReplaceQuestion = MB_YESNO | MB_DEFBUTTON2;

static BOOL AskReplace(UINT nIDQuestion)
{
    return AfxMessageBox(nIDQuestion, kReplaceQuestion, 0) == IDYES;
}

static BOOL AskReplaceStartupLink(LPCSTR pszOtherIni, LPCSTR pszOwnIni)
{
    CString question;
    question.Format(IDS_MSG_STARTUP_LINK_FOREIGN, pszOtherIni, pszOwnIni);
    return AfxMessageBox(question, kReplaceQuestion, 0) == IDYES;
}

// The text for a removal step that stopped, as the user sees it; every one
// but the Startup folder's lookup names the code, most the item as well.
static CString RemovalText(const CRegistStore::Result& done)
{
    CString text;
    switch (done.step) {
    case CRegistStore::StepStartupLinkLocked:
    case CRegistStore::StepStartupLinkDelete:
        text.Format(IDS_MSG_STARTUP_LINK_NOT_DELETED, done.code);
        break;
    case CRegistStore::StepReadOnlyFile:
        text.Format(IDS_MSG_READ_ONLY_NOT_REMOVABLE, done.path.GetString());
        break;
    case CRegistStore::StepFolderInUse:
        text.Format(IDS_MSG_FOLDER_IN_USE, done.code, done.path.GetString());
        break;
    case CRegistStore::StepItemBlocked:
        text.Format(IDS_MSG_ITEM_NOT_REMOVABLE, done.code, done.path.GetString());
        break;
    case CRegistStore::StepRemoveFile:
        text.Format(IDS_MSG_FILE_NOT_DELETED, done.code);
        break;
    default:   // the folder refused as a whole, or stopped at a folder
        text.Format(IDS_MSG_FOLDER_NOT_DELETED, done.code);
        break;
    }
    return text;
}

// Keeps the wizard painting through a long removal: one message per item.
// A Next, Back or Cancel that arrives meanwhile finds the page working.
static void PumpOneMessage(void*)
{
    MSG msg;
    if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

CEntryPage::CEntryPage()
    : CPropertyPage(IDD_ENTRYPAGE),
      m_pSheet(NULL),
      m_hPreviewIcon(NULL),
      m_bStartup(FALSE),
      m_bWorking(FALSE)
{
}

CEntryPage::~CEntryPage()
{
    if (m_hPreviewIcon)
        DestroyIcon(m_hPreviewIcon);
}

void CEntryPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONFIRM_ICON, m_staticIcon);
    DDX_Text(pDX, IDC_CONFIRM_CMDLINE, m_strCmdLine);
    DDX_Text(pDX, IDC_CONFIRM_DISPNAME, m_strDispName);
    DDX_Text(pDX, IDC_CONFIRM_PROGRAM, m_strProgram);
    DDX_Check(pDX, IDC_CONFIRM_STARTUP, m_bStartup);
    DDX_Text(pDX, IDC_CONFIRM_WORKDIR, m_strWorkDir);
}

BOOL CEntryPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_pSheet = static_cast<CRegistSheet*>(m_pOwnerSheet);
    if (m_pSheet->m_nMode == RegistDelete) {
        GetDlgItem(IDC_CONFIRM_DELETENOTE).ShowWindow(SW_SHOW);
        GetDlgItem(IDC_CONFIRM_STARTUP).ShowWindow(SW_HIDE);
    }
    // Checked at first; afterwards the box keeps the user's choice while
    // the wizard is open.
    m_bStartup = TRUE;
    UpdateData(FALSE);
    return TRUE;
}

BOOL CEntryPage::OnSetActive()
{
    // Back leaves the page without reading it: the box itself holds the
    // user's choice, which the exchange below must not undo.
    m_bStartup = ::IsDlgButtonChecked(m_hWnd, IDC_CONFIRM_STARTUP) == BST_CHECKED;
    const CRegistEntry& entry = m_pSheet->m_entry;
    m_strProgram = entry.m_strProgram;
    m_strDispName = entry.m_strDispName;
    m_strCmdLine = entry.m_strCmdLine;
    m_strWorkDir = entry.m_strWorkDir;
    UpdateData(FALSE);
    ShowOwnedIcon(m_staticIcon, m_hPreviewIcon, CRegistSheet::LoadEntryIcon(entry));
    return CPropertyPage::OnSetActive();
}

void CEntryPage::OnDestroy()
{
    ReleaseOwnedIcon(m_staticIcon, m_hPreviewIcon);
    CPropertyPage::OnDestroy();
}

LRESULT CEntryPage::OnWizardNext()
{
    // The removal dispatches window messages so that the wizard keeps
    // painting; a Next that arrives meanwhile must not start a second run.
    if (m_bWorking)
        return -1;
    UpdateData(TRUE);
    m_bWorking = TRUE;
    CPropertySheet::ButtonState buttons = m_pSheet->DisableWizardButtons();
    int result = m_pSheet->m_nMode == RegistDelete ? RemoveEntry() : CommitEntry();
    m_pSheet->RestoreWizardButtons(buttons);
    m_bWorking = FALSE;
    if (result != 0)
        return -1;
    return CPropertyPage::OnWizardNext();
}

LRESULT CEntryPage::OnWizardBack()
{
    return m_bWorking ? -1 : CPropertyPage::OnWizardBack();
}

BOOL CEntryPage::OnQueryCancel()
{
    return !m_bWorking && CPropertyPage::OnQueryCancel();
}

BOOL CEntryPage::ConfirmOverwrite(LPCSTR pszIniPath)
{
    const CRegistEntry& entry = m_pSheet->m_entry;
    if (!FileExists(pszIniPath))
        return TRUE;
    if (m_pSheet->m_nMode == RegistEdit) {
        // Editing rewrites the folder the entry was listed from without a
        // word; any other folder (the entry was copied or renamed) holds
        // another registration, whatever program it names.
        if (IsSameFile(entry.m_strIniPath, pszIniPath))
            return TRUE;
        return AskReplace(IDS_MSG_OVERWRITE);
    }
    CRegistEntry existing;
    existing.m_strIniPath = pszIniPath;
    m_pSheet->LoadEntry(&existing);
    // Programs of the same file name share one entry folder: registering a
    // second one would silently replace the first.
    if (existing.m_strProgram.IsEmpty() || lstrcmpiA(existing.m_strProgram, m_strProgram) == 0)
        return TRUE;
    return AskReplace(IDS_MSG_OVERWRITE);
}

int CEntryPage::CommitEntry()
{
    CRegistLayout layout;
    if (!BuildLayout(layout))
        return ResultRefused;
    if (!ConfirmOverwrite(layout.SettingsPath()))
        return ResultRefused;
    BOOL bStartup = m_bStartup && ConfirmStartupLink(layout);

    CRegistStore::Result done = CRegistStore::Commit(m_pSheet->m_entry, layout, bStartup);
    int result = 0;
    switch (done.step) {
    case CRegistStore::StepDone:
        if (m_bStartup && !bStartup)
            AfxMessageBox(IDS_MSG_STARTUP_SKIPPED, MB_OK, 0);
        break;
    case CRegistStore::StepEntryFolder:
        AfxMessageBox(IDS_MSG_FOLDER_NOT_CREATED, MB_OK, 0);
        return done.code;
    case CRegistStore::StepSettings:
        AfxMessageBox(IDS_MSG_SETTINGS_NOT_WRITTEN, MB_OK, 0);
        return ResultRefused;
    case CRegistStore::StepEntryLink:
        AfxMessageBox(IDS_MSG_SHORTCUT_NOT_CREATED, MB_OK, 0);
        return done.code;
    default:
        result = ReportStartupResult(done);
        break;
    }
    // The registration is on disk (without a Startup shortcut, perhaps): its
    // tray icon follows, whichever way the page goes on.
    if (result == 0)
        m_pSheet->m_trayNotice.AfterCommit(m_pSheet->m_entry, layout, m_pSheet->m_nMode == RegistNew);
    return result;
}

BOOL CEntryPage::ConfirmStartupLink(const CRegistLayout& layout)
{
    // Programs of the same file name in two Tavro folders (or a copy) share
    // the Startup shortcut's name: replacing the other one's would keep it
    // from starting at logon, without a word.
    CString linkPath = layout.StartupLinkPath();
    CString target, arguments, otherIni;
    if (linkPath.IsEmpty() || IsTooLong(linkPath) || !FileExists(linkPath) ||
        !CResidentLink::Read(linkPath, target, arguments) || !CRegistLayout::IniPathOf(arguments, otherIni))
        return TRUE;
    if (IsSameFile(otherIni, layout.SettingsPath()) || !FileExists(otherIni))
        return TRUE;
    return AskReplaceStartupLink(otherIni, layout.SettingsPath());
}

BOOL CEntryPage::BuildLayout(CRegistLayout& layout)
{
    if (IsTooLong(m_strProgram)) {
        AfxMessageBox(IDS_MSG_PATH_TOO_LONG, MB_OK, 0);
        return FALSE;
    }
    CString fileName = m_pSheet->GetPathPart(m_strProgram, PathNameExt);
    if (fileName.IsEmpty()) {
        // Without a file name the entry would land in the tool's folder itself.
        AfxMessageBox(IDS_MSG_NO_PROGRAM, MB_OK, 0);
        return FALSE;
    }
    // The tool's folder comes back empty when its path does not fit.
    layout = CRegistLayout(GetModuleDir(), fileName);
    // Every shortcut of the registration starts the resident beside the tool.
    if (layout.Fits() && !FileExists(layout.ResidentPath())) {
        AfxMessageBox(IDS_MSG_RESIDENT_MISSING, MB_OK, 0);
        return FALSE;
    }
    // Everything the commit would write, checked before the first write.
    BOOL bTooLong = !layout.Fits() || (FileExists(layout.CopySource()) && IsTooLong(layout.CopyTarget()));
    if (m_bStartup && !bTooLong && CResidentLink::LocateStartupFolder(layout) == 0)
        bTooLong = IsTooLong(layout.StartupLinkPath());
    if (bTooLong) {
        AfxMessageBox(IDS_MSG_PATH_TOO_LONG, MB_OK, 0);
        return FALSE;
    }
    return TRUE;
}

int CEntryPage::CreateStartupLink(const CRegistLayout& layout)
{
    return ReportStartupResult(CRegistStore::WriteStartupLink(m_pSheet->m_entry, layout));
}

int CEntryPage::ReportStartupResult(const CRegistStore::Result& done)
{
    // A Startup folder that cannot be found or made costs the registration
    // its Startup shortcut only.
    if (done.step == CRegistStore::StepStartupFolder) {
        AfxMessageBox(IDS_MSG_STARTUP_SKIPPED, MB_OK, 0);
        return 0;
    }
    if (!done.Succeeded()) {
        AfxMessageBox(IDS_MSG_STARTUP_NOT_CREATED, MB_OK, 0);
        return ResultStartupFailed;
    }
    return 0;
}

int CEntryPage::RemoveEntry()
{
    CRegistLayout layout;
    if (!CRegistStore::FindRemovableFolder(m_pSheet->m_entry.m_strIniPath, GetModuleDir(), layout)) {
        AfxMessageBox(IDS_MSG_FOLDER_NOT_REMOVABLE, MB_OK, 0);
        return ResultRefused;
    }
    CString folder = layout.EntryFolder();
    // Every check that can refuse runs before the first change, so that a
    // refusal leaves the Startup shortcut and the folder as they were.
    CString linkPath;
    int result = FindStartupLink(layout, linkPath);
    if (result != 0)
        return result;
    result = ReportRemovalResult(CRegistStore::CheckRemoval(folder, linkPath, PumpOneMessage, NULL));
    if (result != 0)
        return result;
    if (!ConfirmForeignFolder(folder))
        return ResultRefused;
    // Its residents are found by the settings file's identity, taken while
    // the file still exists; they end only once the removal has completed.
    CResidentChannel residents(m_pSheet->m_entry.m_strIniPath);
    result = ReportRemovalResult(
        CRegistStore::Remove(folder, linkPath, m_pSheet->m_entry.m_strIniPath, PumpOneMessage, NULL));
    if (result == 0)
        m_pSheet->m_trayNotice.AfterRemoval(residents);
    return result;
}

int CEntryPage::ReportRemovalResult(const CRegistStore::Result& done)
{
    if (done.Succeeded())
        return 0;
    AfxMessageBox(RemovalText(done), MB_OK, 0);
    return done.code != 0 ? done.code : ResultRefused;
}

BOOL CEntryPage::ConfirmForeignFolder(const CString& folder)
{
    // Every subfolder of the tool's folder is listed: beside the tool there
    // may be folders of the user's own that no settings file describes. The
    // folder as it was listed decides, so that a retry after a removal that
    // failed half way asks what the first try asked.
    if (!m_pSheet->m_entry.m_strProgram.IsEmpty())
        return TRUE;
    CString text;
    text.Format(IDS_MSG_NOT_A_REGISTRATION, folder.GetString());
    return AfxMessageBox(text, MB_YESNO | MB_DEFBUTTON2, 0) == IDYES;
}

int CEntryPage::FindStartupLink(CRegistLayout& layout, CString& linkPath)
{
    // The Startup shortcut is named after the entry folder, as the commit
    // named both after the program's file name.
    CRegistStore::Result found = CRegistStore::LocateStartupLink(layout, linkPath);
    if (!found.Succeeded()) {
        CString text;
        text.Format(IDS_MSG_STARTUP_FOLDER_UNKNOWN, found.code);
        AfxMessageBox(text, MB_OK, 0);
        return found.code;
    }
    return 0;
}
