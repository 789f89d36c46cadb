// COM for the calling thread, set up the first time something needs it. The
// resident of a plain program never does: it then loads none of ole32,
// combase and rpcrt4, which is why ole32 is not imported but loaded here.
#pragma once

#include <windows.h>

class CComApartment
{
public:
    // Puts the calling thread into a single-threaded apartment without OLE 1
    // DDE, as the shell's icon lookup and ShellExecute expect, and keeps it
    // there for the thread's life. A thread already in COM stays as it is.
    // TRUE when the thread is in COM afterwards.
    static BOOL Enter();
    // CoCreateInstance of an in-process server, for the calling thread after
    // Enter; E_FAIL when COM cannot be had. Through the ole32 loaded here, so
    // that a program using it does not import ole32.
    static HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** ppv);
};
