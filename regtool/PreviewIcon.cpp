#include "PreviewIcon.h"

void ShowOwnedIcon(CStatic& control, HICON& hHeld, HICON hNew)
{
    HICON hOld = hHeld;
    hHeld = hNew;
    control.SetIcon(hNew);
    if (hOld && hOld != hNew)
        DestroyIcon(hOld);
}

void ReleaseOwnedIcon(CStatic& control, HICON& hHeld)
{
    if (!hHeld)
        return;
    if (control.m_hWnd)
        control.SetIcon(NULL);
    DestroyIcon(hHeld);
    hHeld = NULL;
}
