#include "windowing/support.h"

COLORREF colourOf(Colour colour) {
    return colour == Colour::buttonFace   ? GetSysColor(COLOR_BTNFACE)
           : colour == Colour::windowText ? GetSysColor(COLOR_WINDOWTEXT)
           : colour == Colour::red        ? RGB(255, 0, 0)
                                          : RGB(0, 0, 0);
}

namespace {
bool systemContrastThemeOn() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}
} // namespace

bool (*contrastThemeOn)() = &systemContrastThemeOn;

UniqueFont createFont(const std::string_view face, int pixelHeight) {
    std::string name(face);
    HFONT font = CreateFontA(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, name.c_str());
    if (!font)
        throw WindowsError("Cannot create the font " + name);
    return UniqueFont(font);
}

namespace {

// The TrueType twins of a raster design, in order. Windows has had "Microsoft Sans Serif", the
// scalable "MS Sans Serif", since Windows 2000 ("MS Shell Dlg" maps to it there); Wine ships none
// and draws its own dialogs in Tahoma, which Windows' "MS Shell Dlg 2" names too.
struct Twins {
    std::string_view raster, scalable[2];
} constexpr twins[] = {{"MS Sans Serif", {"Microsoft Sans Serif", "Tahoma"}}};

// Whether the face has a bitmap of this cell height of its own. The system makes other sizes of
// a raster face only as whole multiples of one, which spreads the letters apart.
bool hasBitmapOfHeight(HDC dc, const std::string& face, LONG cellHeight) {
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    struct Search {
        LONG height;
        bool found = false;
    } search{cellHeight};
    EnumFontFamiliesExA(
        dc, &wanted,
        [](const LOGFONTA*, const TEXTMETRICA* metrics, DWORD type, LPARAM context) -> int {
            auto* search = reinterpret_cast<Search*>(context);
            search->found |= (type & RASTER_FONTTYPE) && metrics->tmHeight == search->height;
            return !search->found;
        },
        reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

// Whether the system gives this very face at the height asked: a scalable one, or a raster one
// in a size of its own whose characters are that high. A face it lacks comes back as another
// (GetTextFace says which), and a raster face as its nearest size.
bool givesFaceAt(std::string_view face, int pixelHeight) {
    UniqueFont font = createFont(face, pixelHeight);
    ScopedGetDC screen(nullptr);
    ScopedSelectObject selected(screen, font.get());
    char given[LF_FACESIZE] = "";
    TEXTMETRICA metrics{};
    if (!GetTextFaceA(screen, LF_FACESIZE, given) || face != given ||
        !GetTextMetricsA(screen, &metrics))
        return false;
    // TMPF_VECTOR: an outline face, TrueType among them (TEXTMETRIC documentation).
    if (metrics.tmPitchAndFamily & TMPF_VECTOR)
        return true;
    return metrics.tmHeight - metrics.tmInternalLeading == pixelHeight &&
           hasBitmapOfHeight(screen, given, metrics.tmHeight);
}

} // namespace

std::string_view faceAt(std::string_view design, int pixelHeight) {
    if (givesFaceAt(design, pixelHeight))
        return design;
    for (const Twins& raster : twins)
        if (raster.raster == design)
            for (std::string_view twin : raster.scalable)
                if (givesFaceAt(twin, pixelHeight))
                    return twin;
    return design;
}

SIZE textExtent(HDC dc, HFONT font, std::string_view text) {
    ScopedSelectObject selected(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

std::string Caption::readerName() const {
    std::string name = shownTextOf(text);
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

void Caption::draw(HDC dc, RECT at, UINT format, bool hideMarks) const {
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &at,
              DT_SINGLELINE | format | (hideMarks ? DT_HIDEPREFIX : 0));
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

// Calls older Windows lack are looked up once, at their first use, so the program starts there.

UniqueIcon loadIcon(HINSTANCE instance, int id, int size) {
    // Common controls 6 (the manifest's), not in mingw's import library.
    static const auto scaleDown =
        systemFunction<HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*)>(
            "comctl32.dll", "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (scaleDown)
        scaleDown(instance, MAKEINTRESOURCEW(id), size, size, &icon);
    else
        icon = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
    if (!icon)
        throw WindowsError("Cannot load icon " + std::to_string(id));
    return UniqueIcon(icon);
}

UniqueBitmap loadBitmap(HINSTANCE instance, int id) {
    HANDLE bitmap = LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
    if (!bitmap)
        throw WindowsError("Cannot load bitmap " + std::to_string(id));
    return UniqueBitmap(static_cast<HBITMAP>(bitmap));
}

UINT windowDpi(HWND window) {
    static const auto dpiForWindow =
        systemFunction<decltype(&GetDpiForWindow)>("user32.dll", "GetDpiForWindow");
    if (dpiForWindow)
        return dpiForWindow(window);
    return static_cast<UINT>(GetDeviceCaps(ScopedGetDC(nullptr), LOGPIXELSY));
}

int systemMetric(int index, UINT dpi) {
    static const auto metricForDpi =
        systemFunction<decltype(&GetSystemMetricsForDpi)>("user32.dll", "GetSystemMetricsForDpi");
    if (metricForDpi)
        return metricForDpi(index, dpi);
    return GetSystemMetrics(index);
}

SIZE frameSize(SIZE client, HWND window, UINT dpi) {
    RECT frame{0, 0, client.cx, client.cy};
    auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    auto exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    BOOL menu = GetMenu(window) != nullptr;
    static const auto adjustForDpi = systemFunction<decltype(&AdjustWindowRectExForDpi)>(
        "user32.dll", "AdjustWindowRectExForDpi");
    if (adjustForDpi)
        adjustForDpi(&frame, style, menu, exStyle, dpi);
    else
        AdjustWindowRectEx(&frame, style, menu, exStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}
