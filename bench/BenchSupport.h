// What the in-process benchmarks share: a millisecond clock and a message-box
// hook that counts and prints instead of waiting for a click.
#pragma once

#include <windows.h>

#include <cstdio>

// Milliseconds from the performance counter.
inline double Now()
{
    static LARGE_INTEGER s_freq;
    if (!s_freq.QuadPart)
        QueryPerformanceFrequency(&s_freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(s_freq.QuadPart);
}

// How many message boxes the program would have shown.
inline int& BoxCount()
{
    static int s_nBoxes = 0;
    return s_nBoxes;
}

// A box would wait for a click that never comes: counted and printed instead.
inline int PrintBox(HWND, LPCSTR pszText, LPCSTR, UINT)
{
    ++BoxCount();
    std::fprintf(stderr, "message box: %s\n", pszText);
    return IDOK;
}
