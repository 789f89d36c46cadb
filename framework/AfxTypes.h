// Common Win32 include for the framework layer: ANSI build, no MFC.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

// OnCtlColor receives the control kind as CTLCOLOR_* (winuser.h): the offset
// of the WM_CTLCOLOR* message from WM_CTLCOLORMSGBOX.
