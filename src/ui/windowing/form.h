// Forms built from a layout: a top-level window with its controls (controls.h), scaled to the
// display's font, shown plain or modally. One class, its work split by concern over the sources
// windowing.h lists; a form derives from FormOf<itself>, which builds it on its own layout and
// binds the handlers it names.
#pragma once

#include "layout.h"
#include "windowing/accessibility.h"
#include "windowing/controls.h"
#include "owners.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// Which of its form's members an event runs, written where the form's type is known: a member
// of another form does not convert, and the compiler says so.
template <class F> struct Binding {
    std::string_view name; // a control or menu item of F's layout; empty: the form itself
    Event event;
    void (F::*handler)();
};

class Form {
public:
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND handle() const { return window_.get(); }
    const FormLayout& layout() const { return layout_; }
    void show();
    void hide() { ShowWindow(handle(), SW_HIDE); }
    // Closing the main window terminates the application; closing a modal one ends its
    // loop with the result Cancel; any other is hidden.
    void close();
    // Shows it modally and returns its result; none, at once, while it is already modal.
    ModalResult showModal();

    // In the layout's order.
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    // The topmost windowless control under a client point; the control of a button window.
    Control* controlAt(POINT point) const;
    Control* controlOf(HWND window) const;
    void setActiveControl(Control* control);
    // The one way a control is used, however it came (a click, a key, an accelerator, a
    // reader's action): while it and the form can take input, its kind's press, then for a
    // click its row's modal result, then the handler the event is bound to.
    void activate(Control& control, Event event = Event::click);
    // What the form is laid out by at its density, part of its state, which a check of the
    // layout reads too.
    const Scale& scale() const { return scale_; }
    // Draws the client area, buttons included, into a DC as the window would paint it; also
    // while the window is hidden.
    void renderTo(HDC dc);

private:
    // Only FormOf makes one: a form is built on its own layout, which outlives it.
    explicit Form(const FormLayout& layout);
    template <class> friend class FormOf;
    void bind(Target target, Event event, Handler handler);
    void run(Handler handler) {
        if (handler && bound_)
            (this->*handler)();
    }
    // The window goes while the layer's parts are whole, and no handler runs meanwhile: those
    // of the derived form are members of a part already gone.
    void destroyWindow() {
        bound_ = false;
        window_.reset();
    }

    // form.cpp
    // Lays the form out at a density by the one rule, from the layout's 96-DPI figures: fonts,
    // measurement, every control's rectangle, pictures and icons. All that can fail is made
    // first, so the form and its controls change together or not at all. Returns the window's
    // outer size for that layout, which the caller places.
    SIZE layOut(UINT dpi);
    void place(SIZE size, bool centred, POINT corner = {});
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Only translates: each message becomes one of the typed calls below.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onMenuCommand(UINT id);
    void onButtonNotify(HWND button, UINT code);
    bool onSysCommand(UINT command);
    bool onActivate(bool active, bool minimised);
    SIZE onGetDpiScaledSize(UINT dpi) const;
    void onDpiChanged(UINT dpi, const RECT& suggested);
    bool onSetCursor(HWND under, UINT hitTest);
    void onDefaultAction(Control* control);

    // keyboard.cpp
    static LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR form);
    void keepButtonKeys(HWND button);
    // The keys of the form's and its buttons' window procedures, as typed calls; true: handled.
    bool keyMessage(UINT message, WPARAM wParam);
    bool onKeyDown(WPARAM key);
    bool onSysKeyDown(WPARAM key);
    bool onChar(char typed);
    bool runAccelerator(char letter, bool withAlt);
    void activated();
    Control* focusedControl() const { return controlOf(GetFocus()); }
    // What Enter presses: the focused control where its kind takes Enter, else the form's
    // default button. It is the one drawn as the default button.
    Control* enterTarget() const;
    std::vector<Control*> tabOrder() const;
    void moveFocus(int step, bool wrapFromNone);
    void updateDefaultLook();

    // mouse.cpp
    void onLeftButtonDown(POINT point);
    void onLeftButtonUp(POINT point);
    void onDoubleClick(POINT point);
    void onMouseMove(POINT point);

    // painting.cpp
    void loadColours();
    void onSysColorChange();
    void onEraseBackground(HDC dc);
    void onPaint();
    void paintControls(HDC dc);
    void onDrawItem(const DRAWITEMSTRUCT& item);

    const FormLayout& layout_;
    UniqueFont font_;
    UniqueBrush backgroundBrush_; // of the background's colour as the system has it now
    UniqueIcon bigIcon_, smallIcon_;
    Scale scale_{.dpi = 0}; // the density laid out at
    bool shownOnce_ = false;
    Accessibility accessibility_{*this};
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<Handler> menuHandlers_;     // by menu item, in the layout's order
    std::array<Handler, 4> formHandlers_{}; // by event: the form's own
    bool bound_ = true;                     // false once the window is going
    Control* activeControl_ = nullptr;
    Control* pressed_ = nullptr; // windowless control under a pressed left button
    bool activatedOnce_ = false;
    bool inModalLoop_ = false;
    ModalResult modalResult_ = ModalResult::none;
    // Last, so that it goes first: the window, and with it its buttons, is destroyed while
    // everything its procedure reads is whole, and no message reaches the form after it.
    UniqueHwnd window_;
};

// A string literal as a template argument: a control's name.
template <size_t N> struct ControlName {
    char text[N];
    consteval ControlName(const char (&name)[N]) { std::copy_n(name, N, text); }
    constexpr std::string_view view() const { return {text, N - 1}; }
};

// The base of a form F, which only F derives from: F is built on its own layout, layoutOf<F>,
// and its events run the members F::handlers binds them to, each found in the layout when F
// compiles.
template <class F> class FormOf : public Form {
public:
    ~FormOf() override { destroyWindow(); }
    FormOf(const FormOf&) = delete;
    FormOf& operator=(const FormOf&) = delete;

    // A control of F's layout by its name, found at compile time, as its kind's type.
    template <ControlName name> auto& control() const {
        constexpr int index = controlIndex(layoutOf<F>.controls, name.view());
        if constexpr (layoutOf<F>.controls[index].kind == ControlKind::label)
            return static_cast<Label&>(*controls()[index]);
        else
            return *controls()[index];
    }

private:
    FormOf() : Form(layoutOf<F>) {
        // Where each binding points in the layout, found when F compiles.
        static constexpr auto targets = [] {
            std::array<Target, std::size(F::handlers)> found{};
            for (size_t i = 0; i < found.size(); ++i)
                found[i] = targetOf(layoutOf<F>, F::handlers[i].name);
            return found;
        }();
        for (size_t i = 0; i < targets.size(); ++i)
            bind(targets[i], F::handlers[i].event, static_cast<Handler>(F::handlers[i].handler));
    }
    friend F;
};
