// First page of a new registration: the user names the file to register, a
// program, a shortcut or a document with an associated program, by dropping
// it onto the page or through a file dialog. The text of control 1016 is the
// selection; Next tests it and hands it to the editing page through the
// sheet's working entry.
#pragma once

#include "CPropertyPage.h"

class CRegistSheet;

class CNewFirst : public CPropertyPage
{
public:
    CNewFirst();
    virtual ~CNewFirst();

    // Only Next is enabled here; the shown selection stays as it was.
    virtual BOOL OnSetActive();
    // 0 moves on with the chosen file as the working entry's program, -1 stays.
    virtual LRESULT OnWizardNext();

    // Reads the first file of a drop into path; further files are ignored.
    // FALSE when the drop gives no usable path ("Drag Error", or a path that
    // TakeWidePath refuses). The message has been shown then. The caller
    // still owns the drop handle.
    static BOOL ReadDroppedPath(HDROP hDrop, CString& path);
    // Runs the file dialog (starting in startDir when given, with the OFN_
    // flags dwExtraFlags beside the usual ones) and takes the chosen path
    // through TakeWidePath. FALSE on cancel or refusal; the message has been
    // shown then.
    static BOOL BrowseForPath(CWnd* pParent, LPCSTR pszFileName, UINT nIDFilter,
                              const CString& startDir, CString& path, DWORD dwExtraFlags = 0);
    // A path the user gave, in its wide form, into path in the code page.
    // FALSE, after the message, when it is not held exactly by the code page
    // (a best-fit stand-in may name another, existing file) or takes
    // MAX_PATH bytes or more there (a cut path may, too).
    static BOOL TakeWidePath(LPCWSTR pszWide, CString& path);
    // FALSE, after the message, when a path does not fit the tool's
    // MAX_PATH buffers (the settings file, the drop and dialog buffers).
    static BOOL CheckPathLength(LPCSTR pszPath);
    // "ファイルのパスが長すぎます．"
    static void ReportPathTooLong();

    HBRUSH m_hbrWindow;
    CRegistSheet* m_pSheet;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual BOOL OnCommand(UINT nID, UINT nCode, HWND hControl);
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    virtual void OnDropFiles(HDROP hDropInfo);
    void OnBrowse();

private:
    // Shows path as the selection when it fits and may be registered;
    // otherwise the reason has been shown and the selection is kept.
    void SelectPath(LPCSTR pszPath);

    CNewFirst(const CNewFirst&);
    CNewFirst& operator=(const CNewFirst&);
};
