// The application object (application.h).
#include "windowing/support.h"

#include <commctrl.h>
#include <dwmapi.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Posted to the application's window when it leaves the minimised state.
constexpr UINT restoredMessage = WM_APP;

// The show command the starting program gave, read once; nothing when it gave none.
std::optional<int> startupShowCommand() {
    static const std::optional<int> command = [] {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        GetStartupInfoA(&startup);
        return (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::optional<int>(startup.wShowWindow)
                                                        : std::nullopt;
    }();
    return command;
}

// Every visible, enabled top-level window of this thread but one. Nothing thrown goes back into
// the system's enumeration: it stops there, and the failure is raised once it has returned.
std::vector<HWND> enabledWindowsBut(HWND except) {
    struct Search {
        HWND except;
        std::vector<HWND> found;
        bool failed = false;
    } search{except, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            try {
                if (window != search->except && IsWindowVisible(window) && IsWindowEnabled(window))
                    search->found.push_back(window);
                return TRUE;
            } catch (...) {
                return search->failed = true, FALSE;
            }
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.failed)
        throw WindowsError("Cannot list the program's windows");
    return search.found;
}

} // namespace

Application::~Application() {
    // This window first: destroying it destroys the forms' windows it owns, while every object
    // their procedures and this one read is whole; then the forms.
    window_.reset();
    forms_.clear();
    if (current_ == this)
        current_ = nullptr;
}

void Application::initialize(HINSTANCE instance, int icon) {
    instance_ = instance;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    registerClass(instance, "TApplication", &Application::windowProc, 0);
    // Zero-sized at the centre of the screen: never seen, but visible, so it carries the
    // taskbar button.
    HWND window =
        CreateWindowExA(0, "TApplication", title_.c_str(),
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                        nullptr, nullptr, instance, this);
    // window_ holds the handle from WM_NCCREATE on.
    if (!window)
        throw WindowsError("Cannot create the application window");
    icon_ = icon;
    loadTaskbarIcon(windowDpi(window));
    // The shell says when this window's taskbar button exists: the time to shape the button, as
    // for ITaskbarList3, and no cost while the program starts.
    taskbarButtonCreated_ = RegisterWindowMessageA("TaskbarButtonCreated");
}

void Application::loadTaskbarIcon(UINT dpi) {
    if (!icon_)
        return;
    UniqueIcon icon = loadIcon(instance_, icon_, systemMetric(SM_CXICON, dpi));
    SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
    bigIcon_ = std::move(icon); // the previous one goes once the window has this one
}

void Application::formLaidOut(const Form& form) {
    if (&form == mainForm_)
        DwmInvalidateIconicBitmaps(handle());
}

void Application::shapeTaskbarButton() {
    // The taskbar's thumbnail and Alt+Tab show the picture this window hands over, not its own
    // zero-size self. Peek is off: it would show that picture where this window is, not where
    // the main window was. Without the desktop window manager these fail, and change nothing.
    const BOOL on = TRUE;
    for (DWMWINDOWATTRIBUTE attribute :
         {DWMWA_FORCE_ICONIC_REPRESENTATION, DWMWA_HAS_ICONIC_BITMAP, DWMWA_DISALLOW_PEEK})
        DwmSetWindowAttribute(handle(), attribute, &on, sizeof on);
}

void Application::setTitle(const std::string& title) {
    title_ = title;
    if (window_)
        SetWindowTextA(window_.get(), title.c_str());
}

void Application::run() {
    start(startupShowCommand().value_or(SW_SHOWNORMAL));
    dispatchUntil([] { return false; }); // until the quit message
}

void Application::start(int showCommand) {
    if (!mainForm_)
        throw WindowsError("No main window");
    HWND main = mainForm_->handle();
    // A process's first ShowWindow takes the start-up command in place of its own when the
    // starting program gave one (ShowWindow documentation): it is taken here, on purpose, by
    // this window, pinned at zero size, so that neither a form nor a later box inherits it. The
    // command named is then applied to each.
    ShowWindow(handle(), startupShowCommand() ? SW_SHOWDEFAULT : SW_SHOWNA);
    if (showCommand == SW_SHOWMINNOACTIVE) {
        // Minimised: only the taskbar button; the main window comes with the first restore.
        hiddenByMinimize_ = {main};
        ShowWindow(handle(), SW_SHOWMINNOACTIVE);
        return;
    }
    ShowWindow(handle(), SW_SHOWNOACTIVATE);
    ShowWindow(main, showCommand == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    SetForegroundWindow(main);
}

bool Application::dispatchUntil(const std::function<bool()>& done) {
    while (!done()) {
        MSG message;
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        // Only dispatches: the keyboard model is in the window procedures (keyboard.cpp says why).
        guarded([&] {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        });
    }
    return true;
}

void Application::runModal(HWND except, const std::function<void()>& run,
                           const std::function<void()>& afterEnabling) {
    HWND previousActive = GetActiveWindow();
    std::vector<HWND> disabled = enabledWindowsBut(except);
    for (HWND window : disabled)
        EnableWindow(window, FALSE);
    // However `run` ends, a throw included: the windows enabled again, then the active one back.
    ScopeExit restore([&] {
        for (HWND window : disabled)
            EnableWindow(window, TRUE);
        if (afterEnabling)
            afterEnabling();
        if (previousActive && IsWindow(previousActive))
            SetActiveWindow(previousActive);
    });
    run();
}

void Application::messageBox(const std::string& text, const std::string& caption, unsigned flags) {
    // The box disables and enables its owner, this window, itself, so one window of ours stays
    // enabled at every moment: with all of them disabled Windows activates another program, and
    // SetActiveWindow cannot bring a program back from the background (EnableWindow, DialogBox
    // and SetActiveWindow documentation). The others are enabled once it has closed.
    runModal(handle(), [&] { MessageBoxA(handle(), text.c_str(), caption.c_str(), flags); });
}

void Application::showException(const std::exception& error) noexcept {
    // Shown whatever else failed: where the modal sequence cannot be had (no memory to list
    // the windows), or there is no application, the plain box.
    Application* application = current_;
    try {
        if (application) {
            application->messageBox(exceptionBoxText(error.what()), application->title_,
                                    MB_ICONHAND);
            return;
        }
    } catch (...) { // the plain box below
    }
    MessageBoxA(application ? application->handle() : nullptr, error.what(),
                application ? application->title_.c_str() : nullptr, MB_ICONHAND);
}

UniqueBitmap Application::taskbarPicture(int maxWidth, int maxHeight) const {
    RECT client{};
    if (!mainForm_ || !GetClientRect(mainForm_->handle(), &client) || client.right <= 0 ||
        client.bottom <= 0 || maxWidth <= 0 || maxHeight <= 0)
        return {};
    double scale = std::min({1.0, static_cast<double>(maxWidth) / client.right,
                             static_cast<double>(maxHeight) / client.bottom});
    int width = std::max(1, static_cast<int>(std::floor(client.right * scale)));
    int height = std::max(1, static_cast<int>(std::floor(client.bottom * scale)));

    ScopedGetDC screen(nullptr);
    ScopedMemoryDC source(screen), target(screen);
    UniqueBitmap rendered(CreateCompatibleBitmap(screen, client.right, client.bottom));
    // 32 bits a pixel, top-down, as DwmSetIconicThumbnail takes it.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap picture(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!rendered || !picture)
        return {};
    {
        ScopedSelectObject renderedSelected(source, rendered.get());
        ScopedSelectObject pictureSelected(target, picture.get());
        mainForm_->renderTo(source);
        SetStretchBltMode(target, HALFTONE);
        // HALFTONE needs the brush origin set afterwards (SetStretchBltMode documentation).
        SetBrushOrgEx(target, 0, 0, nullptr);
        StretchBlt(target, 0, 0, width, height, source, 0, 0, client.right, client.bottom, SRCCOPY);
    }
    GdiFlush();
    // Opaque: GDI leaves the alpha byte zero, which the window manager would show as clear.
    auto* pixels = static_cast<DWORD*>(bits);
    std::for_each(pixels, pixels + static_cast<size_t>(width) * height,
                  [](DWORD& pixel) { pixel |= 0xFF000000; });
    return picture;
}

void Application::onRestored() {
    if (IsIconic(handle()) || hiddenByMinimize_.empty())
        return;
    for (HWND window : std::exchange(hiddenByMinimize_, {}))
        ShowWindow(window, SW_SHOWNA);
    // The restore that led here has activated this window by now, when it was to.
    if (GetActiveWindow() == handle())
        activateForm();
}

bool Application::activateForm() {
    Form* form = lastActive_ ? lastActive_ : mainForm_;
    if (!form || !IsWindowVisible(form->handle()) || !IsWindowEnabled(form->handle()))
        return false;
    SetActiveWindow(form->handle());
    return true;
}

LRESULT CALLBACK Application::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return routeMessage(window, message, wParam, lParam, &Application::window_,
                        &Application::handleMessage);
}

LRESULT Application::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarButtonCreated_ && message != 0) {
        shapeTaskbarButton();
        return 0;
    }
    switch (message) {
    case WM_SYSCOMMAND:
        // The taskbar button's Close: DefWindowProc makes WM_CLOSE of it, but drops it while a
        // modal dialog or box has disabled this window, and it must end the program then too.
        if ((wParam & 0xFFF0) != SC_CLOSE)
            break;
        [[fallthrough]];
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_SIZE:
        onSize(wParam);
        return 0;
    case restoredMessage:
        onRestored();
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // Zero-sized in every state, maximised by a start-up command too.
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        position->cx = 0;
        position->cy = 0;
        break;
    }
    case WM_DWMSENDICONICTHUMBNAIL:
        // The largest size allowed comes as width in the high word and height in the low one.
        onIconicThumbnail(HIWORD(lParam), LOWORD(lParam));
        return 0;
    case WM_DPICHANGED:
        // Zero-sized wherever it is: only its icon follows the density.
        loadTaskbarIcon(HIWORD(wParam));
        return 0;
    case WM_GETMINMAXINFO:
        onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_ACTIVATE:
        if (onActivate(LOWORD(wParam) != WA_INACTIVE, HIWORD(wParam) != 0))
            return 0;
        break;
    }
    return DefWindowProcA(handle(), message, wParam, lParam);
}

void Application::onSize(WPARAM state) {
    // The forms follow this window's state, whatever changed it: the taskbar, the main window's
    // minimise button, or another program's ShowWindow. Restored, they come back once the
    // restore has also activated this window, so the activation reaches a form once.
    if (state == SIZE_MINIMIZED) {
        // Wine leaves owned windows on screen when their owner is minimised: hide them ourselves.
        for (const auto& form : forms_)
            if (IsWindowVisible(form->handle())) {
                hiddenByMinimize_.push_back(form->handle());
                form->hide();
            }
        // The taskbar asks for a new picture, of the window as it was left.
        DwmInvalidateIconicBitmaps(handle());
    } else if ((state == SIZE_RESTORED || state == SIZE_MAXIMIZED) && !hiddenByMinimize_.empty()) {
        PostMessageA(handle(), restoredMessage, 0, 0);
    }
}

void Application::onIconicThumbnail(int maxWidth, int maxHeight) {
    // While minimised the main window is hidden, so it is drawn off screen.
    if (UniqueBitmap picture = taskbarPicture(maxWidth, maxHeight))
        DwmSetIconicThumbnail(handle(), picture.get(), 0);
}

void Application::onGetMinMaxInfo(MINMAXINFO& limits) {
    limits.ptMinTrackSize = limits.ptMaxTrackSize = limits.ptMaxSize = {0, 0};
    limits.ptMaxPosition = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
}
