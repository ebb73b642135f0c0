#include "windowing.h"

#include "shell_operations.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

namespace {

Application* currentApplication = nullptr;

constexpr UINT firstControlId = 100;
constexpr UINT firstMenuId = 1000;
constexpr int glyphSize = 18;
constexpr int glyphSpacing = 4;

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
    return FindResourceA(instance, MAKEINTRESOURCEA(id), RT_GROUP_ICON) !=
           nullptr;
}

// Draws a glyph whose bottom-left pixel gives the transparent colour.
void drawGlyph(HDC dc, HBITMAP glyph, const RECT& target) {
    BITMAP info{};
    GetObject(glyph, sizeof info, &info);
    ScopedMemoryDC memory(dc);
    ScopedSelectObject selected(memory, glyph);
    COLORREF transparent = GetPixel(memory, 0, info.bmHeight - 1);
    TransparentBlt(dc, target.left, target.top, target.right - target.left,
                   target.bottom - target.top, memory, 0, 0, info.bmWidth, info.bmHeight,
                   transparent);
}

// The object a window is created for comes as its creation parameter: from WM_NCCREATE on it
// owns the handle (`handle`) and its `handler` gets every message, guarded, until WM_NCDESTROY.
template <class Owner>
LRESULT routeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                     UniqueHwnd Owner::*handle, LRESULT (Owner::*handler)(UINT, WPARAM, LPARAM)) {
    if (message == WM_NCCREATE) {
        auto* owner =
            static_cast<Owner*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
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

bool keyboardCuesHidden(HWND window) {
    return (SendMessageA(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0;
}

} // namespace

// --- Form -----------------------------------------------------------------------------------

Form::Form() = default;

Form::~Form() {
    // The controls' windows go before their parent's.
    controls_.clear();
    window_.reset();
}

void Form::create(const Description& description) {
    Application& application = Application::instance();
    HINSTANCE instance = application.moduleInstance();
    registerClass(instance, description.className, &Form::windowProc, CS_DBLCLKS);
    isDialog_ = description.border == Border::dialog;
    background_ = colourOf(description.background);
    backgroundBrush_.reset(CreateSolidBrush(background_));
    if (!backgroundBrush_)
        throw WindowsError("Cannot create the background brush");

    // The window font at the display's density; the height of its "0" decides the scale.
    ScopedGetDC screen(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    font_ = createFont(description.font.face, MulDiv(description.font.pointSize, dpi, 72));
    measuredTextHeight_ = textExtent(screen, font_.get(), "0").cy;
    auto scale = [&](int value) { return scaleValue(value, measuredTextHeight_); };

    DWORD style = WS_CAPTION | WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    if (isDialog_) {
        style |= WS_POPUP;
        exStyle |= WS_EX_DLGMODALFRAME;
    } else {
        style |= WS_OVERLAPPED | WS_SYSMENU | WS_MINIMIZEBOX;
    }

    UniqueMenu menu;
    if (!description.menu.empty()) {
        menu.reset(CreateMenu());
        if (!menu)
            throw WindowsError("Cannot create the menu");
        for (const Description::Item& item : description.menu) {
            UINT id = firstMenuId + static_cast<UINT>(menu_.size());
            if (!AppendMenuA(menu.get(), MF_STRING, id, item.caption.c_str()))
                throw WindowsError("Cannot add the menu item " + item.caption);
            menu_.push_back({id, acceleratorOf(item.caption), item.onClick});
        }
    }

    int clientWidth = scale(description.clientWidth);
    int clientHeight = scale(description.clientHeight);
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, menu != nullptr, exStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    HWND window = CreateWindowExA(exStyle, description.className.c_str(),
                                  description.caption.c_str(), style, left, top, width, height,
                                  application.handle(), menu.get(), instance, this);
    if (!window)
        throw WindowsError("Cannot create the window " + description.className);
    (void)menu.release(); // the window destroys its menu bar with itself

    // The frame's metrics (a menu bar that wraps, a theme) can differ from the estimate: make the
    // client area exact and keep the window centred.
    RECT client;
    GetClientRect(window, &client);
    if (client.right != clientWidth || client.bottom != clientHeight) {
        width += clientWidth - client.right;
        height += clientHeight - client.bottom;
        SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    if (description.icon) {
        bigIcon_ = loadIcon(instance, description.icon, GetSystemMetrics(SM_CXICON));
        smallIcon_ = loadIcon(instance, description.icon, GetSystemMetrics(SM_CXSMICON));
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    }

    for (const Description::ControlItem& item : description.controls) {
        auto control = std::make_unique<Control>();
        control->name = item.name;
        control->kind = item.kind;
        control->caption = item.caption;
        control->tabOrder = item.tabOrder;
        control->accelerator = acceleratorOf(item.caption);
        control->onClick = item.onClick;
        control->onDblClick = item.onDblClick;
        control->onMouseMove = item.onMouseMove;
        control->handCursor = item.handCursor;
        control->isDefault = item.isDefault;
        control->isCancel = item.isCancel;
        control->modalResult = item.modalResult;
        control->bounds = {scale(item.left), scale(item.top),
                           scale(item.left) + scale(item.width),
                           scale(item.top) + scale(item.height)};
        control->fontColour = colourOf(Colour::windowText);
        control->background = background_;
        if (!item.font.face.empty())
            control->ownFont = createFont(
                item.font.face, scale(designPixelHeight(item.font.pointSize)));
        HFONT font = control->ownFont ? control->ownFont.get() : font_.get();

        switch (item.kind) {
        case ControlKind::pushButton:
        case ControlKind::glyphButton: {
            DWORD buttonStyle = WS_CHILD | WS_VISIBLE | BS_NOTIFY |
                                (item.kind == ControlKind::glyphButton ? BS_OWNERDRAW
                                                                       : BS_PUSHBUTTON);
            if (item.tabOrder >= 0)
                buttonStyle |= WS_TABSTOP;
            UINT id = firstControlId + static_cast<UINT>(controls_.size());
            const RECT& r = control->bounds;
            HWND button = CreateWindowExA(
                0, "BUTTON", item.caption.c_str(), buttonStyle, r.left, r.top, r.right - r.left,
                r.bottom - r.top, window, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                instance, nullptr);
            if (!button)
                throw WindowsError("Cannot create the button " + item.name);
            control->window.reset(button);
            SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            if (item.kind == ControlKind::glyphButton) {
                // The disabled look of a glyph is the resource that follows it.
                control->bitmap = loadBitmap(instance, item.image);
                control->disabledBitmap = loadBitmap(instance, item.image + 1);
            }
            break;
        }
        case ControlKind::label: {
            // Sized to the caption on one line, trailing spaces included; the left edge stays.
            SIZE size = textExtent(screen, font, control->caption);
            control->bounds.right = control->bounds.left + size.cx;
            control->bounds.bottom = control->bounds.top + size.cy;
            break;
        }
        case ControlKind::picture:
            if (isIconResource(instance, item.image))
                control->icon = loadIcon(instance, item.image, scale(item.width));
            else
                control->bitmap = loadBitmap(instance, item.image);
            break;
        }
        controls_.push_back(std::move(control));
    }

    onActivate_ = description.onActivate;
    onMouseMove_ = description.onMouseMove;
    if (!description.activeControl.empty())
        activeControl_ = &control(description.activeControl);

    // Accelerator underlines and focus rectangles as the system's keyboard-cue setting says,
    // until the keyboard is used.
    BOOL cues = FALSE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    SendMessageA(window, WM_CHANGEUISTATE,
                 MAKEWPARAM(cues ? UIS_CLEAR : UIS_SET, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    updateDefaultLook();
    application.formCreated(*this);
}

LRESULT CALLBACK Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return routeMessage(window, message, wParam, lParam, &Form::window_, &Form::handleMessage);
}

LRESULT Form::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = handle();
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            Control* control = controlOf(reinterpret_cast<HWND>(lParam));
            if (!control)
                break;
            switch (HIWORD(wParam)) {
            case BN_CLICKED:
            case BN_DOUBLECLICKED: // a fast second click on an owner-drawn button
                clickControl(*control);
                break;
            case BN_SETFOCUS:
                activeControl_ = control;
                updateDefaultLook();
                break;
            }
        } else {
            for (const MenuItem& item : menu_)
                if (item.id == LOWORD(wParam) && item.onClick)
                    item.onClick();
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE && this == Application::instance().mainForm()) {
            Application::instance().minimize();
            return 0;
        }
        break;
    case WM_CLOSE:
        close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            Application::instance().formActivated(*this);
            if (!HIWORD(wParam)) // not while minimised
                activated();
            return 0; // the focus is ours to place
        }
        break;
    case WM_SETFOCUS:
        updateDefaultLook();
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, backgroundBrush_.get());
        return 1;
    }
    case WM_PAINT:
        paint();
        return 0;
    case WM_CTLCOLORBTN:
        // The corners around a themed button show the form's own background.
        return reinterpret_cast<LRESULT>(backgroundBrush_.get());
    case WM_DRAWITEM:
        drawGlyphButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MOUSEMOVE:
        mouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = controlAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_LBUTTONUP: {
        Control* control =
            controlAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        bool clicked = control && control == pressed_;
        pressed_ = nullptr;
        if (clicked)
            clickControl(*control);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        Control* control =
            controlAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        pressed_ = control;
        if (control && control->onDblClick)
            control->onDblClick();
        return 0;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(window, &point);
            Control* control = controlAt(point);
            SetCursor(LoadCursor(nullptr, control && control->handCursor ? IDC_HAND : IDC_ARROW));
            return TRUE;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Form::show() {
    ShowWindow(handle(), SW_SHOW);
    shownOnce_ = true;
}

void Form::hide() { ShowWindow(handle(), SW_HIDE); }

void Form::close() {
    if (inModalLoop_) {
        modalResult_ = ModalResult::cancel;
        return;
    }
    if (this == Application::instance().mainForm()) {
        Application::instance().terminate();
        return;
    }
    hide();
}

ModalResult Form::showModal() {
    Application& application = Application::instance();
    HWND previousActive = GetActiveWindow();
    std::vector<HWND> disabled = application.disableOtherWindows(handle());
    modalResult_ = ModalResult::none;
    inModalLoop_ = true;
    show();
    SetActiveWindow(handle());
    while (modalResult_ == ModalResult::none) {
        MSG message;
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The application is ending: leave the quit message for the main loop.
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            modalResult_ = ModalResult::cancel;
            break;
        }
        application.dispatch(message);
    }
    inModalLoop_ = false;
    // Enable the others before hiding, so the system does not hand the activation to another
    // program while all of ours are disabled.
    for (HWND window : disabled)
        EnableWindow(window, TRUE);
    hide();
    if (previousActive && IsWindow(previousActive))
        SetActiveWindow(previousActive);
    return modalResult_;
}

Control& Form::control(std::string_view name) {
    for (const auto& control : controls_)
        if (control->name == name)
            return *control;
    throw WindowsError("No control named " + std::string(name));
}

void Form::setActiveControl(Control* control) {
    activeControl_ = control;
    if (control && GetActiveWindow() == handle())
        focusControl(control);
}

void Form::setFontColour(Control& label, COLORREF colour) {
    if (label.fontColour == colour)
        return;
    label.fontColour = colour;
    InvalidateRect(handle(), &label.bounds, FALSE);
}

void Form::activated() {
    if (!activatedOnce_) {
        activatedOnce_ = true;
        if (onActivate_) {
            onActivate_();
            // A handler that cleared the active control leaves the focus on the window itself.
            if (!activeControl_) {
                SetFocus(handle());
                updateDefaultLook();
                return;
            }
        }
    }
    if (!activeControl_) {
        std::vector<Control*> order = tabOrder();
        if (!order.empty())
            activeControl_ = order.front();
    }
    SetFocus(activeControl_ ? activeControl_->window.get() : handle());
    updateDefaultLook();
}

void Form::paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    for (const auto& control : controls_) {
        const RECT& r = control->bounds;
        if (control->kind == ControlKind::picture) {
            if (control->icon) {
                DrawIconEx(dc, r.left, r.top, control->icon.get(), r.right - r.left,
                           r.bottom - r.top, 0, nullptr, DI_NORMAL);
            } else if (control->bitmap) {
                BITMAP info{};
                GetObject(control->bitmap.get(), sizeof info, &info);
                ScopedMemoryDC memory(dc);
                ScopedSelectObject selected(memory, control->bitmap.get());
                SetStretchBltMode(dc, HALFTONE);
                StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0,
                           info.bmWidth, info.bmHeight, SRCCOPY);
            }
        } else if (control->kind == ControlKind::label) {
            UniqueBrush brush(CreateSolidBrush(control->background));
            FillRect(dc, &r, brush.get());
            ScopedSelectObject font(dc, control->ownFont ? control->ownFont.get() : font_.get());
            SetTextColor(dc, control->fontColour);
            SetBkMode(dc, TRANSPARENT);
            RECT text = r;
            DrawTextA(dc, control->caption.c_str(), static_cast<int>(control->caption.size()),
                      &text, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        }
    }
    EndPaint(handle(), &paint);
}

void Form::drawGlyphButton(const DRAWITEMSTRUCT& item) {
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
    SIZE text = textExtent(dc, font, control->caption);
    int glyph = scaleValue(glyphSize, measuredTextHeight_);
    int spacing = scaleValue(glyphSpacing, measuredTextHeight_);
    int shift = pushed ? 1 : 0;
    int left = r.left + (r.right - r.left - (glyph + spacing + text.cx)) / 2 + shift;
    int middle = (r.top + r.bottom) / 2 + shift;
    RECT glyphRect{left, middle - glyph / 2, left + glyph, middle - glyph / 2 + glyph};
    drawGlyph(dc, disabled ? control->disabledBitmap.get() : control->bitmap.get(), glyphRect);

    RECT textRect{left + glyph + spacing, r.top + shift, r.right, r.bottom + shift};
    UINT format = DT_SINGLELINE | DT_VCENTER | (keyboardCuesHidden(handle()) ? DT_HIDEPREFIX : 0);
    ScopedSelectObject selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        // Embossed, as the system draws disabled text.
        RECT highlight = textRect;
        OffsetRect(&highlight, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, control->caption.c_str(), -1, &highlight, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextA(dc, control->caption.c_str(), -1, &textRect, format);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

Control* Form::controlAt(POINT point) const {
    // Labels and pictures have no window: the topmost one under the pointer takes the event.
    auto found = std::find_if(controls_.rbegin(), controls_.rend(), [&](const auto& control) {
        return !control->window && PtInRect(&control->bounds, point);
    });
    return found != controls_.rend() ? found->get() : nullptr;
}

Control* Form::controlOf(HWND window) const {
    for (const auto& control : controls_)
        if (window && control->window.get() == window)
            return control.get();
    return nullptr;
}

Control* Form::focusedControl() const { return controlOf(GetFocus()); }

std::vector<Control*> Form::tabOrder() const {
    std::vector<Control*> order;
    for (const auto& control : controls_)
        if (control->focusable() && IsWindowVisible(control->window.get()) &&
            IsWindowEnabled(control->window.get()))
            order.push_back(control.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tabOrder < b->tabOrder; });
    return order;
}

void Form::focusControl(Control* control) {
    if (control && control->window)
        SetFocus(control->window.get());
}

void Form::moveFocus(int step, bool fromNone) {
    std::vector<Control*> order = tabOrder();
    if (order.empty())
        return;
    Control* current = focusedControl();
    auto position = std::find(order.begin(), order.end(), current);
    if (position == order.end()) {
        if (fromNone)
            focusControl(step > 0 ? order.front() : order.back());
        return;
    }
    int count = static_cast<int>(order.size());
    int index = static_cast<int>(position - order.begin());
    focusControl(order[(index + step + count) % count]);
}

void Form::clickControl(Control& control) {
    // The button's own result first; a handler that closes the window overrides it.
    if (control.modalResult != ModalResult::none && inModalLoop_)
        modalResult_ = control.modalResult;
    if (control.onClick)
        control.onClick();
}

void Form::updateDefaultLook() {
    // The focused push button is drawn as the default one; with none focused, the form's
    // default button is.
    Control* focused = focusedControl();
    bool buttonFocused = focused && focused->isButton();
    for (const auto& control : controls_) {
        if (!control->isButton())
            continue;
        bool asDefault = buttonFocused ? control.get() == focused : control->isDefault;
        if (control->drawnAsDefault == asDefault)
            continue;
        control->drawnAsDefault = asDefault;
        if (control->kind == ControlKind::pushButton)
            SendMessageA(control->window.get(), BM_SETSTYLE,
                         (asDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY, TRUE);
        else
            InvalidateRect(control->window.get(), nullptr, FALSE);
    }
}

void Form::showKeyboardCues() {
    SendMessageA(handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS),
                 0);
}

bool Form::runAccelerator(char letter, bool withAlt) {
    char key = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (!withAlt) {
        HWND focus = GetFocus();
        if (focus && focus != handle() &&
            (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS))
            return false;
    }
    for (const auto& control : controls_) {
        if (control->accelerator == key && control->accelerator != 0 &&
            (!control->window || IsWindowEnabled(control->window.get()))) {
            showKeyboardCues();
            clickControl(*control);
            return true;
        }
    }
    if (withAlt) {
        for (const MenuItem& item : menu_) {
            if (item.accelerator == key && item.accelerator != 0) {
                if (item.onClick)
                    item.onClick();
                return true;
            }
        }
    }
    return false;
}

void Form::mouseMove(POINT point) {
    if (Control* control = controlAt(point)) {
        if (control->onMouseMove)
            control->onMouseMove();
    } else if (onMouseMove_) {
        onMouseMove_();
    }
}

bool Form::preTranslate(const MSG& message) {
    switch (message.message) {
    case WM_KEYDOWN: {
        bool shift = GetKeyState(VK_SHIFT) < 0;
        switch (message.wParam) {
        case VK_TAB:
            showKeyboardCues();
            moveFocus(shift ? -1 : 1, true);
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            showKeyboardCues();
            moveFocus(1, false);
            return true;
        case VK_LEFT:
        case VK_UP:
            showKeyboardCues();
            moveFocus(-1, false);
            return true;
        case VK_RETURN: {
            Control* focused = focusedControl();
            if (focused && focused->isButton()) {
                clickControl(*focused);
            } else {
                for (const auto& control : controls_)
                    if (control->isDefault && IsWindowEnabled(control->window.get())) {
                        clickControl(*control);
                        break;
                    }
            }
            return true;
        }
        case VK_ESCAPE:
            for (const auto& control : controls_)
                if (control->isCancel) {
                    clickControl(*control);
                    break;
                }
            return true;
        }
        return false;
    }
    case WM_SYSKEYDOWN:
        // Alt shows the underlines; the key itself still goes to the system, which needs to see
        // it to know that Alt was not tapped alone (no armed menu bar afterwards).
        if (message.wParam == VK_MENU)
            showKeyboardCues();
        return false;
    case WM_CHAR:
        return runAccelerator(static_cast<char>(message.wParam), false);
    case WM_SYSCHAR:
        // Handled here, Alt+letter never reaches the menu bar's own keyboard handling.
        return runAccelerator(static_cast<char>(message.wParam), true);
    }
    return false;
}

// --- Application ----------------------------------------------------------------------------

Application::Application() { currentApplication = this; }

Application::~Application() {
    forms_.clear();
    window_.reset();
    if (currentApplication == this)
        currentApplication = nullptr;
}

Application& Application::instance() { return *currentApplication; }

void Application::initialize(HINSTANCE instance, int icon) {
    instance_ = instance;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    registerClass(instance, "TApplication", &Application::windowProc, 0);
    // Zero-sized at the centre of the screen: never seen, but visible, so it carries the
    // taskbar button.
    HWND window = CreateWindowExA(0, "TApplication", title_.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                      WS_MINIMIZEBOX,
                                  GetSystemMetrics(SM_CXSCREEN) / 2,
                                  GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                                  instance, this);
    // window_ holds the handle from WM_NCCREATE on.
    if (!window)
        throw WindowsError("Cannot create the application window");
    if (icon) {
        bigIcon_ = loadIcon(instance, icon, GetSystemMetrics(SM_CXICON));
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    }
}

void Application::setTitle(const std::string& title) {
    title_ = title;
    if (window_)
        SetWindowTextA(window_.get(), title.c_str());
}

void Application::formCreated(Form& form) {
    if (!mainForm_)
        mainForm_ = &form;
}

void Application::run() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    start((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        dispatch(message);
    terminated_ = true;
}

void Application::start(int showCommand) {
    if (!mainForm_)
        throw WindowsError("No main window");
    HWND main = mainForm_->handle();
    if (showCommand == SW_SHOWMINNOACTIVE) {
        // Minimised: only the taskbar button; the main window comes with the first restore.
        ShowWindow(handle(), SW_SHOWMINNOACTIVE);
        hiddenByMinimize_ = {main};
        return;
    }
    ShowWindow(handle(), SW_SHOWNA);
    ShowWindow(main, showCommand == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    SetForegroundWindow(main);
}

bool Application::processMessages() {
    MSG message;
    while (!terminated_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        dispatch(message);
    }
    return !terminated_;
}

void Application::terminate() { PostQuitMessage(0); }

void Application::dispatch(MSG& message) {
    guarded([&] {
        HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        for (const auto& form : forms_) {
            if (form->handle() == root && IsWindowEnabled(root) && form->preTranslate(message))
                return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    });
}

std::vector<HWND> Application::disableOtherWindows(HWND except) {
    struct Search {
        HWND except;
        std::vector<HWND> found;
    } search{except, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            if (window != search->except && IsWindowVisible(window) && IsWindowEnabled(window))
                search->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.found)
        EnableWindow(window, FALSE);
    return search.found;
}

void Application::messageBox(const std::string& text, const std::string& caption,
                             unsigned flags) {
    HWND previousActive = GetActiveWindow();
    std::vector<HWND> disabled = disableOtherWindows(nullptr);
    MessageBoxA(handle(), text.c_str(), caption.c_str(), flags);
    for (HWND window : disabled)
        EnableWindow(window, TRUE);
    if (previousActive && IsWindow(previousActive))
        SetActiveWindow(previousActive);
}

void Application::showException(const std::exception& error) {
    messageBox(exceptionBoxText(error.what()), title_, MB_ICONHAND);
}

std::optional<std::string> Application::exeName() const {
    return shellOperations().executablePath();
}

void Application::minimize() {
    // Wine leaves owned windows on screen when their owner is minimised: hide them ourselves.
    for (const auto& form : forms_) {
        if (IsWindowVisible(form->handle())) {
            hiddenByMinimize_.push_back(form->handle());
            ShowWindow(form->handle(), SW_HIDE);
        }
    }
    ShowWindow(handle(), SW_MINIMIZE);
}

void Application::restore() {
    ShowWindow(handle(), SW_RESTORE);
    std::vector<HWND> hidden;
    hidden.swap(hiddenByMinimize_);
    for (HWND window : hidden)
        ShowWindow(window, SW_SHOW);
    HWND active = lastActive_ ? lastActive_->handle() : mainForm_ ? mainForm_->handle() : nullptr;
    if (active && IsWindowVisible(active)) {
        SetForegroundWindow(active);
        SetActiveWindow(active);
    }
}

LRESULT CALLBACK Application::windowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    return routeMessage(window, message, wParam, lParam, &Application::window_,
                        &Application::handleMessage);
}

LRESULT Application::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = handle();
    switch (message) {
    case WM_SYSCOMMAND:
        // The taskbar button's commands arrive here.
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            minimize();
            return 0;
        case SC_RESTORE:
            restore();
            return 0;
        case SC_CLOSE:
            if (mainForm_)
                mainForm_->close();
            return 0;
        }
        break;
    case WM_CLOSE:
        if (mainForm_)
            mainForm_->close();
        return 0;
    case WM_GETMINMAXINFO:
        // Stays zero-sized whatever the caption's minimum would be.
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {0, 0};
        return 0;
    case WM_ACTIVATE:
        // Activated itself (a box it owned has closed): hand the activation on to the form.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && lastActive_ &&
            IsWindowVisible(lastActive_->handle()) && IsWindowEnabled(lastActive_->handle())) {
            SetActiveWindow(lastActive_->handle());
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// --- The seam's application-owned box -------------------------------------------------------

void ApplicationShellOperations::appMessageBox(const std::string& text, const std::string& caption,
                                               unsigned flags) {
    Application::instance().messageBox(text, caption, flags);
}
