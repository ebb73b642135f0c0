#include "com.h"

#include <windows.h>

#include <objbase.h>

// The shell may hand a verb to a COM handler, so COM comes first, apartment-threaded without
// OLE1 DDE, as ShellExecuteEx's documentation asks. Once per thread, at its first shell call or
// a screen reader's first request, so that starting the program does not load COM.
bool initializeComOnThisThread() {
    thread_local bool initialized = false;
    if (initialized)
        return true;
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    initialized = SUCCEEDED(result);
    // RPC_E_CHANGED_MODE: the thread is in another apartment already, where COM works too.
    return initialized || result == RPC_E_CHANGED_MODE;
}
