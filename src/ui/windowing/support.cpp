#include "windowing/support.h"

COLORREF colourOf(Colour colour) {
    switch (colour) {
    case Colour::black:
        return RGB(0, 0, 0);
    case Colour::buttonFace:
        return GetSysColor(COLOR_BTNFACE);
    case Colour::windowText:
        return GetSysColor(COLOR_WINDOWTEXT);
    case Colour::red:
        return RGB(255, 0, 0);
    }
    return RGB(0, 0, 0);
}

UniqueFont createFont(const std::string_view face, int pixelHeight) {
    std::string name(face);
    HFONT font = CreateFontA(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, name.c_str());
    if (!font)
        throw WindowsError("Cannot create the font " + name);
    return UniqueFont(font);
}

SIZE textExtent(HDC dc, HFONT font, const std::string& text) {
    ScopedSelectObject selected(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void registerClass(HINSTANCE instance, const std::string& name, WNDPROC procedure, UINT style) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name.c_str();
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw WindowsError("Cannot register the window class " + name);
}

UniqueIcon loadIcon(HINSTANCE instance, int id, int size) {
    HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
    if (!icon)
        throw WindowsError("Cannot load icon " + std::to_string(id));
    return UniqueIcon(static_cast<HICON>(icon));
}

UniqueBitmap loadBitmap(HINSTANCE instance, int id) {
    HANDLE bitmap = LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
    if (!bitmap)
        throw WindowsError("Cannot load bitmap " + std::to_string(id));
    return UniqueBitmap(static_cast<HBITMAP>(bitmap));
}

bool isIconResource(HINSTANCE instance, int id) {
    return FindResourceA(instance, MAKEINTRESOURCEA(id), RT_GROUP_ICON) != nullptr;
}

bool keyboardCuesHidden(HWND window) {
    return (SendMessageA(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0;
}
