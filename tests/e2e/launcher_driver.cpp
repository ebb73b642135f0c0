#include "launcher_driver.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

static std::string hex(UINT_PTR value) {
    char buffer[32];
    snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

static std::string pointText(POINT point) {
    return "(" + std::to_string(point.x) + "," + std::to_string(point.y) + ")";
}

std::string launcherPath() { return testBinaryDirectory() + "MorvaLauncher.exe"; }

std::string baseDirOf(const std::string& directory) {
    return !directory.empty() && directory.back() == '\\' ? directory : directory + "\\";
}

// --- Registry values --------------------------------------------------------------------------

// A value of a key, unexpanded; nothing when the key or the value is missing. An empty name is
// the key's default value, as for the registry calls.
static std::optional<std::pair<DWORD, std::vector<BYTE>>>
registryValue(HKEY root, const std::string& key, const std::wstring& value) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    auto get = [&](void* data) {
        return RegGetValueW(root, wide(key).c_str(), value.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                            &type, data, &size) == ERROR_SUCCESS;
    };
    if (!get(nullptr))
        return std::nullopt;
    std::vector<BYTE> data(size);
    if (!get(data.data()))
        return std::nullopt;
    data.resize(size);
    return std::make_pair(type, data);
}

static std::string asString(std::vector<BYTE> data) {
    data.resize(data.size() + sizeof(wchar_t), 0);
    return utf8(reinterpret_cast<const wchar_t*>(data.data()));
}

std::string fileTypeOf(const std::string& extension) {
    auto type = registryValue(HKEY_CLASSES_ROOT, extension, L"");
    return type ? asString(type->second) : "";
}

RegistryValue::RegistryValue(HKEY root, const std::string& key, const std::string& name,
                             const std::string& text)
    : root_(root), key_(key), name_(name), previous_(registryValue(root, key, wide(name))) {
    std::wstring value = wide(name_);
    std::wstring textW = wide(text);
    LONG status = RegSetKeyValueW(root_, wide(key_).c_str(), value.c_str(), REG_SZ, textW.c_str(),
                                  static_cast<DWORD>((textW.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) {
        error_ = "cannot set " + key_ + " " + name_ + ": error " + std::to_string(status);
        return;
    }
    changed_ = true;
    auto written = registryValue(root_, key_, value);
    std::string readBack = written ? asString(written->second) : "(nothing)";
    if (readBack != text)
        error_ = key_ + " " + name_ + " reads back as " + readBack;
}

RegistryValue::~RegistryValue() {
    if (!changed_)
        return;
    if (previous_)
        RegSetKeyValueW(root_, wide(key_).c_str(), wide(name_).c_str(), previous_->first,
                        previous_->second.data(), static_cast<DWORD>(previous_->second.size()));
    else
        RegDeleteKeyValueW(root_, wide(key_).c_str(), wide(name_).c_str());
}

std::unique_ptr<RegistryValue> openCommand(const std::string& className,
                                           const std::string& program) {
    if (className.empty())
        return nullptr;
    return std::make_unique<RegistryValue>(HKEY_CLASSES_ROOT, className + "\\shell\\open\\command",
                                           "", "\"" + program + "\" \"%1\"");
}

// --- The launcher process -------------------------------------------------------------------

LauncherProcess::LauncherProcess(const std::string& directory, const Options& options) {
    std::string exe = options.program.empty() ? launcherPath() : options.program;
    startError_ = process_.start(exe, directory, options.showCommand);
    if (!startError_.empty())
        return;
    std::chrono::milliseconds timeout = std::chrono::seconds(20);

    DWORD idle = WaitForInputIdle(process_.handle(), static_cast<DWORD>(timeout.count()));
    if (idle != 0) {
        startError_ = "WaitForInputIdle returned " + std::to_string(idle);
        return;
    }
    bool visible = options.mainWindowVisible;
    auto isMain = [&](HWND window) {
        return windowClass(window) == "TfrmMain" && (!visible || IsWindowVisible(window));
    };
    auto upOrEnded = [&] { return (main_ = firstWindowOf(processId(), isMain)) || !running(); };
    if (!waitUntil(upOrEnded, timeout)) {
        startError_ = "no " + std::string(visible ? "visible " : "") + "TfrmMain window after " +
                      std::to_string(timeout.count()) + " ms";
        return;
    }
    if (!main_) {
        std::optional<DWORD> code = process_.waitForExit(std::chrono::milliseconds(0));
        startError_ =
            "the launcher ended at start-up with exit code " + hex(code.value_or(0xDEADBEEF));
        return;
    }
    app_ = firstWindowOf(processId(),
                         [](HWND window) { return windowClass(window) == "TApplication"; });
    threadId_ = GetWindowThreadProcessId(main_, nullptr);
    for (HWND child : childWindows(main_))
        if (lstrcmpiA(windowClass(child).c_str(), "Button") == 0)
            buttons_.emplace_back(windowText(child), child);
    waitIdle();
}

void LauncherProcess::waitIdle() {
    if (!running())
        return;
    WaitForInputIdle(process_.handle(), 5000);
    // A sent message is answered only from the thread's message loop (or a modal one). Whether
    // input sent before it has been handled, no call tells from outside: each row waits for
    // what its input does.
    DWORD_PTR ignored = 0;
    if (main_)
        SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

std::string LauncherProcess::bringToFront(HWND window) {
    if (!running())
        return "the launcher is not running";
    if (!window)
        window = main_;
    if (GetForegroundWindow() != window) {
        SetForegroundWindow(window);
        if (!waitUntil([&] { return GetForegroundWindow() == window; }, std::chrono::seconds(5)))
            return "the foreground window is " + describe(GetForegroundWindow()) + ", not " +
                   describe(window);
        waitIdle();
    }
    return {};
}

std::string LauncherProcess::post(HWND window, UINT message, WPARAM wParam) {
    if (PostMessageA(window, message, wParam, 0))
        return {};
    return "PostMessage of " + hex(message) + " failed with error " +
           std::to_string(GetLastError());
}

std::string LauncherProcess::sendKeys(const Keys& keys, HWND window) {
    if (std::string problem = bringToFront(window); !problem.empty())
        return problem;
    if (!::sendKeys(keys))
        return "SendInput of keys failed with error " + std::to_string(GetLastError());
    waitIdle();
    return {};
}

std::string LauncherProcess::clickScreen(POINT screen, int clicks, HWND window) {
    if (std::string problem = bringToFront(window); !problem.empty())
        return problem;
    // A click close to the last one within the double-click time would pair up with it.
    if (std::abs(screen.x - lastClick_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(screen.y - lastClick_.y) <= GetSystemMetrics(SM_CYDOUBLECLK)) {
        ULONGLONG earliest = lastClickTick_ + GetDoubleClickTime() + 100;
        ULONGLONG now = GetTickCount64();
        if (now < earliest)
            Sleep(static_cast<DWORD>(earliest - now));
    }
    if (std::string problem = movePointer(screen); !problem.empty())
        return problem;
    // Let the launcher see the pointer arrive (hover, WM_SETCURSOR) before the press.
    waitIdle();
    // Presses and releases in one go, so nothing comes between them.
    bool sent = clicks == 2 ? sendButtons(screen, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP,
                                                   MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
                            : sendButtons(screen, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    lastClick_ = screen;
    lastClickTick_ = GetTickCount64();
    if (!sent)
        return "SendInput of mouse buttons failed with error " + std::to_string(GetLastError());
    waitIdle();
    return {};
}

std::string LauncherProcess::clickButton(const std::string& caption, int clicks) {
    auto named = std::find_if(buttons_.begin(), buttons_.end(),
                              [&](const auto& button) { return button.first == caption; });
    if (named == buttons_.end())
        return "no button \"" + caption + "\"";
    RECT r{};
    if (!GetWindowRect(named->second, &r))
        return "no rectangle for the button \"" + caption + "\"";
    return clickScreen(centreOf(r), clicks);
}

std::string LauncherProcess::clickIn(HWND window, POINT client, int clicks) {
    POINT screen = client;
    ClientToScreen(window, &screen);
    return clickScreen(screen, clicks, window);
}

std::string LauncherProcess::describe(HWND window) const {
    if (!window)
        return "(none)";
    if (window == main_)
        return "(main window)";
    if (window == app_)
        return "(application window)";
    for (const auto& [caption, handle] : buttons_)
        if (handle == window)
            return caption;
    return "(" + windowClass(window) + " \"" + windowText(window) + "\" " +
           hex(reinterpret_cast<UINT_PTR>(window)) + ")";
}

std::string LauncherProcess::focused() const {
    std::optional<GUITHREADINFO> info = guiThreadInfo(threadId_);
    if (!info)
        return "(GetGUIThreadInfo failed with error " + std::to_string(GetLastError()) + ")";
    return describe(info->hwndFocus);
}

std::string LauncherProcess::waitForFocus(const std::string& expected) {
    waitUntil([&] { return focused() == expected; }, std::chrono::seconds(10));
    waitIdle();
    return focused();
}

LauncherBox LauncherProcess::waitForMessageBox(const std::string& caption,
                                               std::chrono::milliseconds timeout) const {
    LauncherBox box;
    box.window = firstWindowOf(
        processId(), [&](HWND window) { return isMessageBox(window, caption); }, timeout);
    if (box.window) {
        box.seen = readMessageBox(box.window);
        box.mainEnabled = mainWindowEnabled();
    }
    return box;
}

HWND LauncherProcess::waitForWindow(const std::string& className) const {
    auto shown = [&](HWND window) {
        return IsWindowVisible(window) && windowClass(window) == className;
    };
    return firstWindowOf(processId(), shown, std::chrono::seconds(20));
}

bool LauncherProcess::waitUntilVisible(HWND window) const {
    return waitUntil([&] { return IsWindowVisible(window) != FALSE; }, std::chrono::seconds(10));
}

bool LauncherProcess::waitUntilHidden(HWND window) const {
    auto hidden = [&] { return !IsWindow(window) || !IsWindowVisible(window); };
    return waitUntil(hidden, std::chrono::seconds(10));
}

std::string LauncherProcess::dismiss(HWND box) const {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    if (!waitUntilHidden(box))
        return "the box " + describe(box) + " is still up";
    return {};
}

std::vector<std::string> LauncherProcess::openBoxes() const {
    std::vector<std::string> captions;
    for (HWND window : processWindows(processId()))
        if (isMessageBox(window))
            captions.push_back(windowText(window));
    return captions;
}

std::string LauncherProcess::windowsReport() const {
    std::string report;
    for (HWND window : processWindows(processId())) {
        RECT r{};
        GetWindowRect(window, &r);
        report += "\n  " + describe(window) + " " + windowClass(window) + " \"" +
                  windowText(window) + "\"" + (IsWindowVisible(window) ? " visible" : " hidden") +
                  (IsWindowEnabled(window) ? "" : " disabled") + " at " +
                  pointText({r.left, r.top}) + "-" + pointText({r.right, r.bottom}) + " owner " +
                  describe(GetWindow(window, GW_OWNER));
    }
    return report.empty() ? "(no windows)" : report;
}
