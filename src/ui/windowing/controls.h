// Controls, each kind said once (controls.cpp), as user32 keeps one class table for its
// built-in controls: how it is created, laid out at a density, painted and hit, whether it takes
// the focus, and what a screen reader is told of it. A control holds its layout row, which is
// its design, and what its kind has at run time.
#pragma once

#include "layout.h"
#include "owners.h"

#include <windows.h>

#include <memory>

class Form;

// What a screen reader is told of a windowless control; a button's own object tells the rest.
struct AccessibleRole {
    long role = 0, state = 0;
    const wchar_t* defaultVerb = nullptr; // as Microsoft's DefaultAction property names them
};

class Control {
public:
    // Its kind's own type, made for its row, the form's `index`th, on the form's window.
    static std::unique_ptr<Control> make(const ControlLayout& row, size_t index, HWND form);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlLayout& row;
    RECT bounds{}; // at the current density

    // A button's window, destroyed with its form's; labels and pictures have none.
    virtual HWND window() const { return nullptr; }
    // Laid out from its row at the form's scale, in the form's font `font` unless its row
    // names its own.
    void layOut(const Scale& scale, HFONT font);
    // Paints a windowless control into the form's DC, in the form's font and background.
    virtual void paint(HDC, HFONT, HBRUSH) const {}
    // An owner-drawn button's painting at the form's scale; `cuesHidden`: no accelerator
    // underlines.
    virtual void drawItem(const DRAWITEMSTRUCT&, const Scale&, bool) const {}
    // Drawn as the default button, or not: the one focused, else the form's default.
    virtual void showAsDefault(bool) {}
    virtual AccessibleRole accessibleRole() const { return {}; }

    bool enabled() const { return !window() || IsWindowEnabled(window()); }
    bool takesFocus() const {
        return window() && row.tabOrder >= 0 && IsWindowVisible(window()) && enabled();
    }
    // Under a client point: only windowless controls take the form's pointer messages.
    bool hit(POINT point) const { return !window() && PtInRect(&bounds, point); }
    // What a windowless control's default action runs: its click, else its double-click.
    Handler defaultAction() const {
        return window() ? Handler{} : row.onClick ? row.onClick : row.onDblClick;
    }

protected:
    explicit Control(const ControlLayout& design) : row(design) {}
    // The kind's own part of laying out, in the font the control shows its caption in.
    virtual void fit(HFONT) {}
    HFONT fontOr(HFONT formFont) const { return ownFont_ ? ownFont_.get() : formFont; }

    UniqueFont ownFont_; // its row's own font at the current density, where it names one
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
    void fit(HFONT font) override;

    HWND form_;                              // borrowed: the window it is painted in
    Colour fontColour_ = Colour::windowText; // read at each painting
};
