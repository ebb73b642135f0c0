// A DLL named msimg32.dll, as a mod or patch might drop into a package folder: it leaves
// msimg32-loaded.txt beside itself when a process loads it.
#define NOGDI // its own TransparentBlt, not the system header's
#include <windows.h>

extern "C" __declspec(dllexport) BOOL TransparentBlt(HDC, int, int, int, int, HDC, int, int, int,
                                                     int, UINT) {
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    lstrcpyW(path + length, L"msimg32-loaded.txt");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return TRUE;
}
