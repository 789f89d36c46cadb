// A non-owning view of a device context.
#pragma once

#include "AfxTypes.h"

class CDC
{
public:
    CDC() : m_hDC(NULL) {}
    explicit CDC(HDC hDC) : m_hDC(hDC) {}
    virtual ~CDC() {}

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

    HDC m_hDC;
};
