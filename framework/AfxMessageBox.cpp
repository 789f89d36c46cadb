#include "AfxMessageBox.h"
#include "CWinApp.h"

static AfxMessageBoxHook g_messageBoxHook = NULL;

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook)
{
    AfxMessageBoxHook previous = g_messageBoxHook;
    g_messageBoxHook = hook;
    return previous;
}

int AfxShowMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    if (g_messageBoxHook)
        return g_messageBoxHook(hOwner, pszText, pszCaption, nType);
    return MessageBoxA(hOwner, pszText, pszCaption, nType);
}

int AfxMessageBox(LPCSTR pszText, UINT nType, UINT /*nIDHelp*/)
{
    // Own the box by the window the user is working in, so it stays in front
    // of the wizard; with none, the box stands alone.
    HWND hOwner = GetActiveWindow();
    return AfxShowMessageBox(hOwner, pszText, AfxGetAppName(), nType);
}
