// Controls, each kind said once (controls.cpp), as user32 keeps one class table for its
// built-in controls: how it is created, laid out at a density, painted and hit, whether it takes
// the focus, how it is used and what Enter does while it has the focus, and what a screen reader
// is told of it. A control holds its layout row, which is its design, the handlers its form
// binds to its events, and what its kind has at run time. Code outside the kinds asks them;
// none of it assumes what kind a control is.
#pragma once

#include "layout.h"
#include "owners.h"

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

class Form;

// What a handler runs on: a control's click, double-click or pointer movement over it, a menu
// item's click, or the form's first activation and pointer movement over its bare background.
enum class Event { click, doubleClick, mouseMove, activate };
// A member of the form the handler runs on, erased to the layer's one type by FormOf.
using Handler = void (Form::*)();

// What a screen reader is told of a windowless control; a button's own object tells the rest.
struct AccessibleRole {
    long role = 0, state = 0;
    const wchar_t* defaultVerb = nullptr; // as Microsoft's DefaultAction property names them
};

// What laying a control out at a density needs that can fail to be made, made before anything
// changes (Form::layOut).
struct Prepared {
    UniqueFont font; // its row's own font
    UniqueIcon icon; // a picture's icon
};

class Control {
public:
    // Its kind's own type, made for its row on the form's window.
    static std::unique_ptr<Control> make(const ControlLayout& row, HWND form);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlLayout& row;
    RECT bounds{}; // at the current density

    // A button's window, destroyed with its form's; labels and pictures have none.
    virtual HWND window() const { return nullptr; }
    // Laid out at a density in two steps: what can fail, then the rest, from its row at the
    // form's scale, in the form's font `font` unless its row names its own.
    virtual Prepared prepare(const Scale& scale) const;
    void place(const Scale& scale, HFONT font, Prepared prepared);
    // Paints a windowless control into the form's DC, in the form's font and background.
    virtual void paint(HDC, HFONT, HBRUSH) const {}
    // An owner-drawn button's painting at the form's scale; `cuesHidden`: no accelerator
    // underlines.
    virtual void drawItem(const DRAWITEMSTRUCT&, const Scale&, bool) const {}
    virtual AccessibleRole accessibleRole() const { return {}; }

    // How it is used: what its kind does before the handler runs (Form::activate does the
    // rest), and which of its window's notifications are a click.
    virtual void press() {}
    virtual bool clickedBy(UINT /*notification*/) const { return false; }
    // Whether Enter presses it while it has the focus, in place of the form's default button;
    // such a control is drawn as the default button then.
    virtual bool takesEnter() const { return false; }
    virtual void showAsDefault(bool) {}

    Handler on(Event event) const { return handlers_[static_cast<size_t>(event)]; }
    void bind(Event event, Handler handler) { handlers_[static_cast<size_t>(event)] = handler; }
    bool enabled() const { return !window() || IsWindowEnabled(window()); }
    bool usable() const { return enabled() && (!window() || IsWindowVisible(window())); }
    bool takesFocus() const { return window() && row.tabOrder >= 0 && usable(); }
    // Under a client point: only windowless controls take the form's pointer messages.
    bool hit(POINT point) const { return !window() && PtInRect(&bounds, point); }
    // What a windowless control's default action is: its click, else its double-click.
    std::optional<Event> defaultEvent() const {
        if (window() || !(on(Event::click) || on(Event::doubleClick)))
            return std::nullopt;
        return on(Event::click) ? Event::click : Event::doubleClick;
    }

protected:
    explicit Control(const ControlLayout& design) : row(design) {}
    // The kind's own part of placing, in the font the control shows its caption in.
    virtual void fit(HFONT, Prepared&) {}
    HFONT fontOr(HFONT formFont) const { return ownFont_ ? ownFont_.get() : formFont; }

    UniqueFont ownFont_; // its row's own font at the current density, where it names one

private:
    std::array<Handler, 4> handlers_{}; // by event
};

// A label: windowless text in its own colour, sized to its caption; one with a click is a link.
class Label : public Control {
public:
    Label(const ControlLayout& design, HWND form) : Control(design), form_(form) {}
    Colour fontColour() const { return fontColour_; }
    void setFontColour(Colour colour);
    HFONT ownFont() const { return ownFont_.get(); }

    void paint(HDC dc, HFONT font, HBRUSH background) const override;
    AccessibleRole accessibleRole() const override;

private:
    void fit(HFONT font, Prepared&) override;

    HWND form_;                              // borrowed: the window it is painted in
    Colour fontColour_ = Colour::windowText; // read at each painting
};
