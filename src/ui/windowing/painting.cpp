// Painting: the form's background, and its controls where the form paints them (their kinds
// say how, controls.cpp).
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
        if (HWND button = control->window())
            SendMessageA(button, WM_SYSCOLORCHANGE, 0, 0);
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
        HWND button = control->window();
        if (!button)
            continue;
        // Clipped to the button as its own painting is: a themed button has this form paint
        // what lies behind it, the whole client area unless clipped.
        int saved = SaveDC(dc);
        const RECT& r = control->bounds;
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
        RestoreDC(dc, saved);
    }
}

void Form::paintControls(HDC dc) {
    for (const auto& control : controls_)
        control->paint(dc, font_.get(), backgroundBrush_.get());
}

void Form::onDrawItem(const DRAWITEMSTRUCT& item) {
    bool cuesHidden = SendMessageA(handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL;
    if (Control* control = controlOf(item.hwndItem))
        control->drawItem(item, scale_, cuesHidden);
}
