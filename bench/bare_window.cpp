// The floor for the start-up benchmark: the least a Win32 GUI program does to put a captioned
// window on the screen and wait for input. Built like the launcher, so the difference between
// the two is what the launcher itself costs. With BENCH_STYLED it is the least a program with
// visual styles does, as the launcher is one: the same manifest (common controls 6), their
// documented initialisation, and one push button, which loads the theme.
#include <windows.h>

#ifdef BENCH_STYLED
#include <commctrl.h>
#endif

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
#ifdef BENCH_STYLED
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "BenchBareWindow";
    if (!RegisterClassA(&windowClass))
        return 1;

    HWND window =
        CreateWindowA("BenchBareWindow", "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 320, 240, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
#ifdef BENCH_STYLED
    CreateWindowA("BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 10,
                  75, 25, window, nullptr, instance, nullptr);
#endif
    ShowWindow(window, show);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
