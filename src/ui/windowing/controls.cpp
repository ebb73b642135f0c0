// Each kind of control, said once (controls.h).
#include "windowing/support.h"

#include <oleacc.h>

#include <utility>

namespace {

HINSTANCE moduleInstance() {
    return Application::instance().moduleInstance();
}

// A control that is a BUTTON window of a style; the form's keyboard model reaches it through a
// subclass. A click, and the fast second click its class reports on its own, are both a click.
class ButtonWindow : public Control {
public:
    ButtonWindow(const ControlLayout& design, HWND form, DWORD style)
        : Control(design),
          window_(CreateWindowExA(0, "BUTTON", std::string(design.caption).c_str(),
                                  WS_CHILD | WS_VISIBLE | BS_NOTIFY |
                                      (design.tabOrder >= 0 ? WS_TABSTOP : 0) | style,
                                  0, 0, 0, 0, form, nullptr, moduleInstance(), nullptr)) {
        if (!window_)
            throw WindowsError("Cannot create the button " + std::string(design.name));
    }
    HWND window() const override { return window_; }
    bool clickedBy(UINT notification) const override {
        return notification == BN_CLICKED || notification == BN_DOUBLECLICKED;
    }

protected:
    void fit(HFONT font, Prepared&) override {
        SetWindowPos(window_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }

    HWND window_; // borrowed: the form's window destroys it with itself
};

// A push button: pressed by Enter while it has the focus, and then drawn as the default button.
class PushButton : public ButtonWindow {
public:
    PushButton(const ControlLayout& design, HWND form, DWORD style = BS_PUSHBUTTON)
        : ButtonWindow(design, form, style) {}
    bool takesEnter() const override { return true; }
    void showAsDefault(bool asDefault) override {
        if (std::exchange(drawnAsDefault_, asDefault) != asDefault)
            restyle(asDefault);
    }

protected:
    virtual void restyle(bool asDefault) {
        SendMessageA(window_, BM_SETSTYLE,
                     (asDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY, TRUE);
    }

    bool drawnAsDefault_ = false;
};

// A push button drawn by its form: a glyph beside the caption, which it shows grey when disabled.
class GlyphButton : public PushButton {
public:
    GlyphButton(const ControlLayout& design, HWND form)
        : PushButton(design, form, BS_OWNERDRAW),
          glyph_(loadBitmap(moduleInstance(), design.glyph.image)),
          disabledGlyph_(loadBitmap(moduleInstance(), design.glyph.disabledImage)) {}
    void drawItem(const DRAWITEMSTRUCT& item, const Scale& scale, bool cuesHidden) const override;

private:
    void restyle(bool) override { InvalidateRect(window_, nullptr, FALSE); }

    UniqueBitmap glyph_, disabledGlyph_; // stretched as they are drawn
};

void GlyphButton::drawItem(const DRAWITEMSTRUCT& item, const Scale& scale, bool cuesHidden) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    bool pushed = item.itemState & ODS_SELECTED;
    bool disabled = item.itemState & ODS_DISABLED;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (drawnAsDefault_) {
        // The button text's colour, black but in a contrast theme, where it pairs with the face.
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNTEXT));
        InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    // The glyph left of the caption, the pair centred; pressed, both move down and right.
    auto font = reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0));
    Caption caption{row.caption};
    SIZE text = caption.size(dc, font);
    int glyph = scale(row.glyph.size);
    int spacing = scale(row.glyph.spacing);
    int shift = pushed ? 1 : 0;
    int left = r.left + (r.right - r.left - (glyph + spacing + text.cx)) / 2 + shift;
    int middle = (r.top + r.bottom) / 2 + shift;
    HBITMAP bitmap = disabled ? disabledGlyph_.get() : glyph_.get();
    BITMAP info{};
    GetObject(bitmap, sizeof info, &info);
    ScopedMemoryDC memory(dc);
    ScopedSelectObject glyphSelected(memory, bitmap);
    // The glyph's bottom-left pixel gives its transparent colour.
    TransparentBlt(dc, left, middle - glyph / 2, glyph, glyph, memory, 0, 0, info.bmWidth,
                   info.bmHeight, GetPixel(memory, 0, info.bmHeight - 1));

    RECT at{left + glyph + spacing, r.top + shift, r.right, r.bottom + shift};
    ScopedSelectObject selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    // Disabled, embossed as the system draws disabled text.
    if (disabled) {
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        caption.draw(dc, {at.left + 1, at.top + 1, at.right + 1, at.bottom + 1}, DT_VCENTER,
                     cuesHidden);
    }
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    caption.draw(dc, at, DT_VCENTER, cuesHidden);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        int inset = scale(row.glyph.focusInset);
        InflateRect(&r, -inset, -inset);
        DrawFocusRect(dc, &r);
    }
}

// A picture: a bitmap stretched to its bounds, or an icon loaded for each density.
class Picture : public Control {
public:
    explicit Picture(const ControlLayout& design)
        : Control(design),
          bitmap_(design.bitmap ? loadBitmap(moduleInstance(), design.bitmap) : UniqueBitmap()) {}
    void paint(HDC dc, HFONT, HBRUSH) const override;
    AccessibleRole accessibleRole() const override {
        std::optional<Event> action = defaultEvent();
        return {ROLE_SYSTEM_GRAPHIC, STATE_SYSTEM_READONLY,
                !action                        ? nullptr
                : action == Event::doubleClick ? L"Double Click"
                                               : L"Click"};
    }
    Prepared prepare(const Scale& scale) const override {
        Prepared prepared = Control::prepare(scale);
        if (row.icon)
            prepared.icon = loadIcon(moduleInstance(), row.icon, scale(row.width));
        return prepared;
    }

private:
    void fit(HFONT, Prepared& prepared) override {
        if (prepared.icon)
            icon_ = std::move(prepared.icon);
    }

    UniqueBitmap bitmap_;
    UniqueIcon icon_;
};

void Picture::paint(HDC dc, HFONT, HBRUSH) const {
    const RECT& r = bounds;
    if (icon_) {
        DrawIconEx(dc, r.left, r.top, icon_.get(), r.right - r.left, r.bottom - r.top, 0, nullptr,
                   DI_NORMAL);
        return;
    }
    BITMAP info{};
    GetObject(bitmap_.get(), sizeof info, &info);
    ScopedMemoryDC memory(dc);
    ScopedSelectObject selected(memory, bitmap_.get());
    SetStretchBltMode(dc, HALFTONE);
    // HALFTONE needs the brush origin set afterwards (SetStretchBltMode documentation).
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
}

} // namespace

std::unique_ptr<Control> Control::make(const ControlLayout& row, HWND form) {
    switch (row.kind) {
    case ControlKind::pushButton:
        return std::make_unique<PushButton>(row, form);
    case ControlKind::glyphButton:
        return std::make_unique<GlyphButton>(row, form);
    case ControlKind::label:
        return std::make_unique<Label>(row, form);
    case ControlKind::picture:
        return std::make_unique<Picture>(row);
    }
    throw WindowsError("No such kind of control");
}

Prepared Control::prepare(const Scale& scale) const {
    Prepared prepared;
    if (row.font.pointSize)
        prepared.font = createFont(row.font.face.empty() ? scale.face : row.font.face,
                                   scale.fontHeight(row.font.pointSize));
    return prepared;
}

void Control::place(const Scale& scale, HFONT font, Prepared prepared) {
    bounds = {scale(row.left), scale(row.top), scale(row.left) + scale(row.width),
              scale(row.top) + scale(row.height)};
    fit(prepared.font ? prepared.font.get() : font, prepared);
    ownFont_ = std::move(prepared.font); // a button's previous font goes once it has the new one
}

void Label::fit(HFONT font, Prepared&) {
    // Sized to the caption on one line, trailing spaces included; the left edge stays.
    SIZE size = Caption{row.caption}.size(ScopedGetDC(nullptr), font);
    bounds.right = bounds.left + size.cx;
    bounds.bottom = bounds.top + size.cy;
}

void Label::setFontColour(Colour colour) {
    if (std::exchange(fontColour_, colour) != colour)
        InvalidateRect(form_, &bounds, FALSE);
}

void Label::paint(HDC dc, HFONT font, HBRUSH background) const {
    FillRect(dc, &bounds, background);
    ScopedSelectObject selected(dc, fontOr(font));
    // In a contrast theme a link is the system's link colour, hovered or not ("High Contrast
    // Parameter"): a red of its own may be unreadable on the theme's background.
    bool themedLink = on(Event::click) && contrastThemeOn();
    SetTextColor(dc, themedLink ? GetSysColor(COLOR_HOTLIGHT) : colourOf(fontColour_));
    SetBkMode(dc, TRANSPARENT);
    Caption{row.caption}.draw(dc, bounds, DT_NOCLIP, false);
}

AccessibleRole Label::accessibleRole() const {
    if (on(Event::click))
        return {ROLE_SYSTEM_LINK, STATE_SYSTEM_LINKED, L"Jump"};
    return {ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY,
            on(Event::doubleClick) ? L"Double Click" : nullptr};
}
