// The platform's file-open dialog. The filter is given in the platform's own
// form: pairs of NUL-terminated strings, ended by an empty string.
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

    // IDOK when the user chose a file, IDCANCEL otherwise (also when the
    // chosen path does not fit the 260-byte buffer).
    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_szFileName); }

    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    char m_szFileName[MAX_PATH];
};
