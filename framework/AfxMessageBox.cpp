#include "AfxMessageBox.h"
#include "CString.h"
#include "CWinApp.h"

#include <new>

namespace {

AfxMessageBoxHook g_messageBoxHook = NULL;

// The code page of the programs' texts, in which the hook hands them on.
const UINT kTextCodePage = 932;

// A heap copy of nChars characters of wide text, terminated; NULL without memory.
WCHAR* NewWideText(LPCWSTR pwch, int nChars)
{
    WCHAR* pText = new (std::nothrow) WCHAR[nChars + 1];
    if (pText) {
        CopyMemory(pText, pwch, nChars * sizeof(WCHAR));
        pText[nChars] = L'\0';
    }
    return pText;
}

// ANSI text in the wide form; NULL without memory.
WCHAR* NewWideFromAnsi(LPCSTR psz)
{
    int nChars = MultiByteToWideChar(CP_ACP, 0, psz ? psz : "", -1, NULL, 0);
    WCHAR* pText = new (std::nothrow) WCHAR[nChars > 0 ? nChars : 1];
    if (pText && MultiByteToWideChar(CP_ACP, 0, psz ? psz : "", -1, pText, nChars) != nChars)
        pText[0] = L'\0';
    return pText;
}

// Wide text as the bytes of code page 932.
CString TextBytes(LPCWSTR pwsz)
{
    CString text;
    int nBytes = WideCharToMultiByte(kTextCodePage, 0, pwsz, -1, NULL, 0, NULL, NULL);
    if (nBytes > 1) {
        LPSTR pch = text.GetBuffer(nBytes - 1);
        text.ReleaseBuffer(WideCharToMultiByte(kTextCodePage, 0, pwsz, -1, pch, nBytes, NULL, NULL) - 1);
    }
    return text;
}

int ShowOwnedBox(LPCWSTR pszText, UINT nType)
{
    // Own the box by the window the user is working in, so it stays in front
    // of the wizard; with none, the box stands alone.
    WCHAR* pCaption = NewWideFromAnsi(AfxGetAppName());
    int result = AfxShowMessageBox(GetActiveWindow(), pszText, pCaption ? pCaption : L"", nType);
    delete[] pCaption;
    return result;
}

}  // namespace

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook)
{
    AfxMessageBoxHook previous = g_messageBoxHook;
    g_messageBoxHook = hook;
    return previous;
}

int AfxShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT nType)
{
    if (g_messageBoxHook)
        return g_messageBoxHook(hOwner, TextBytes(pszText), TextBytes(pszCaption), nType);
    return MessageBoxW(hOwner, pszText, pszCaption, nType);
}

int AfxShowMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    WCHAR* pText = NewWideFromAnsi(pszText);
    WCHAR* pCaption = NewWideFromAnsi(pszCaption);
    int result = AfxShowMessageBox(hOwner, pText ? pText : L"", pCaption ? pCaption : L"", nType);
    delete[] pText;
    delete[] pCaption;
    return result;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT /*nIDHelp*/)
{
    // Read wide and shown wide: no code page stands between the table and
    // the screen, so this path serves the refusal of a wrong code page too.
    LPCWSTR pwch = NULL;
    int nChars = LoadStringW(AfxGetResourceHandle(), nIDPrompt, reinterpret_cast<LPWSTR>(&pwch), 0);
    WCHAR* pText = NewWideText(pwch, nChars > 0 && pwch ? nChars : 0);
    int result = ShowOwnedBox(pText ? pText : L"", nType);
    delete[] pText;
    return result;
}

int AfxMessageBox(LPCSTR pszText, UINT nType, UINT /*nIDHelp*/)
{
    WCHAR* pText = NewWideFromAnsi(pszText);
    int result = ShowOwnedBox(pText ? pText : L"", nType);
    delete[] pText;
    return result;
}
