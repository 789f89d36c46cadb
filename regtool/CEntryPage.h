// Confirmation page of the wizard: shows the working entry read-only and, on
// Next, writes the registration to disk (new and edit modes) or removes it
// (delete mode). The wizard moves on only when that work has succeeded.
//
// A registration on disk, F being the program's file name with extension:
//   <tool folder>\F\tavro.ini       settings file
//   <tool folder>\F\TavroCre.Exe    copy, when the tool's folder has one
//   <tool folder>\F\F.lnk           shortcut to the resident
//   <Startup folder>\F.lnk          same shortcut, when Startup is checked
#pragma once

#include "CPropertyPage.h"
#include "CStatic.h"

class CRegistSheet;

class CEntryPage : public CPropertyPage
{
public:
    CEntryPage();
    virtual ~CEntryPage();

    // Results of the page's operations besides 0 (done) and the platform's
    // codes; every non-zero result keeps the page.
    enum {
        ResultRefused = -1,       // refused before anything was written
        ResultStartupFailed = 2   // the Startup shortcut could not be made
    };

    // Writes the registration; 0 when everything is on disk.
    int CommitEntry();
    // Writes the Startup shortcut linkName for the entry folder, starting the
    // resident with pszIniPath; 0 on success, else ResultStartupFailed (reported).
    // A Startup folder that is missing is created; when it cannot be, the
    // commit goes on without the shortcut and says so (0).
    int CreateStartupLink(LPCSTR pszLinkName, LPCSTR pszEntryFolder, LPCSTR pszIniPath);
    // Deletes the entry's own Startup shortcut and the folder the entry was
    // listed from, asking first when that folder's settings file names no
    // program; 0 when the registration is gone.
    int RemoveEntry();

    CRegistSheet* m_pSheet;
    HICON m_hPreviewIcon;
    CStatic m_staticIcon;
    CString m_strCmdLine;
    CString m_strDispName;
    CString m_strProgram;
    BOOL m_bStartup;
    CString m_strWorkDir;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    // Shows the working entry; the wizard buttons stay as the page before set them.
    virtual BOOL OnSetActive();
    // Commits or removes; -1 keeps the page after a failure, and while the
    // work runs (it dispatches messages, so a second Next can arrive).
    virtual LRESULT OnWizardNext();
    // -1 (stay) while the work runs.
    virtual LRESULT OnWizardBack();
    // FALSE (no cancel) while the work runs.
    virtual BOOL OnQueryCancel();
    virtual void OnDestroy();

private:
    // Where a commit writes, from the program's file name F.
    struct CommitPaths {
        CString entryFolder;   // <tool folder>\F
        CString iniPath;       // <entry folder>\tavro.ini
        CString linkName;      // F.lnk
        CString linkPath;      // <entry folder>\F.lnk
        CString copySource;    // <tool folder>\TavroCre.Exe
        CString copyTarget;    // <entry folder>\TavroCre.Exe
        BOOL bCopy;            // the tool's folder holds a TavroCre.Exe
    };
    // Fills the paths; FALSE (reported) for a program without file name or
    // a path that would reach 260 bytes.
    BOOL BuildCommitPaths(CommitPaths& paths);
    // FALSE when the entry folder's settings file belongs to another program
    // and the user declines to overwrite it.
    BOOL ConfirmOverwrite(LPCSTR pszIniPath);
    // FALSE when the Startup shortcut of this name starts the resident for
    // another registration whose settings file exists, and the user declines
    // to replace it.
    BOOL ConfirmStartupLink(const CommitPaths& paths);
    // 0 when no read-only file and no folder held open by another program
    // would stop the removal of the folder; else the code (reported).
    int CheckNothingBlocks(const CString& folder);
    // TRUE when the folder's settings file names a program, or the user
    // agrees to remove a folder that may not be a registration at all.
    BOOL ConfirmForeignFolder(const CString& folder);
    // The path of this entry's Startup shortcut, or "" when there can be
    // none; 0, or the error of the Startup folder's lookup (reported).
    int FindStartupLink(CString& linkPath);
    // 0 when the shortcut at linkPath can be read or is not there; else the
    // error that keeps it from being read (reported).
    int CheckStartupLinkReadable(const CString& linkPath);
    // Deletes the Startup shortcut when it starts the resident for this
    // entry's settings file; anyone else's is left as it is.
    int RemoveOwnStartupLink(const CString& linkPath);

    // A commit or removal is running.
    BOOL m_bWorking;

    CEntryPage(const CEntryPage&);
    CEntryPage& operator=(const CEntryPage&);
};
