// Forms built from a layout: a top-level window with push and glyph buttons (child windows)
// and windowless labels and pictures, scaled to the display's font, shown plain or modally.
// The class is one; its work is split by concern:
//   form.cpp      creation, laying out at a density, the window procedure, showing, closing,
//                 clicks
//   keyboard.cpp  the keyboard and focus model (Tab, arrows, Enter, Escape, accelerators)
//   mouse.cpp     windowless controls under the pointer: clicks, double-clicks, movement
//   painting.cpp  the background, labels, pictures and the glyph button
//   accessibility.cpp  what a screen reader is told about the controls
#pragma once

#include "layout.h"
#include "windowing/accessibility.h"
#include "windowing/owners.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

    UniqueHwnd window;                      // push and glyph buttons; labels and pictures have none
    UniqueFont ownFont;                     // null: the form's font
    Colour fontColour = Colour::windowText; // labels; read at each painting
    UniqueBitmap bitmap;                    // picture, or the glyph
    UniqueBitmap disabledBitmap;
    UniqueIcon icon; // a picture showing an icon
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
    void setFontColour(Control& label, Colour colour);
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    int measuredTextHeight() const { return measuredTextHeight_; }
    // Draws the client area, buttons included, into a DC as the window would paint it; also
    // while the window is hidden.
    void renderTo(HDC dc);

protected:
    // Builds the window and its controls from a layout whose handlers are members of `self`.
    template <class F> void build(const FormLayout<F>& layout, F& self);

private:
    friend class Application;
    friend class FormAccessible;
    struct Description;
    template <class F> static std::function<void()> bind(F& self, Handler<F> handler) {
        if (!handler)
            return {};
        return [&self, handler] { (self.*handler)(); };
    }

    // form.cpp
    // Creates the window and its controls once; laid out at the density of its monitor.
    void create(Description description);
    // Lays the form out at a density by the one rule, from the layout's 96-DPI figures: fonts,
    // measurement, every control's rectangle, pictures and icons. Returns the window's outer
    // size for that layout, which the caller places.
    SIZE layOut(UINT dpi);
    std::pair<UniqueFont, int> windowFontAt(UINT dpi) const;
    // The outer size of the window laid out at a density.
    SIZE windowSizeAt(UINT dpi) const;
    // The layout's client area scaled by a measured height of "0".
    SIZE clientSize(int measured) const;
    void place(SIZE size, bool centred, POINT corner = {});
    void dpiChanged(UINT dpi, const RECT& suggested);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void command(WPARAM wParam, LPARAM lParam);
    void clickControl(Control& control);
    Control* controlOf(HWND window) const;

    // keyboard.cpp
    static LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR form);
    void keepButtonKeys(HWND button);
    bool key(UINT message, WPARAM key);
    bool keyDown(WPARAM key);
    void activated();
    Control* focusedControl() const;
    std::vector<Control*> tabOrder() const;
    void focusControl(Control* control);
    void moveFocus(int step, bool wrapFromNone);
    void updateDefaultLook();
    void showKeyboardCues();
    bool runAccelerator(char letter, bool withAlt);

    // mouse.cpp
    Control* controlAt(POINT point) const;
    void mouseDown(POINT point);
    void mouseUp(POINT point);
    void doubleClick(POINT point);
    void mouseMove(POINT point);
    void setCursor();

    // painting.cpp
    void loadColours();
    void coloursChanged();
    void eraseBackground(HDC dc);
    void paint();
    void paintControls(HDC dc);
    void drawGlyphButton(const DRAWITEMSTRUCT& item);

    UniqueHwnd window_;
    UniqueFont font_;
    Colour background_ = Colour::black;
    UniqueBrush backgroundBrush_; // of the background's colour as the system has it now
    UniqueIcon bigIcon_, smallIcon_;
    int measuredTextHeight_ = designTextHeight;
    UINT dpi_ = 0; // the density laid out at
    bool shownOnce_ = false;
    std::unique_ptr<const Description> design_;
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
    bool inModalLoop_ = false;
    ModalResult modalResult_ = ModalResult::none;
    Accessibility accessibility_{*this};
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
        description.controls.push_back(
            {std::string(c.name), c.kind, c.left, c.top, c.width, c.height, std::string(c.caption),
             c.tabOrder, bind(self, c.onClick), bind(self, c.onDblClick), bind(self, c.onMouseMove),
             c.image, c.font, c.handCursor, c.isDefault, c.isCancel, c.modalResult});
    create(std::move(description));
}
