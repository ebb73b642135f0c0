// Forms: creation from a layout and scaling, the window procedure, showing, closing and what a
// click does.
#include "windowing/support.h"

namespace {

constexpr UINT firstControlId = 100;
constexpr UINT firstMenuId = 1000;

} // namespace

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
    background_ = description.background;
    loadColours();

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

    HWND window =
        CreateWindowExA(exStyle, description.className.c_str(), description.caption.c_str(), style,
                        left, top, width, height, application.handle(), menu.get(), instance, this);
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
        control->bounds = {scale(item.left), scale(item.top), scale(item.left) + scale(item.width),
                           scale(item.top) + scale(item.height)};
        if (!item.font.face.empty())
            control->ownFont =
                createFont(item.font.face, scale(designPixelHeight(item.font.pointSize)));
        HFONT font = control->ownFont ? control->ownFont.get() : font_.get();

        switch (item.kind) {
        case ControlKind::pushButton:
        case ControlKind::glyphButton: {
            DWORD buttonStyle =
                WS_CHILD | WS_VISIBLE | BS_NOTIFY |
                (item.kind == ControlKind::glyphButton ? BS_OWNERDRAW : BS_PUSHBUTTON);
            if (item.tabOrder >= 0)
                buttonStyle |= WS_TABSTOP;
            UINT id = firstControlId + static_cast<UINT>(controls_.size());
            const RECT& r = control->bounds;
            HWND button = CreateWindowExA(0, "BUTTON", item.caption.c_str(), buttonStyle, r.left,
                                          r.top, r.right - r.left, r.bottom - r.top, window,
                                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                          instance, nullptr);
            if (!button)
                throw WindowsError("Cannot create the button " + item.name);
            control->window.reset(button);
            keepButtonKeys(button);
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
    switch (message) {
    case WM_COMMAND:
        command(wParam, lParam);
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
    case WM_DESTROY:
        accessibility_.disconnect();
        break;
    case WM_GETOBJECT:
        if (LRESULT object = accessibility_.getObject(wParam, lParam))
            return object;
        break;
    case defaultActionMessage:
        accessibility_.runDefaultAction(wParam);
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
    case WM_SYSCOLORCHANGE:
        coloursChanged();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
        if (key(message, wParam))
            return 0;
        break;
    case WM_ERASEBKGND:
        eraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT:
        paint();
        return 0;
    case WM_PRINTCLIENT:
        paintControls(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_CTLCOLORBTN:
        // The corners around a themed button show the form's own background.
        return reinterpret_cast<LRESULT>(backgroundBrush_.get());
    case WM_DRAWITEM:
        drawGlyphButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MOUSEMOVE:
        mouseMove(pointOf(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        mouseDown(pointOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        mouseUp(pointOf(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        doubleClick(pointOf(lParam));
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == handle() && LOWORD(lParam) == HTCLIENT) {
            setCursor();
            return TRUE;
        }
        break;
    }
    return DefWindowProcA(handle(), message, wParam, lParam);
}

void Form::command(WPARAM wParam, LPARAM lParam) {
    if (!lParam) {
        for (const MenuItem& item : menu_)
            if (item.id == LOWORD(wParam) && item.onClick)
                item.onClick();
        return;
    }
    Control* control = controlOf(reinterpret_cast<HWND>(lParam));
    if (!control)
        return;
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
}

void Form::clickControl(Control& control) {
    // The button's own result first; a handler that closes the window overrides it.
    if (control.modalResult != ModalResult::none && inModalLoop_)
        modalResult_ = control.modalResult;
    if (control.onClick)
        control.onClick();
}

Control* Form::controlOf(HWND window) const {
    for (const auto& control : controls_)
        if (window && control->window.get() == window)
            return control.get();
    return nullptr;
}

Control& Form::control(std::string_view name) {
    for (const auto& control : controls_)
        if (control->name == name)
            return *control;
    throw WindowsError("No control named " + std::string(name));
}

void Form::show() {
    ShowWindow(handle(), SW_SHOW);
}

void Form::hide() {
    ShowWindow(handle(), SW_HIDE);
}

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

void Form::setFontColour(Control& label, Colour colour) {
    if (label.fontColour == colour)
        return;
    label.fontColour = colour;
    InvalidateRect(handle(), &label.bounds, FALSE);
}
