// The icon previews of the wizard pages: each page owns the icon its preview
// control shows and releases it when it is replaced and when the page goes.
#pragma once

#include "CStatic.h"

// Shows hNew in the control, then releases the icon held before (the control
// never paints a released handle); hHeld becomes hNew.
void ShowOwnedIcon(CStatic& control, HICON& hHeld, HICON hNew);
// Empties the control and releases the held icon, if any.
void ReleaseOwnedIcon(CStatic& control, HICON& hHeld);
