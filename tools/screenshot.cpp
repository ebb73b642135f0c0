// Starts the launcher from the current directory under Wine (or Windows), photographs its main
// window, opens the About dialog with Alt+A and photographs that too, then closes it.
//   screenshot.exe LAUNCHER.exe OUTPUT_PREFIX   writes PREFIX-main.bmp and PREFIX-about.bmp
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD process;
    const char* className;
    HWND found;
};

HWND findWindow(DWORD process, const char* className) {
    Search search{process, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char name[64] = "";
            GetClassNameA(window, name, sizeof name);
            if (owner == search->process && IsWindowVisible(window) &&
                std::string(name) == search->className) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(DWORD process, const char* className) {
    for (int i = 0; i < 200; ++i) {
        if (HWND window = findWindow(process, className))
            return window;
        Sleep(50);
    }
    return nullptr;
}

// Copies the window's rectangle from the screen into a 24-bit BMP file.
bool capture(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    DWORD imageBytes = rowBytes * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageBytes;
    bool written = false;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                  std::fwrite(bits, imageBytes, 1, out) == 1;
        std::fclose(out);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

void pressAltWith(WORD key) {
    INPUT inputs[4]{};
    WORD keys[4] = {VK_MENU, key, key, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot LAUNCHER.exe OUTPUT_PREFIX\n");
        return 2;
    }
    std::string prefix = argv[2];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    WaitForInputIdle(process.hProcess, 10000);
    int status = 1;
    if (HWND main = waitForWindow(process.dwProcessId, "TfrmMain")) {
        SetForegroundWindow(main);
        Sleep(700);
        bool ok = capture(main, prefix + "-main.bmp");
        pressAltWith('A');
        if (HWND about = waitForWindow(process.dwProcessId, "TfrmAbout")) {
            Sleep(700);
            ok = capture(about, prefix + "-about.bmp") && ok;
            PostMessageA(about, WM_CLOSE, 0, 0);
            Sleep(300);
        } else {
            ok = false;
        }
        PostMessageA(main, WM_CLOSE, 0, 0);
        status = ok ? 0 : 1;
    }
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}
