// A dialog from a resource template. DoModal runs it modally; Create makes it
// modeless (used by tests, which drive the real window with messages).
// Messages reach the typed On... handlers through OnMessage.
#pragma once

#include "CWnd.h"

class CDC;
class CDataExchange;

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    virtual ~CDialog();

    // Runs the dialog; returns the EndDialog result, or -1 when it could not be made.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; the caller destroys it with DestroyWindow.
    BOOL Create(CWnd* pParentWnd = NULL);
    BOOL DestroyWindow();
    void EndDialog(int nResult);

    // TRUE: controls to members (DoDataExchange with save); FALSE: members to controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    UINT GetTemplateId() const { return m_nIDTemplate; }

    // Shared dispatcher of the dialog procedures: TRUE/FALSE as a dialog
    // procedure returns it, the real result stored in DWLP_MSGRESULT.
    static INT_PTR DispatchDialogMessage(CDialog* pDialog, HWND hWnd, UINT msg,
                                         WPARAM wParam, LPARAM lParam);

protected:
    // TRUE lets the system put the focus on the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Command from a control or menu. TRUE when handled.
    virtual BOOL OnCommand(UINT nID, UINT nCode, HWND hControl);
    // WM_NOTIFY. TRUE when handled, result in lResult.
    virtual BOOL OnNotify(NMHDR* pHeader, LRESULT& lResult);
    virtual void OnOK();
    virtual void OnCancel();
    // Brush for a control; NULL leaves the choice to the system.
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    virtual void OnDestroy();
    virtual void OnDropFiles(HDROP hDropInfo);
    // TRUE when the dialog painted itself.
    virtual BOOL OnPaint();
    virtual HCURSOR OnQueryDragIcon();

    virtual BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    // The window's default processing of a message, for handlers that want
    // it before their own work. It is DefWindowProc, not DefDlgProc: the
    // dialog manager's procedure calls back into this dialog's handlers.
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL m_bModal;
};
