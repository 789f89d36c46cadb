#include "CFileDialog.h"
#include "CWnd.h"

#include <new>

namespace {

// A heap copy of nBytes ANSI bytes in the wide form (NULs kept), or NULL.
// The settings come from the program's own literals and paths, which the
// code page holds, so the conversion is exact.
WCHAR* NewWideCopy(LPCSTR pch, int nBytes)
{
    if (!pch)
        return NULL;
    int nChars = MultiByteToWideChar(CP_ACP, 0, pch, nBytes, NULL, 0);
    if (nChars <= 0)
        return NULL;
    WCHAR* pwch = new (std::nothrow) WCHAR[nChars];
    if (pwch && MultiByteToWideChar(CP_ACP, 0, pch, nBytes, pwch, nChars) != nChars) {
        delete[] pwch;
        pwch = NULL;
    }
    return pwch;
}

WCHAR* NewWideCopy(LPCSTR psz)
{
    return psz ? NewWideCopy(psz, lstrlenA(psz) + 1) : NULL;
}

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR pszDefExt, LPCSTR pszFileName,
                         DWORD dwFlags, LPCSTR pszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog)
    , m_pszFile(new (std::nothrow) WCHAR[kMaxFileChars])
{
    ZeroMemory(&m_ofn, sizeof(m_ofn));
    if (m_pszFile) {
        m_pszFile[0] = L'\0';
        if (pszFileName
            && !MultiByteToWideChar(CP_ACP, 0, pszFileName, -1, m_pszFile, kMaxFileChars))
            m_pszFile[0] = L'\0';
    }
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : NULL;
    m_ofn.lpstrFilter = pszFilter;
    m_ofn.lpstrDefExt = pszDefExt;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
}

CFileDialog::~CFileDialog()
{
    delete[] m_pszFile;
}

// The process's current folder, to be put back after a file dialog; NULL
// when it cannot be read. Owned by the caller.
static WCHAR* NewCurrentFolderCopy()
{
    DWORD n = GetCurrentDirectoryW(0, NULL);
    WCHAR* pszFolder = n ? new WCHAR[n] : NULL;
    if (pszFolder && GetCurrentDirectoryW(n, pszFolder) >= n) {
        delete[] pszFolder;
        pszFolder = NULL;
    }
    return pszFolder;
}

INT_PTR CFileDialog::DoModal()
{
    if (!m_pszFile)
        return IDCANCEL;
    if (!m_ofn.hwndOwner)
        m_ofn.hwndOwner = GetActiveWindow();

    // The separators become NULs only in the wide form: in the code page a
    // '|' byte may be the second byte of a character.
    WCHAR* pszFilter = NewWideCopy(m_ofn.lpstrFilter);
    for (WCHAR* p = pszFilter; p && *p; ++p) {
        if (*p == L'|')
            *p = L'\0';
    }
    WCHAR* pszInitialDir = NewWideCopy(m_ofn.lpstrInitialDir);
    WCHAR* pszDefExt = NewWideCopy(m_ofn.lpstrDefExt);
    WCHAR* pszTitle = NewWideCopy(m_ofn.lpstrTitle);

    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_ofn.hwndOwner;
    ofn.lpstrFilter = pszFilter;
    ofn.nFilterIndex = m_ofn.nFilterIndex;
    ofn.lpstrFile = m_pszFile;
    ofn.nMaxFile = kMaxFileChars;
    ofn.lpstrInitialDir = pszInitialDir;
    ofn.lpstrTitle = pszTitle;
    ofn.Flags = m_ofn.Flags;
    ofn.lpstrDefExt = pszDefExt;

    // Windows documents OFN_NOCHANGEDIR as ineffective for GetOpenFileName:
    // the dialog leaves the program in the folder the user browsed into, and
    // a program's current folder cannot be deleted on Windows. The program's
    // own folder is put back.
    WCHAR* pszCurrent = NewCurrentFolderCopy();
    BOOL ok = m_bOpenFileDialog ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    if (pszCurrent)
        SetCurrentDirectoryW(pszCurrent);
    delete[] pszCurrent;
    m_ofn.nFilterIndex = ofn.nFilterIndex;
    // The dialog writes no terminator into a buffer it found too small.
    m_pszFile[kMaxFileChars - 1] = L'\0';
    if (!ok)
        m_pszFile[0] = L'\0';

    delete[] pszFilter;
    delete[] pszInitialDir;
    delete[] pszDefExt;
    delete[] pszTitle;
    return ok ? IDOK : IDCANCEL;
}
