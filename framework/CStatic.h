// A view of a static control.
#pragma once

#include "CWnd.h"

class CStatic : public CWnd
{
public:
    // Shows hIcon and returns the icon shown before (the caller still owns both).
    HICON SetIcon(HICON hIcon)
    {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon), 0));
    }
    HICON GetIcon() const
    {
        return reinterpret_cast<HICON>(SendMessage(STM_GETICON, 0, 0));
    }
};
