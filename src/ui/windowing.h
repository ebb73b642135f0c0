// Our windowing layer over raw Win32: the application object, forms built from a layout, push
// and glyph buttons, windowless labels and pictures, dialog keyboard handling, modal showing and
// the exception box. One user-interface thread.
#pragma once

#include "layout.h"
#include "shell_operations_win32.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// --- Owners: one small type per handle kind -------------------------------------------------

template <class Handle, auto Close> struct HandleCloser {
    void operator()(Handle handle) const { Close(handle); }
};
template <class Handle, auto Close>
using UniqueHandle =
    std::unique_ptr<std::remove_pointer_t<Handle>, HandleCloser<Handle, Close>>;

using UniqueHwnd = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueFont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &::DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, &::DestroyMenu>;

// A window's DC for the scope.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() { ReleaseDC(window_, dc_); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory DC compatible with another, for the scope.
class ScopedMemoryDC {
public:
    explicit ScopedMemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    ~ScopedMemoryDC() { DeleteDC(dc_); }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back at the end of the scope.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() { SelectObject(dc_, previous_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_; // borrowed: the DC's own
};

// A Win32 call the program cannot go on without failed.
class WindowsError : public std::exception {
public:
    explicit WindowsError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// --- Controls and forms ---------------------------------------------------------------------

class Form;

// A control as built from its layout, in the window's scaled pixels.
struct Control {
    std::string name;
    ControlKind kind = ControlKind::label;
    RECT bounds{};
    std::string caption;
    int tabOrder = -1;
    char accelerator = 0;
    std::function<void()> onClick, onDblClick, onMouseMove;
    bool handCursor = false;
    bool isDefault = false;
    bool isCancel = false;
    ModalResult modalResult = ModalResult::none;

    UniqueHwnd window;        // push and glyph buttons; labels and pictures have none
    UniqueFont ownFont;       // null: the form's font
    COLORREF fontColour = 0;  // labels
    COLORREF background = 0;  // labels
    UniqueBitmap bitmap;      // picture, or the glyph
    UniqueBitmap disabledBitmap;
    UniqueIcon icon;          // a picture showing an icon
    bool drawnAsDefault = false;

    bool focusable() const { return tabOrder >= 0 && window; }
    bool isButton() const {
        return kind == ControlKind::pushButton || kind == ControlKind::glyphButton;
    }
};

class Form {
public:
    Form();
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND handle() const { return window_.get(); }
    void show();
    void hide();
    // Closing the main window terminates the application; closing a modal one ends its
    // loop with the result Cancel; any other is hidden.
    void close();
    ModalResult showModal();

    Control& control(std::string_view name);
    Control* activeControl() const { return activeControl_; }
    void setActiveControl(Control* control);
    void setFontColour(Control& label, COLORREF colour);
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    int measuredTextHeight() const { return measuredTextHeight_; }

protected:
    // Builds the window and its controls from a layout whose handlers are members of `self`.
    template <class F> void build(const FormLayout<F>& layout, F& self);

private:
    struct Description;
    void create(const Description& description);
    template <class F> static std::function<void()> bind(F& self, Handler<F> handler) {
        if (!handler)
            return {};
        return [&self, handler] { (self.*handler)(); };
    }

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    friend class Application;
    bool preTranslate(const MSG& message);

    void activated();
    void paint();
    void drawGlyphButton(const DRAWITEMSTRUCT& item);
    Control* controlAt(POINT point) const;
    Control* controlOf(HWND window) const;
    Control* focusedControl() const;
    std::vector<Control*> tabOrder() const;
    void focusControl(Control* control);
    void moveFocus(int step, bool wrapFromNone);
    void clickControl(Control& control);
    void updateDefaultLook();
    void showKeyboardCues();
    bool runAccelerator(char letter, bool withAlt);
    void mouseMove(POINT point);

    UniqueHwnd window_;
    UniqueFont font_;
    UniqueBrush backgroundBrush_;
    UniqueIcon bigIcon_, smallIcon_;
    COLORREF background_ = 0;
    int measuredTextHeight_ = designTextHeight;
    bool isDialog_ = false;
    std::vector<std::unique_ptr<Control>> controls_;
    struct MenuItem {
        UINT id;
        char accelerator;
        std::function<void()> onClick;
    };
    std::vector<MenuItem> menu_;
    Control* activeControl_ = nullptr;
    Control* pressed_ = nullptr; // windowless control under a pressed left button
    std::function<void()> onActivate_, onMouseMove_;
    bool activatedOnce_ = false;
    bool shownOnce_ = false;
    bool inModalLoop_ = false;
    ModalResult modalResult_ = ModalResult::none;
};

// What a layout turns into once its handlers are bound to a form.
struct Form::Description {
    std::string className, caption;
    Border border;
    Colour background;
    FontLayout font;
    int clientWidth, clientHeight, icon;
    struct Item {
        std::string name, caption;
        std::function<void()> onClick;
    };
    std::vector<Item> menu;
    struct ControlItem {
        std::string name;
        ControlKind kind;
        int left, top, width, height;
        std::string caption;
        int tabOrder;
        std::function<void()> onClick, onDblClick, onMouseMove;
        int image;
        FontLayout font;
        bool handCursor, isDefault, isCancel;
        ModalResult modalResult;
    };
    std::vector<ControlItem> controls;
    std::string activeControl;
    std::function<void()> onActivate, onMouseMove;
};

template <class F> void Form::build(const FormLayout<F>& layout, F& self) {
    Description description{std::string(layout.className),
                            std::string(layout.caption),
                            layout.border,
                            layout.background,
                            layout.font,
                            layout.clientWidth,
                            layout.clientHeight,
                            layout.icon,
                            {},
                            {},
                            std::string(layout.activeControl),
                            bind(self, layout.onActivate),
                            bind(self, layout.onMouseMove)};
    for (const MenuItemLayout<F>& item : layout.menu)
        description.menu.push_back(
            {std::string(item.name), std::string(item.caption), bind(self, item.onClick)});
    for (const ControlLayout<F>& c : layout.controls)
        description.controls.push_back({std::string(c.name), c.kind, c.left, c.top, c.width,
                                        c.height, std::string(c.caption), c.tabOrder,
                                        bind(self, c.onClick), bind(self, c.onDblClick),
                                        bind(self, c.onMouseMove), c.image, c.font, c.handCursor,
                                        c.isDefault, c.isCancel, c.modalResult});
    create(description);
}

// --- The application object -----------------------------------------------------------------

// One per process: holds the title and a zero-size window of its own that carries the taskbar
// button and owns every form.
class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application& instance();

    // `icon`: the resource id of the taskbar button's icon, 0 for none.
    void initialize(HINSTANCE instance, int icon = 0);
    HINSTANCE moduleInstance() const { return instance_; }
    void setTitle(const std::string& title);
    const std::string& title() const { return title_; }
    HWND handle() const { return window_.get(); }

    // Creates a form; the first one created is the main window.
    template <class F> F& createForm() {
        auto form = std::make_unique<F>();
        F& created = *form;
        forms_.push_back(std::move(form));
        return created;
    }
    Form* mainForm() const { return mainForm_; }

    // Shows the main window as the start-up show command says, then dispatches messages until
    // terminated.
    void run();
    void start(int showCommand);
    // Dispatches every pending message; false once the application is terminating.
    bool processMessages();
    void terminate();
    bool terminated() const { return terminated_; }

    // A message box modal to all of the program's windows, owned by the application's window.
    void messageBox(const std::string& text, const std::string& caption, unsigned flags);
    void showException(const std::exception& error);
    // The running executable's full path; nothing when it was too long to read whole.
    std::optional<std::string> exeName() const;

    void minimize();
    void restore();

private:
    friend class Form;
    void formCreated(Form& form);
    void formActivated(Form& form) { lastActive_ = &form; }
    void dispatch(MSG& message);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Disables every other visible, enabled top-level window of this thread; returns them.
    std::vector<HWND> disableOtherWindows(HWND except);

    HINSTANCE instance_ = nullptr;
    std::string title_;
    UniqueHwnd window_;
    UniqueIcon bigIcon_;
    std::vector<std::unique_ptr<Form>> forms_;
    Form* mainForm_ = nullptr;
    Form* lastActive_ = nullptr;
    std::vector<HWND> hiddenByMinimize_;
    bool terminated_ = false;
};

// Runs `body`, showing anything it throws in the exception box: no C++ exception may unwind
// through a Windows callback or loop.
template <class Body> void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& error) {
        Application::instance().showException(error);
    } catch (...) {
        Application::instance().showException(WindowsError("Unknown exception"));
    }
}

// The program's platform seam: the Win32 backend with its application-owned box bound to the
// application object.
class ApplicationShellOperations : public Win32ShellOperations {
public:
    void appMessageBox(const std::string& text, const std::string& caption,
                       unsigned flags) override;
};
