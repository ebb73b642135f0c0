// Forms built from a layout: a top-level window with its controls (controls.h), scaled to the
// display's font, shown plain or modally. One class, its work split by concern over the sources
// windowing.h lists; a form derives from FormOf<itself>, which builds it on its own layout.
#pragma once

#include "layout.h"
#include "windowing/accessibility.h"
#include "windowing/controls.h"
#include "owners.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

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
    ModalResult showModal();

    // In the layout's order.
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    // The topmost windowless control under a client point; the control of a button window.
    Control* controlAt(POINT point) const;
    Control* controlOf(HWND window) const;
    void setActiveControl(Control* control);
    // What the form is laid out by at its density, part of its state, which a check of the
    // layout reads too.
    const Scale& scale() const { return scale_; }
    void run(Handler handler) {
        if (handler)
            handler.run(*this);
    }
    // Draws the client area, buttons included, into a DC as the window would paint it; also
    // while the window is hidden.
    void renderTo(HDC dc);

protected:
    // Only FormOf makes one: a form is built on its own layout, which outlives it.
    class Key {
        Key() = default;
        template <class> friend class FormOf;
    };
    Form(const FormLayout& layout, Key);

private:
    // form.cpp
    // Lays the form out at a density by the one rule, from the layout's 96-DPI figures: fonts,
    // measurement, every control's rectangle, pictures and icons. Returns the window's outer
    // size for that layout, which the caller places.
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
    void clickControl(Control& control);

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
// whose rows name only F's handlers, or it does not compile.
template <class F> class FormOf : public Form {
public:
    // A control of F's layout by its name, found at compile time, as its kind's type.
    template <ControlName name> auto& control() const {
        constexpr int index = controlIndex(layoutOf<F>.controls, name.view());
        if constexpr (layoutOf<F>.controls[index].kind == ControlKind::label)
            return static_cast<Label&>(*controls()[index]);
        else
            return *controls()[index];
    }

private:
    FormOf() : Form(layoutOf<F>, {}) {
        static_assert(namesOnlyHandlersOf(layoutOf<F>, formTag<F>()),
                      "a row of the layout names another form's handler");
    }
    friend F;
};
