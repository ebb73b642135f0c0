// Drives the real MorvaLauncher.exe from outside, as a player would: started in a folder, then
// real keyboard and mouse input through SendInput, read back through the windows it shows.
// Every call that can fail returns what went wrong as text (empty when it worked), so a check
// can print it.
#pragma once

#include "win32_support.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The launcher built beside the test executables.
std::string launcherPath();

// The base directory the launcher builds from the folder it starts in: a drive root as it is,
// anything else with a backslash appended.
std::string baseDirOf(const std::string& directory);

// The file type the shell opens an extension's documents as (HKCR\.txt names "txtfile"), or
// nothing when the extension names none.
std::string fileTypeOf(const std::string& extension);

// A string value of a registry key, set for its lifetime; the previous value, or its absence, is
// put back afterwards. `name` empty: the key's default value.
class RegistryValue {
public:
    RegistryValue(HKEY root, const std::string& key, const std::string& name,
                  const std::string& text);
    ~RegistryValue();
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

    const std::string& error() const { return error_; } // empty once the value is ours

private:
    HKEY root_;
    std::string key_, name_, error_;
    std::optional<std::pair<DWORD, std::vector<BYTE>>> previous_; // its type and data, if any
    bool changed_ = false;
};

// Points the shell's "open" command of one class under HKEY_CLASSES_ROOT, a file type or a
// protocol ("http"), at `program` with the document or address as its one argument; null when
// there is no class.
std::unique_ptr<RegistryValue> openCommand(const std::string& className,
                                           const std::string& program);

// A message box of the launcher's, as the test saw it while it was up.
struct LauncherBox {
    HWND window = nullptr;
    SeenBox seen;
    bool mainEnabled = false; // the main window, while the box was up
};

struct LauncherOptions {
    std::string program = {};             // the launcher to start; empty for launcherPath()
    std::optional<WORD> showCommand = {}; // passed with STARTF_USESHOWWINDOW
    bool mainWindowVisible = true;        // wait for it to be shown (not for a minimised start)
};

class LauncherProcess {
public:
    using Options = LauncherOptions;

    // Starts the launcher with `directory` as its current directory and waits for its windows.
    explicit LauncherProcess(const std::string& directory, const Options& options = {});

    const std::string& startError() const { return startError_; } // empty once it is up
    DWORD processId() const { return process_.id(); }
    HWND mainWindow() const { return main_; }
    HWND appWindow() const { return app_; }
    // The BUTTON children of the main window, in their window order, by caption.
    const std::vector<std::pair<std::string, HWND>>& buttons() const { return buttons_; }

    // Makes one of the launcher's windows (the main window when none is named) the foreground
    // window, so input goes to it.
    std::string bringToFront(HWND window = nullptr);
    // Returns once the launcher's thread is back in its message loop.
    void waitIdle();

    // Input for the main window; the ...In forms aim at another of the launcher's windows,
    // such as a dialog that has disabled the main window.
    std::string pressKey(WORD key) { return sendKeys(tap(key)); }
    std::string pressKeyIn(HWND window, WORD key) { return sendKeys(tap(key), window); }
    std::string pressAltKey(WORD key) { return sendKeys(tapWith(VK_MENU, key)); }
    std::string clickButton(const std::string& caption, int clicks = 1);
    std::string clickAt(POINT client, int clicks = 1) { return clickIn(main_, client, clicks); }
    std::string clickIn(HWND window, POINT client, int clicks = 1);

    // The launcher thread's focus window: a button's caption, "(main window)", "(none)", or
    // its class and text.
    std::string focused() const;
    // Waits for the focus to reach `expected` and the launcher to be idle; returns where the
    // focus is then, so a check prints where it went instead.
    std::string waitForFocus(const std::string& expected);
    std::string describe(HWND window) const;

    // A visible message box (#32770) of the launcher's process with this caption; its window
    // is null on time-out.
    LauncherBox waitForMessageBox(const std::string& caption,
                                  std::chrono::milliseconds timeout =
                                      std::chrono::seconds(20)) const;
    // A visible top-level window of the launcher's process of this class; null on time-out.
    HWND waitForWindow(const std::string& className) const;
    // Wait until a window is visible, or hidden or gone; false on time-out.
    bool waitUntilVisible(HWND window) const;
    bool waitUntilHidden(HWND window) const;
    // Presses the box's OK and waits for it to go.
    std::string dismiss(HWND box) const;
    // Every visible message box of the launcher's process, by caption.
    std::vector<std::string> openBoxes() const;
    // Every top-level window of the launcher's process, visible or not, one a line.
    std::string windowsReport() const;
    bool mainWindowEnabled() const { return IsWindowEnabled(main_) != FALSE; }

    // A message posted to the main window or the application's.
    std::string postToMain(UINT message, WPARAM w = 0) const { return post(main_, message, w); }
    std::string postToApp(UINT message, WPARAM w = 0) const { return post(app_, message, w); }
    // The exit code, or nothing while it still runs after `timeout`.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        return process_.waitForExit(timeout);
    }
    bool running() const { return process_.running(); }

private:
    static std::string post(HWND window, UINT message, WPARAM wParam);
    std::string sendKeys(const Keys& keys, HWND window = nullptr);
    std::string clickScreen(POINT screen, int clicks, HWND window = nullptr);

    // Its job ends a launcher still running, and what it started: a failed test leaves none
    // behind. It cannot be copied, and so neither can this.
    StartedProcess process_;
    DWORD threadId_ = 0;
    HWND main_ = nullptr;
    HWND app_ = nullptr;
    std::vector<std::pair<std::string, HWND>> buttons_;
    std::string startError_;
    // Where and when the last click went: a click close to it within the double-click time
    // would pair up with it.
    POINT lastClick_{-10000, -10000};
    ULONGLONG lastClickTick_ = 0;
};
