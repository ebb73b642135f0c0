// Painting: the form's background, its windowless labels and pictures, and the owner-drawn
// glyph button.
#include "windowing/support.h"

void Form::loadColours() {
    backgroundBrush_.reset(CreateSolidBrush(colourOf(layout_.background)));
    if (!backgroundBrush_)
        throw WindowsError("Cannot create the background brush");
}

void Form::onSysColorChange() {
    loadColours();
    // Common controls are told by their top-level window (WM_SYSCOLORCHANGE documentation).
    for (const auto& control : controls_)
        if (control->window)
            SendMessageA(control->window, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form::onEraseBackground(HDC dc) {
    RECT client;
    GetClientRect(handle(), &client);
    FillRect(dc, &client, backgroundBrush_.get());
}

void Form::onPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    paintControls(dc);
    EndPaint(handle(), &paint);
}

void Form::renderTo(HDC dc) {
    onEraseBackground(dc);
    paintControls(dc);
    for (const auto& control : controls_) {
        if (!control->window)
            continue;
        // Clipped to the button as its own painting is: a themed button has this form paint
        // what lies behind it, the whole client area unless clipped.
        int saved = SaveDC(dc);
        const RECT& r = control->bounds;
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        SendMessageA(control->window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
        RestoreDC(dc, saved);
    }
}

void Form::paintControls(HDC dc) {
    for (const auto& control : controls_) {
        const RECT& r = control->bounds;
        if (control->row.kind == ControlKind::picture) {
            if (control->icon) {
                DrawIconEx(dc, r.left, r.top, control->icon.get(), r.right - r.left,
                           r.bottom - r.top, 0, nullptr, DI_NORMAL);
            } else if (control->bitmap) {
                BITMAP info{};
                GetObject(control->bitmap.get(), sizeof info, &info);
                ScopedMemoryDC memory(dc);
                ScopedSelectObject selected(memory, control->bitmap.get());
                SetStretchBltMode(dc, HALFTONE);
                // HALFTONE needs the brush origin set afterwards (SetStretchBltMode documentation).
                SetBrushOrgEx(dc, 0, 0, nullptr);
                StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0,
                           info.bmWidth, info.bmHeight, SRCCOPY);
            }
        } else if (control->row.kind == ControlKind::label) {
            FillRect(dc, &r, backgroundBrush_.get());
            ScopedSelectObject font(dc, control->ownFont ? control->ownFont.get() : font_.get());
            SetTextColor(dc, colourOf(control->fontColour));
            SetBkMode(dc, TRANSPARENT);
            RECT text = r;
            DrawTextA(dc, control->row.caption.data(),
                      static_cast<int>(control->row.caption.size()), &text,
                      DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        }
    }
}

void Form::onDrawItem(const DRAWITEMSTRUCT& item) {
    Control* control = controlOf(item.hwndItem);
    if (!control)
        return;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    bool pushed = item.itemState & ODS_SELECTED;
    bool disabled = item.itemState & ODS_DISABLED;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (control->drawnAsDefault) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    // The glyph left of the caption, the pair centred; pressed, both move down and right.
    HFONT font = control->ownFont ? control->ownFont.get() : font_.get();
    const ControlLayout& row = control->row;
    SIZE text = textExtent(dc, font, row.caption);
    int glyph = scaleValue(row.glyph.size, measuredTextHeight_);
    int spacing = scaleValue(row.glyph.spacing, measuredTextHeight_);
    int shift = pushed ? 1 : 0;
    int left = r.left + (r.right - r.left - (glyph + spacing + text.cx)) / 2 + shift;
    int middle = (r.top + r.bottom) / 2 + shift;
    HBITMAP bitmap = disabled ? control->disabledBitmap.get() : control->bitmap.get();
    BITMAP info{};
    GetObject(bitmap, sizeof info, &info);
    ScopedMemoryDC memory(dc);
    ScopedSelectObject glyphSelected(memory, bitmap);
    // The glyph's bottom-left pixel gives its transparent colour.
    TransparentBlt(dc, left, middle - glyph / 2, glyph, glyph, memory, 0, 0, info.bmWidth,
                   info.bmHeight, GetPixel(memory, 0, info.bmHeight - 1));

    RECT textRect{left + glyph + spacing, r.top + shift, r.right, r.bottom + shift};
    bool cuesHidden = SendMessageA(handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL;
    UINT format = DT_SINGLELINE | DT_VCENTER | (cuesHidden ? DT_HIDEPREFIX : 0);
    ScopedSelectObject selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    auto drawCaption = [&](RECT at, int colour) {
        SetTextColor(dc, GetSysColor(colour));
        DrawTextA(dc, row.caption.data(), static_cast<int>(row.caption.size()), &at, format);
    };
    // Disabled, embossed as the system draws disabled text.
    if (disabled)
        drawCaption({textRect.left + 1, textRect.top + 1, textRect.right + 1, textRect.bottom + 1},
                    COLOR_BTNHIGHLIGHT);
    drawCaption(textRect, disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&r, -row.glyph.focusInset, -row.glyph.focusInset);
        DrawFocusRect(dc, &r);
    }
}
