// A non-owning view of a window handle. Objects that handle a window's
// messages (dialogs, pages, sheets) bind themselves to it, and FromHandle
// finds them again from the handle.
#pragma once

#include "CString.h"

class CWnd
{
public:
    CWnd() : m_hWnd(NULL) {}
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd();

    // The object bound to hWnd, or NULL when none is (plain controls, other programs).
    static CWnd* FromHandle(HWND hWnd);

    // Views a handle without binding to it; Detach forgets it again.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    CWnd GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

    void SetWindowText(LPCSTR pszText) { ::SetWindowTextA(m_hWnd, pszText); }
    // The string-table text nIDText, read and set wide.
    void SetWindowText(UINT nIDText);
    void GetWindowText(CString& text) const;
    void SetDlgItemText(int nID, LPCSTR pszText) { ::SetDlgItemTextA(m_hWnd, nID, pszText); }
    void GetDlgItemText(int nID, CString& text) const;
    // The control's text read in its wide form and converted exactly; FALSE
    // when it holds a character the code page cannot represent.
    BOOL GetDlgItemTextExact(int nID, CString& text) const;
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetWindowRect(LPRECT pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void GetClientRect(LPRECT pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    void DragAcceptFiles(BOOL bAccept = TRUE);
    void CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
    UINT IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, msg, wParam, lParam);
    }
    LRESULT SendDlgItemMessage(int nID, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageA(m_hWnd, nID, msg, wParam, lParam);
    }

    HWND m_hWnd;

protected:
    // Makes this object the one FromHandle finds for hWnd.
    void BindToWindow(HWND hWnd);
    // Forgets the window; a late message then finds no object.
    void UnbindFromWindow();

    // Handles one message. Returns TRUE when handled, with the result in lResult;
    // FALSE leaves the message to the window's default processing.
    virtual BOOL OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
};
