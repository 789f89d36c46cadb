#include "CWnd.h"
#include "CWinApp.h"

#include <shellapi.h>

#include <new>

// Window property that carries the bound object's address.
static const char kObjectProperty[] = "TavroCWnd";

CWnd::~CWnd()
{
    if (m_hWnd && FromHandle(m_hWnd) == this)
        RemovePropA(m_hWnd, kObjectProperty);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return NULL;
    return static_cast<CWnd*>(GetPropA(hWnd, kObjectProperty));
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    m_hWnd = NULL;
    return hWnd;
}

void CWnd::BindToWindow(HWND hWnd)
{
    m_hWnd = hWnd;
    SetPropA(hWnd, kObjectProperty, this);
}

void CWnd::UnbindFromWindow()
{
    if (m_hWnd && FromHandle(m_hWnd) == this)
        RemovePropA(m_hWnd, kObjectProperty);
    m_hWnd = NULL;
}

void CWnd::GetWindowText(CString& text) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    LPSTR buffer = text.GetBuffer(n + 1);
    int copied = n > 0 ? ::GetWindowTextA(m_hWnd, buffer, n + 1) : 0;
    text.ReleaseBuffer(copied);
}

void CWnd::GetDlgItemText(int nID, CString& text) const
{
    CWnd item = GetDlgItem(nID);
    item.GetWindowText(text);
}

BOOL CWnd::GetDlgItemTextExact(int nID, CString& text) const
{
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    int n = ::GetWindowTextLengthW(hItem);
    WCHAR* pszWide = new (std::nothrow) WCHAR[n + 1];
    if (!pszWide) {
        text.Empty();
        return FALSE;
    }
    int copied = n > 0 ? ::GetWindowTextW(hItem, pszWide, n + 1) : 0;
    pszWide[copied] = L'\0';
    BOOL bExact = text.SetFromWideExact(pszWide);
    delete[] pszWide;
    return bExact;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    ::DragAcceptFiles(m_hWnd, bAccept);
}

BOOL CWnd::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

void CWnd::SetWindowText(UINT nIDText)
{
    // LoadStringW with a zero length hands out the table's own text, which is
    // not terminated: copy it.
    LPCWSTR pwch = NULL;
    int nChars = LoadStringW(AfxGetResourceHandle(), nIDText, reinterpret_cast<LPWSTR>(&pwch), 0);
    WCHAR* pText = new (std::nothrow) WCHAR[nChars > 0 ? nChars + 1 : 1];
    if (!pText)
        return;
    if (nChars > 0 && pwch)
        CopyMemory(pText, pwch, nChars * sizeof(WCHAR));
    pText[nChars > 0 ? nChars : 0] = L'\0';
    ::SetWindowTextW(m_hWnd, pText);
    delete[] pText;
}
