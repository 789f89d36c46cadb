// Every message box of both programs goes through AfxShowMessageBox, so that a
// test can install a recorder and see the texts without a window blocking it.
// The texts come from the string tables, read wide, and the box shows them
// with the wide functions, so they read right whatever the code page.
#pragma once

#include "AfxTypes.h"

// Shows one message box and returns the button pressed (IDOK, IDYES, ...).
// The hook sees the texts in code page 932, the bytes the tests compare.
typedef int (*AfxMessageBoxHook)(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);

// Replaces the box shown on screen; NULL restores the real one. Returns the previous hook.
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);

// The single way to show a box: through the hook when one is set, else MessageBoxW.
int AfxShowMessageBox(HWND hOwner, LPCWSTR pszText, LPCWSTR pszCaption, UINT nType);
// The same for texts in the ANSI code page (a table text formatted with its values).
int AfxShowMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);

// The program's message box: caption is the application title (the executable's
// file name without extension), owner the active window of the program.
// The string-table text nIDPrompt, shown as it stands.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = 0);
// A text made by CString::Format from a string-table text.
int AfxMessageBox(LPCSTR pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
