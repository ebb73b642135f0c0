// Starts the launcher from the current directory under Wine (or Windows), photographs its main
// window, opens the About dialog with Alt+A and photographs that too, then closes it; on the
// tests' harness: its process starter, window finder, keys and wait.
//   screenshot.exe LAUNCHER.exe OUTPUT_PREFIX   writes PREFIX-main.bmp and PREFIX-about.bmp
#include "win32_support.h"

#include <cstdio>
#include <string>

namespace {

// A visible top-level window of the process, of this class; null after 10 s.
HWND waitForWindow(DWORD process, const std::string& className) {
    auto shown = [&](HWND window) {
        return IsWindowVisible(window) && windowClass(window) == className;
    };
    return firstWindowOf(process, shown, std::chrono::seconds(10));
}

// Waits until the window has painted itself (no update region is left), then until Wine has
// shown it: Wine hands a window's drawing to the X server on its own time, and no call tells
// another process when the screen has it.
void waitForPainting(HWND window) {
    RECT update{};
    waitUntil([&] { return !GetUpdateRect(window, &update, FALSE); });
    Sleep(700);
}

// Copies the window's rectangle from the screen into a 24-bit BMP file.
bool capture(HWND window, const std::string& path) {
    RECT r{};
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    ScopedGetDC screen(nullptr);
    ScopedMemoryDC memory(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return false;
    ScopedSelectObject selected(memory, bitmap.get());
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
    return written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot LAUNCHER.exe OUTPUT_PREFIX\n");
        return 2;
    }
    std::string prefix = argv[2];
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    // Its job ends the launcher, should it still run when this program ends.
    StartedProcess launcher;
    if (std::string problem = launcher.start(argv[1], directory); !problem.empty()) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[1], problem.c_str());
        return 1;
    }
    WaitForInputIdle(launcher.handle(), 10000);
    HWND main = waitForWindow(launcher.id(), "TfrmMain");
    if (!main) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    SetForegroundWindow(main);
    waitUntil([&] { return GetForegroundWindow() == main; });
    waitForPainting(main);
    bool ok = capture(main, prefix + "-main.bmp");
    sendKeys(tapWith(VK_MENU, 'A'));
    if (HWND about = waitForWindow(launcher.id(), "TfrmAbout")) {
        waitForPainting(about);
        ok = capture(about, prefix + "-about.bmp") && ok;
        PostMessageA(about, WM_CLOSE, 0, 0);
        waitUntil([&] { return !IsWindowVisible(about); });
    } else {
        ok = false;
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    launcher.waitForExit(std::chrono::seconds(5));
    return ok ? 0 : 1;
}
