// The main menu dialog of the registration tool: starts the wizard in one of
// its modes, opens the documentation, or ends the tool.
#pragma once

#include "CDialog.h"

class CWelcomeDlg : public CDialog
{
public:
    explicit CWelcomeDlg(CWnd* pParentWnd = NULL);
    virtual ~CWelcomeDlg();

    // Runs the wizard in that RegistMode; the dialog is minimised meanwhile.
    void RunWizard(int nMode);

    void OnButtonNew();
    void OnButtonEdit();
    void OnButtonDelete();
    void OnButtonHelp();
    void OnButtonExit();

    // The application icon (resource 128) at the system's large icon size;
    // shared, never released.
    HICON m_hIcon;
    // The same icon at the system's small icon size, for the caption; owned.
    HICON m_hSmallIcon;
    // The main picture scaled to fill control 1014; owned.
    HBITMAP m_hPicture;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual BOOL OnCommand(UINT nID, UINT nCode, HWND hControl);
    // Paints the icon while the dialog is minimised; FALSE otherwise (default painting).
    virtual BOOL OnPaint();
    virtual HCURSOR OnQueryDragIcon();

private:
    // Gives control 1014 the picture scaled to cover its place (cut evenly on
    // the longer side), so it fills it at any DPI.
    void FitPicture();
    // Shows line 1020, which names the 64-bit package, when this 32-bit tool
    // runs on 64-bit Windows.
    void ShowPackageNotice();

    CWelcomeDlg(const CWelcomeDlg&);
    CWelcomeDlg& operator=(const CWelcomeDlg&);
};
