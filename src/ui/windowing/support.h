// Win32 helpers the windowing layer's rooms share: colours, fonts, window classes, resources,
// and the routing of a window's messages to the object it was created for.
#pragma once

#include "windowing.h"

#include <string>
#include <string_view>
#include <utility>

// A function of a loaded system DLL, or null where this Windows lacks it. Through void(*)(), the
// one function type every other converts from without a warning.
template <class Function> Function systemFunction(const char* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(module), name)));
}

COLORREF colourOf(Colour colour);
// Whether a contrast theme is on (SPI_GETHIGHCONTRAST), asked as a form paints. The UI tests put
// an answer of their own in its place, as Wine cannot turn one on.
extern bool (*contrastThemeOn)();
UniqueFont createFont(std::string_view face, int pixelHeight);
// The face to draw a design face in at a pixel height: the design's own where the system has it
// at that height, else the same design in TrueType, else the design's own as the system maps it.
std::string_view faceAt(std::string_view design, int pixelHeight);
SIZE textExtent(HDC dc, HFONT font, std::string_view text);

// A caption, the one way every control's is drawn, measured, read and pressed: "&" marks the
// accelerator, which DrawText underlines as the keyboard cues say, "&&" is one "&".
struct Caption {
    std::string_view text;
    char accelerator() const { return acceleratorOf(text); }
    // What a screen reader hears: the text shown, without trailing spaces.
    std::string readerName() const;
    // On one line in `font`, trailing spaces included, as drawn.
    SIZE size(HDC dc, HFONT font) const { return textExtent(dc, font, shownTextOf(text)); }
    // On one line in the DC's font and colours; `hideMarks`: no underline.
    void draw(HDC dc, RECT at, UINT format, bool hideMarks) const;
};
void registerClass(HINSTANCE instance, const std::string& name, WNDPROC procedure, UINT style);
// An icon of the size asked, scaled down from a larger image when the resource has no such size.
UniqueIcon loadIcon(HINSTANCE instance, int id, int size);
UniqueBitmap loadBitmap(HINSTANCE instance, int id);

// Density: Windows 10 (1607) has these calls per window; before it the process is system aware,
// and the system's one density, metrics and frame serve.
UINT windowDpi(HWND window);
int systemMetric(int index, UINT dpi);
// The outer size of a window whose client area is `client`, at a density.
SIZE frameSize(SIZE client, HWND window, UINT dpi);

// The form's few controls in order, equal ones as they were: an insertion sort, where
// std::stable_sort's buffered merges cost the program 4 KB.
template <class Before> void sortStably(std::vector<Control*>& controls, Before before) {
    for (size_t i = 1; i < controls.size(); ++i)
        for (size_t j = i; j > 0 && before(controls[j], controls[j - 1]); --j)
            std::swap(controls[j], controls[j - 1]);
}

// The client point a mouse message carries.
inline POINT pointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// The object a window is created for comes as its creation parameter: from WM_NCCREATE on it
// owns the handle (`handle`) and its `handler` gets every message, guarded, until WM_NCDESTROY.
template <class Owner>
LRESULT routeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                     UniqueHwnd Owner::*handle, LRESULT (Owner::*handler)(UINT, WPARAM, LPARAM)) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        (owner->*handle).reset(window);
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!owner)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        (void)(owner->*handle).release(); // already on its way out
        return DefWindowProcA(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    guarded([&] { result = (owner->*handler)(message, wParam, lParam); });
    return result;
}
