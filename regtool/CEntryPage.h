// Confirmation page of the wizard: shows the working entry read-only and, on
// Next, writes the registration to disk (new and edit modes) or removes it
// (delete mode). The wizard moves on only when that work has succeeded.
//
// The files themselves are written and removed by CRegistStore; this page
// asks the questions and turns the store's results into messages.
#pragma once

#include "CPropertyPage.h"
#include "CRegistStore.h"
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
    // Writes the layout's Startup shortcut for the working entry; 0 on
    // success, else ResultStartupFailed (reported). A Startup folder that is
    // missing is created; when it cannot be, the commit goes on without the
    // shortcut and says so (0).
    int CreateStartupLink(const CRegistLayout& layout);
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
    // The layout of the program's registration below the tool's folder,
    // with the Startup folder looked up once when the box is checked; FALSE
    // (reported) for a program without file name or a path that would reach
    // 260 bytes.
    BOOL BuildLayout(CRegistLayout& layout);
    // FALSE when the entry folder's settings file belongs to another program
    // and the user declines to overwrite it.
    BOOL ConfirmOverwrite(LPCSTR pszIniPath);
    // FALSE when the Startup shortcut of this name starts the resident for
    // another registration whose settings file exists, and the user declines
    // to replace it.
    BOOL ConfirmStartupLink(const CRegistLayout& layout);
    // TRUE when the folder's settings file names a program, or the user
    // agrees to remove a folder that may not be a registration at all.
    BOOL ConfirmForeignFolder(const CString& folder);
    // The path of the layout's Startup shortcut, or "" when there can be
    // none; 0, or the error of the Startup folder's lookup (reported).
    int FindStartupLink(CRegistLayout& layout, CString& linkPath);
    // The message for a Startup step of the store; 0 when the commit counts
    // as done (also without the shortcut, when there was no Startup folder),
    // else ResultStartupFailed.
    int ReportStartupResult(const CRegistStore::Result& done);
    // The message for a refused or failed removal step; 0 when it succeeded,
    // else the step's code.
    int ReportRemovalResult(const CRegistStore::Result& done);

    // A commit or removal is running.
    BOOL m_bWorking;

    CEntryPage(const CEntryPage&);
    CEntryPage& operator=(const CEntryPage&);
};
