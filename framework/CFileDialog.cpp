#include "CFileDialog.h"
#include "CWnd.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR pszDefExt, LPCSTR pszFileName,
                         DWORD dwFlags, LPCSTR pszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog)
{
    ZeroMemory(&m_ofn, sizeof(m_ofn));
    ZeroMemory(m_szFileName, sizeof(m_szFileName));
    if (pszFileName)
        lstrcpynA(m_szFileName, pszFileName, MAX_PATH);
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : NULL;
    m_ofn.lpstrFilter = pszFilter;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrDefExt = pszDefExt;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
}

INT_PTR CFileDialog::DoModal()
{
    if (!m_ofn.hwndOwner)
        m_ofn.hwndOwner = GetActiveWindow();
    BOOL ok = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    if (!ok) {
        m_szFileName[0] = '\0';
        return IDCANCEL;
    }
    return IDOK;
}
