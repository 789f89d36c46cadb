// The programs' own operator new and delete, on the process heap. The C++
// library's versions throw std::bad_alloc, and that alone links the whole
// exception machinery into programs that never catch anything. Linked into
// the programs only (framework_main); the tests keep the library's.
#include "AfxTypes.h"
#include "AfxRes.h"

#include <new>

namespace {

void* Allocate(size_t nSize)
{
    void* p = HeapAlloc(GetProcessHeap(), 0, nSize ? nSize : 1);
    if (!p) {
        // No caller is prepared for NULL and there is no memory left for a
        // message box of our own: the system shows the text, read from the
        // table into the stack, and ends the process.
        WCHAR text[128];
        if (LoadStringW(GetModuleHandleW(NULL), IDS_MSG_OUT_OF_MEMORY, text, 128) <= 0)
            text[0] = L'\0';
        FatalAppExitW(0, text);
    }
    return p;
}

void Free(void* p)
{
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
}

}  // namespace

void* operator new(size_t nSize)
{
    return Allocate(nSize);
}

void* operator new[](size_t nSize)
{
    return Allocate(nSize);
}

// The nothrow forms report exhaustion by NULL, as their callers expect.
void* operator new(size_t nSize, const std::nothrow_t&) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, nSize ? nSize : 1);
}

void* operator new[](size_t nSize, const std::nothrow_t&) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, nSize ? nSize : 1);
}

void operator delete(void* p) noexcept
{
    Free(p);
}

void operator delete[](void* p) noexcept
{
    Free(p);
}

void operator delete(void* p, size_t) noexcept
{
    Free(p);
}

void operator delete[](void* p, size_t) noexcept
{
    Free(p);
}
