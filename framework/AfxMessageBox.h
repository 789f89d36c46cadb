// Every message box of both programs goes through AfxShowMessageBox, so that a
// test can install a recorder and see the texts without a window blocking it.
#pragma once

#include "AfxTypes.h"

// Shows one message box and returns the button pressed (IDOK, IDYES, ...).
typedef int (*AfxMessageBoxHook)(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);

// Replaces the box shown on screen; NULL restores the real one. Returns the previous hook.
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);

// The single way to show a box: through the hook when one is set, else MessageBoxA.
int AfxShowMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);

// The program's message box: caption is the application title (the executable's
// file name without extension), owner the active window of the program.
int AfxMessageBox(LPCSTR pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
