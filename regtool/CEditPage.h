// Editing page of the wizard: display name, working folder, command line and
// the icon that stands for the program in the tray. The page fills itself from
// the sheet's working entry on every activation, supplies defaults, and writes
// the values back only through a successful Next.
#pragma once

#include "CPropertyPage.h"
#include "CStatic.h"

class CRegistSheet;

class CEditPage : public CPropertyPage
{
public:
    CEditPage();
    virtual ~CEditPage();

    // Enables Back and Next and reloads the page from the working entry.
    virtual BOOL OnSetActive();
    // 0 moves on after storing the values in the working entry, -1 stays.
    virtual LRESULT OnWizardNext();

    // Copies the working entry into the members and the controls, with the
    // defaults for display name and (for anything but a program) icon.
    void LoadFromEntry();
    // Loads the icon source's first icon into the preview.
    void UpdateIconPreview();
    // 1009 and 1005 are usable only while an icon of its own is chosen.
    void UpdateIconControls();
    // The path with every short (8.3) component replaced by its long name.
    // A component the file search cannot find is kept as given.
    static CString GetLongPathForm(LPCSTR pszPath);
    // TRUE when the extension is ".EXE" in any letter case.
    static BOOL IsExeFile(LPCSTR pszPath);

    HBRUSH m_hbrWindow;
    CRegistSheet* m_pSheet;
    BOOL m_bNotExe;
    HICON m_hPreviewIcon;
    CStatic m_staticIcon;
    CString m_strCmdLine;
    CString m_strDispName;
    CString m_strProgram;
    CString m_strIconPath;
    BOOL m_bOrgIcon;
    CString m_strWorkDir;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual BOOL OnCommand(UINT nID, UINT nCode, HWND hControl);
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    virtual void OnDropFiles(HDROP hDropInfo);
    virtual void OnDestroy();
    void OnCheckOrgIcon();
    void OnBrowseIcon();

private:
    // The icon that stands for the registration, from its icon source; owned
    // by the caller.
    HICON LoadSourceIcon() const;
    // FALSE (reported, naming the field) for the text of control nID that
    // the settings file cannot keep whole: a character the code page cannot
    // represent, 260 bytes or more, or a control character.
    BOOL CheckStorableText(int nID, const CString& text, UINT nIDLabel) const;

    CEditPage(const CEditPage&);
    CEditPage& operator=(const CEditPage&);
};
