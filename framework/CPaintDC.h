// The device context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
#pragma once

#include "CDC.h"

class CWnd;

class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();

    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
    CPaintDC(const CPaintDC&);
    CPaintDC& operator=(const CPaintDC&);
};
