// The platform's file-open dialog. The settings are given in the ANSI form in
// m_ofn (the filter as pairs separated by '|' and ended by "||", the form a
// string table can hold); the dialog itself runs in its wide form, so that the chosen path
// comes back whole and unaltered at any length.
#pragma once

#include "CString.h"
#include <commdlg.h>

class CWnd;

class CFileDialog
{
public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR pszDefExt = NULL, LPCSTR pszFileName = NULL,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR pszFilter = NULL,
                CWnd* pParentWnd = NULL);
    ~CFileDialog();

    // IDOK when the user chose a file, IDCANCEL otherwise (CommDlgExtendedError
    // then tells a cancel from a failure).
    INT_PTR DoModal();
    // The chosen path in the dialog's wide form, always terminated; "" before
    // a choice. Converting it is the caller's part: a path of 260 characters
    // may take over 259 bytes in the code page, or hold a character it lacks.
    LPCWSTR GetPathNameW() const { return m_pszFile ? m_pszFile : L""; }

    // Settings read by DoModal: lpstrFile and nMaxFile are not used.
    OPENFILENAMEA m_ofn;

private:
    // Room for the longest path the system knows, terminator included.
    static const DWORD kMaxFileChars = 32768;

    BOOL m_bOpenFileDialog;
    WCHAR* m_pszFile;   // kMaxFileChars characters on the heap, or NULL

    CFileDialog(const CFileDialog&);
    CFileDialog& operator=(const CFileDialog&);
};
