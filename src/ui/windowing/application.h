// The application object (application.cpp): the title, the zero-size window that carries the
// taskbar button and owns every form, the message loop, the application-owned box, minimising
// and restoring, and the exception box every dispatch point shows what it caught in.
#pragma once

#include "shell_operations.h"
#include "windowing/form.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A Win32 call the program cannot go on without failed.
struct WindowsError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One per process.
class Application {
public:
    Application() { current_ = this; }
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application& instance() { return *current_; }

    // `icon`: the resource id of the taskbar button's icon, 0 for none.
    void initialize(HINSTANCE instance, int icon = 0);
    HINSTANCE moduleInstance() const { return instance_; }
    void setTitle(const std::string& title);
    HWND handle() const { return window_.get(); }

    // Creates a form; the first one created is the main window.
    template <class F> F& createForm() {
        auto& created = static_cast<F&>(*forms_.emplace_back(std::make_unique<F>()));
        if (!mainForm_)
            mainForm_ = &created;
        return created;
    }
    Form* mainForm() const { return mainForm_; }

    // Shows the main window as the start-up show command says (start, which tests take alone),
    // then dispatches messages until terminated.
    void run();
    void start(int showCommand);
    void terminate() { PostQuitMessage(0); }

    // A message box modal to all of the program's windows, owned by the application's window.
    void messageBox(const std::string& text, const std::string& caption, unsigned flags);
    // The exception box, the application's; a plain one when there is no application (any more).
    static void showException(const std::exception& error) noexcept;
    // The running executable's full path; nothing when it was too long to read whole.
    std::optional<std::string> exeName() const { return shellOperations().executablePath(); }

    // The picture the taskbar shows for the button: the main window's client area, drawn off
    // screen, as large as fits in the size given; null when there is none. Public, so that it
    // can be looked at where no window manager asks for it (Wine).
    UniqueBitmap taskbarPicture(int maxWidth, int maxHeight) const;

    // What forms tell the application; laid out again at another density, the main window's
    // picture on the taskbar is stale.
    void formLaidOut(const Form& form);
    void formActivated(Form& form) { lastActive_ = &form; }
    // The modal sequence: every other visible, enabled top-level window of this thread is
    // disabled while `run` runs, enabled again before `afterEnabling`, and then the window that
    // was active gets the activation back. `except` stays enabled.
    void runModal(HWND except, const std::function<void()>& run,
                  const std::function<void()>& afterEnabling = {});
    // A message loop: dispatches messages until `done` holds; false when the application is
    // ending first, whose quit message is posted again for the loop outside, if any.
    bool dispatchUntil(const std::function<bool()>& done);

private:
    static inline Application* current_ = nullptr;
    void loadTaskbarIcon(UINT dpi);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Only translates: each message becomes one of the typed calls below.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onClose() {
        if (mainForm_)
            mainForm_->close();
    }
    void onSize(WPARAM state);
    void onRestored();
    void onIconicThumbnail(int maxWidth, int maxHeight);
    void onGetMinMaxInfo(MINMAXINFO& limits);
    // Activated itself (restored, or a box it owned has closed): the form takes it on.
    bool onActivate(bool active, bool minimised) { return active && !minimised && activateForm(); }
    void shapeTaskbarButton();
    // Hands the activation on to the form that last had it, or the main window; false when
    // that one is hidden or disabled.
    bool activateForm();

    HINSTANCE instance_ = nullptr;
    std::string title_;
    UniqueHwnd window_;
    int icon_ = 0;
    UniqueIcon bigIcon_;
    std::vector<std::unique_ptr<Form>> forms_;
    Form* mainForm_ = nullptr;
    Form* lastActive_ = nullptr;
    std::vector<HWND> hiddenByMinimize_;
    UINT taskbarButtonCreated_ = 0; // the shell's registered message
};

// Runs `body`, showing anything it throws in the exception box: no C++ exception may unwind
// through a Windows callback or loop.
template <class Body> void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& error) {
        Application::showException(error);
    } catch (...) {
        Application::showException(WindowsError("Unknown exception"));
    }
}
