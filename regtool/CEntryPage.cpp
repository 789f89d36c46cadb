#include "CEntryPage.h"
#include "PreviewIcon.h"
#include "AfxMessageBox.h"
#include "CDataExchange.h"
#include "CRegistSheet.h"
#include "CFolderUtil.h"
#include "CRegistLayout.h"
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

// Why a removal cannot start: a read-only file, or a folder held open.
static int ReportRemovalBlocked(int code, const CString& item, BOOL bReadOnlyFile)
{
    CString text;
    if (bReadOnlyFile)
        text.Format(IDS_MSG_READ_ONLY_NOT_REMOVABLE, item.GetString());
    else
        text.Format(IDS_MSG_FOLDER_IN_USE, code, item.GetString());
    AfxMessageBox(text, MB_OK, 0);
    return code;
}

static void AppendName(CString& path, LPCSTR pszName)
{
    AppendBackslash(path);
    path += pszName;
}

// Splits a path at its last backslash, found character by character so that
// a trail byte of value 0x5C is never taken for one. FALSE without a backslash.
static BOOL SplitAtLastBackslash(const CString& path, CString& head, CString& tail)
{
    int last = -1;
    for (int i = 0; i < path.GetLength(); i += path.CharLengthAt(i)) {
        if (path.CharLengthAt(i) == 1 && path.GetAt(i) == '\\')
            last = i;
    }
    if (last < 0)
        return FALSE;
    head = path.Left(last);
    tail = path.Mid(last + 1);
    return TRUE;
}

// A folder name that names exactly one subfolder: no separators, drive
// colons or wildcards, and no trailing dot or blank, which the platform
// would strip (".." and "..." would then name a folder above).
static BOOL IsPlainFolderName(const CString& name)
{
    if (name.IsEmpty())
        return FALSE;
    for (int i = 0; i < name.GetLength(); i += name.CharLengthAt(i)) {
        if (name.CharLengthAt(i) == 2)
            continue;
        char ch = name.GetAt(i);
        if (ch == '/' || ch == ':' || ch == '*' || ch == '?' || ch == '"' || ch == '<' ||
            ch == '>' || ch == '|')
            return FALSE;
    }
    int lastStart = 0;
    for (int i = 0; i < name.GetLength(); i += name.CharLengthAt(i))
        lastStart = i;
    if (name.CharLengthAt(lastStart) == 1) {
        char last = name.GetAt(lastStart);
        if (last == '.' || last == ' ')
            return FALSE;
    }
    return TRUE;
}

// The folder that holds the settings file iniPath, when that folder is a
// direct subfolder of toolDir (which ends in a backslash). Anything else,
// the tool's folder itself included, is never handed to the removal.
static BOOL GetRemovableFolder(const CString& iniPath, const CString& toolDir, CString& folder)
{
    CString entryFolder, iniName, parent, name;
    if (!SplitAtLastBackslash(iniPath, entryFolder, iniName))
        return FALSE;
    if (!SplitAtLastBackslash(entryFolder, parent, name))
        return FALSE;
    if (!IsPlainFolderName(name))
        return FALSE;
    parent += '\\';
    if (lstrcmpiA(parent, toolDir) != 0)
        return FALSE;
    folder = entryFolder;
    return TRUE;
}

static BOOL IsFolder(LPCSTR path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void ClearReadOnly(LPCSTR path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

static BOOL IsTooLong(const CString& path)
{
    return path.GetLength() >= MAX_PATH;
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
    m_pSheet = static_cast<CRegistSheet*>(CWnd::FromHandle(::GetParent(m_hWnd)));
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
    ShowOwnedIcon(m_staticIcon, m_hPreviewIcon,
                  CRegistSheet::LoadEntryIcon(entry.m_bOrgIcon, entry.m_strIconPath, entry.m_strProgram));
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
    CommitPaths paths;
    if (!BuildCommitPaths(paths))
        return ResultRefused;
    if (!ConfirmOverwrite(paths.iniPath))
        return ResultRefused;
    BOOL bStartup = m_bStartup && ConfirmStartupLink(paths);

    // An existing file of the folder's name counts as created for the
    // folder operations; it is no folder to write into all the same.
    int result = CreateFolderTree(paths.entryFolder);
    if (result == 0 && !IsFolder(paths.entryFolder))
        result = ERROR_ALREADY_EXISTS;
    if (result != 0) {
        AfxMessageBox(IDS_MSG_FOLDER_NOT_CREATED, MB_OK, 0);
        return result;
    }
    // In edit mode this replaces the path the entry was listed under.
    m_pSheet->m_entry.m_strIniPath = paths.iniPath;
    if (!m_pSheet->SaveEntry(&m_pSheet->m_entry)) {
        AfxMessageBox(IDS_MSG_SETTINGS_NOT_WRITTEN, MB_OK, 0);
        return ResultRefused;
    }
    // Nothing starts the copy, so its result is not examined. A copy that
    // came read-only (from a tool folder copied off read-only media) could
    // be neither overwritten by the next commit nor deleted with the entry.
    if (paths.bCopy) {
        ClearReadOnly(paths.copyTarget);
        CopyFileA(paths.copySource, paths.copyTarget, FALSE);
        ClearReadOnly(paths.copyTarget);
    }

    result = CResidentLink::Write(paths.linkPath, m_pSheet->m_entry, paths.entryFolder, paths.iniPath);
    if (result != 0) {
        AfxMessageBox(IDS_MSG_SHORTCUT_NOT_CREATED, MB_OK, 0);
        return result;
    }
    if (bStartup)
        return CreateStartupLink(paths.linkName, paths.entryFolder, paths.iniPath);
    if (m_bStartup)
        AfxMessageBox(IDS_MSG_STARTUP_SKIPPED, MB_OK, 0);
    return 0;
}

BOOL CEntryPage::ConfirmStartupLink(const CommitPaths& paths)
{
    // Programs of the same file name in two Tavro folders (or a copy) share
    // the Startup shortcut's name: replacing the other one's would keep it
    // from starting at logon, without a word.
    CString linkPath;
    if (CResidentLink::LocateStartupFolder(linkPath) != 0)
        return TRUE;
    AppendName(linkPath, paths.linkName);
    CString target, arguments, otherIni;
    if (IsTooLong(linkPath) || !FileExists(linkPath) || !CResidentLink::Read(linkPath, target, arguments) ||
        !CRegistLayout::IniPathOf(arguments, otherIni))
        return TRUE;
    if (IsSameFile(otherIni, paths.iniPath) || !FileExists(otherIni))
        return TRUE;
    return AskReplaceStartupLink(otherIni, paths.iniPath);
}

BOOL CEntryPage::BuildCommitPaths(CommitPaths& paths)
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
    CString toolDir = GetModuleDir();
    paths.entryFolder = toolDir + fileName;
    paths.iniPath = paths.entryFolder;
    AppendName(paths.iniPath, CRegistLayout::kSettingsName);
    paths.linkName = fileName + ".lnk";
    paths.linkPath = paths.entryFolder;
    AppendName(paths.linkPath, paths.linkName);
    paths.copySource = toolDir;
    AppendName(paths.copySource, CRegistLayout::kCoreCopyName);
    paths.copyTarget = paths.entryFolder;
    AppendName(paths.copyTarget, CRegistLayout::kCoreCopyName);
    paths.bCopy = !toolDir.IsEmpty() && FileExists(paths.copySource);
    CString residentPath = CResidentLink::ResidentPath();

    // Everything the commit would write, checked before the first write.
    BOOL bTooLong = residentPath.IsEmpty() || IsTooLong(paths.entryFolder) || IsTooLong(paths.iniPath) ||
                    IsTooLong(paths.linkPath) || IsTooLong(residentPath) ||
                    (paths.bCopy && IsTooLong(paths.copyTarget));
    if (m_bStartup && !bTooLong) {
        CString startupLink;
        if (CResidentLink::LocateStartupFolder(startupLink) == 0) {
            AppendName(startupLink, paths.linkName);
            bTooLong = IsTooLong(startupLink);
        }
    }
    if (bTooLong) {
        AfxMessageBox(IDS_MSG_PATH_TOO_LONG, MB_OK, 0);
        return FALSE;
    }
    return TRUE;
}

int CEntryPage::CreateStartupLink(LPCSTR pszLinkName, LPCSTR pszEntryFolder, LPCSTR pszIniPath)
{
    // A Startup folder that the user (or a cleaner) removed is made anew; one
    // that cannot be made costs the registration its Startup shortcut only.
    CString linkPath;
    if (CResidentLink::LocateStartupFolder(linkPath) != 0 ||
        (!IsFolder(linkPath) && (CreateFolderTree(linkPath) != 0 || !IsFolder(linkPath)))) {
        AfxMessageBox(IDS_MSG_STARTUP_SKIPPED, MB_OK, 0);
        return 0;
    }
    AppendName(linkPath, pszLinkName);
    if (IsTooLong(linkPath) || CResidentLink::Write(linkPath, m_pSheet->m_entry, pszEntryFolder, pszIniPath) != 0) {
        AfxMessageBox(IDS_MSG_STARTUP_NOT_CREATED, MB_OK, 0);
        return ResultStartupFailed;
    }
    return 0;
}

int CEntryPage::RemoveEntry()
{
    CString folder;
    if (!GetRemovableFolder(m_pSheet->m_entry.m_strIniPath, GetModuleDir(), folder)) {
        AfxMessageBox(IDS_MSG_FOLDER_NOT_REMOVABLE, MB_OK, 0);
        return ResultRefused;
    }
    // Every check that can refuse runs before the first change, so that a
    // refusal leaves the Startup shortcut and the folder as they were.
    CFolderUtil util;
    int result = util.CheckRemovable(folder);
    if (result != 0)
        return result;   // reported
    CString linkPath;
    result = FindStartupLink(linkPath);
    if (result == 0)
        result = CheckStartupLinkReadable(linkPath);
    if (result == 0)
        result = CheckNothingBlocks(folder);
    if (result != 0)
        return result;
    if (!ConfirmForeignFolder(folder))
        return ResultRefused;
    result = RemoveOwnStartupLink(linkPath);
    if (result != 0)
        return result;
    return RemoveFolderTree(folder);
}

int CEntryPage::CheckNothingBlocks(const CString& folder)
{
    // A removal that stopped half way would leave a registration without its
    // Startup shortcut or settings file: what would stop it is found first.
    CFolderUtil util;
    CString item;
    int result = util.FindBlockingItem(folder, item);
    if (result == 0)
        return 0;
    return ReportRemovalBlocked(result, item, result == ERROR_ACCESS_DENIED && !IsFolder(item));
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

int CEntryPage::FindStartupLink(CString& linkPath)
{
    linkPath = "";
    // The Startup shortcut is named after the program's file name; an entry
    // without one has no Startup shortcut.
    CString fileName = m_pSheet->GetPathPart(m_strProgram, PathNameExt);
    if (fileName.IsEmpty())
        return 0;
    CString startup;
    int lookup = CResidentLink::LocateStartupFolder(startup);
    // A Startup folder that does not exist holds no shortcut to remove.
    if (lookup == ERROR_FILE_NOT_FOUND || lookup == ERROR_PATH_NOT_FOUND)
        return 0;
    if (lookup != 0) {
        CString text;
        text.Format(IDS_MSG_STARTUP_FOLDER_UNKNOWN, lookup);
        AfxMessageBox(text, MB_OK, 0);
        return lookup;
    }
    AppendName(startup, fileName + ".lnk");
    // A path that does not fit was never written by a commit.
    if (!IsTooLong(startup))
        linkPath = startup;
    return 0;
}

static int ReportStartupLinkError(int code)
{
    CString text;
    text.Format(IDS_MSG_STARTUP_LINK_NOT_DELETED, code);
    AfxMessageBox(text, MB_OK, 0);
    return code != 0 ? code : CEntryPage::ResultRefused;
}

int CEntryPage::CheckStartupLinkReadable(const CString& linkPath)
{
    if (linkPath.IsEmpty() || !FileExists(linkPath))
        return 0;
    // A shortcut that cannot be read (locked) cannot be told to be this
    // entry's or another's: it is reported, and nothing is removed.
    HANDLE hFile = CreateFileA(linkPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return ReportStartupLinkError(static_cast<int>(GetLastError()));
    CloseHandle(hFile);
    return 0;
}

int CEntryPage::RemoveOwnStartupLink(const CString& linkPath)
{
    if (linkPath.IsEmpty() || !FileExists(linkPath))
        return 0;
    // The file name alone does not tell whose it is: a copied or renamed
    // entry folder shares it with the registration it came from.
    // Its settings path may be written in another form (a short name, another
    // drive letter for the same folder): the file it names decides.
    CString target, arguments, iniPath;
    if (!CResidentLink::Read(linkPath, target, arguments) || !CRegistLayout::IniPathOf(arguments, iniPath) ||
        !IsSameFile(iniPath, m_pSheet->m_entry.m_strIniPath))
        return 0;
    // A link goes as itself. One the platform only opens as its target
    // (Wine's Unix links) cannot be removed without touching that target,
    // and stays.
    CFolderUtil util;
    int result = util.DeleteFileItself(linkPath);
    if (result == ERROR_CANT_RESOLVE_FILENAME)
        return 0;
    return result != 0 ? ReportStartupLinkError(result) : 0;
}
