#include "CComApartment.h"

#include <objbase.h>

typedef HRESULT(WINAPI* CoInitializeExFn)(LPVOID, DWORD);
typedef void(WINAPI* CoUninitializeFn)();
typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// The thread this class put into COM; others are asked each time.
static DWORD s_dwEnteredThread = 0;

static HMODULE LoadOle32()
{
    // By the system folder's full path: a program's folders never supply it.
    char path[MAX_PATH + 16];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return NULL;
    lstrcatA(path, "\\ole32.dll");
    return LoadLibraryA(path);
}

static HMODULE s_hOle32 = NULL;

BOOL CComApartment::Enter()
{
    DWORD thread = GetCurrentThreadId();
    if (s_dwEnteredThread == thread)
        return TRUE;
    if (!s_hOle32)
        s_hOle32 = LoadOle32();
    if (!s_hOle32)
        return FALSE;
    CoInitializeExFn pInit = reinterpret_cast<CoInitializeExFn>(
        reinterpret_cast<void*>(GetProcAddress(s_hOle32, "CoInitializeEx")));
    CoUninitializeFn pUninit = reinterpret_cast<CoUninitializeFn>(
        reinterpret_cast<void*>(GetProcAddress(s_hOle32, "CoUninitialize")));
    if (!pInit || !pUninit)
        return FALSE;
    HRESULT hr = pInit(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (hr == S_OK) {
        s_dwEnteredThread = thread;
        return TRUE;
    }
    // Already in COM by its own call: that call's balance is its owner's.
    if (hr == S_FALSE)
        pUninit();
    return hr == S_FALSE || hr == RPC_E_CHANGED_MODE;
}

HRESULT CComApartment::CreateInstance(REFCLSID clsid, REFIID iid, void** ppv)
{
    *ppv = NULL;
    if (!Enter())
        return E_FAIL;
    CoCreateInstanceFn pCreate = reinterpret_cast<CoCreateInstanceFn>(
        reinterpret_cast<void*>(GetProcAddress(s_hOle32, "CoCreateInstance")));
    return pCreate ? pCreate(clsid, NULL, CLSCTX_INPROC_SERVER, iid, ppv) : E_FAIL;
}
