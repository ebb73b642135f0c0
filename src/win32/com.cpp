#include "com.h"

#include <windows.h>

#include <objbase.h>

// The shell may hand a verb to a COM handler, so COM comes first, apartment-threaded without
// OLE1 DDE, as ShellExecuteEx's documentation asks. Once per thread, at its first shell call or
// a screen reader's first request, so that starting the program does not load COM.
void initializeComOnThisThread() {
    thread_local bool initialized = false;
    if (initialized)
        return;
    initialized = true;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}
