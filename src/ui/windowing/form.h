// Forms built from a layout: a top-level window with push and glyph buttons (child windows)
// and windowless labels and pictures, scaled to the display's font, shown plain or modally.
// One class, its work split by concern over the sources windowing.h lists.
#pragma once

#include "layout.h"
#include "windowing/accessibility.h"
#include "windowing/owners.h"

#include <windows.h>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

// A control: its layout row, which is its design, and what it has at run time: its window,
// fonts, pictures and colour, and its bounds at the current density.
struct Control {
    explicit Control(const ControlLayout& design) : row(design) {}

    const ControlLayout& row;
    RECT bounds{};
    HWND window = nullptr; // push and glyph buttons, destroyed with the form's window; labels
                           // and pictures have none
    UniqueFont ownFont;                     // null: the form's font
    Colour fontColour = Colour::windowText; // labels; read at each painting
    UniqueBitmap bitmap;                    // picture, or the glyph
    UniqueBitmap disabledBitmap;
    UniqueIcon icon; // a picture showing an icon
    bool drawnAsDefault = false;
};

class Form {
public:
    // Builds the window and its controls from the layout, which outlives the form.
    explicit Form(const FormLayout& layout);
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

    Control& control(std::string_view name);
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    // The topmost windowless control under a client point; the control of a button window.
    Control* controlAt(POINT point) const;
    Control* controlOf(HWND window) const;
    void setActiveControl(Control* control);
    void setFontColour(Control& label, Colour colour);
    // The height of "0" the form is laid out by: its scale, part of its state, which a check of
    // the layout reads too.
    int measuredTextHeight() const { return measuredTextHeight_; }
    void run(Handler handler) {
        if (handler)
            (this->*handler)();
    }
    // Draws the client area, buttons included, into a DC as the window would paint it; also
    // while the window is hidden.
    void renderTo(HDC dc);

private:
    // form.cpp
    void createControls(HINSTANCE instance);
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
    int measuredTextHeight_ = designTextHeight;
    UINT dpi_ = 0; // the density laid out at
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
