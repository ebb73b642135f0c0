// Forms: creation from a layout, laying out at a density, the window procedure, showing, closing
// and what a click does.
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

void Form::create(Description description) {
    Application& application = Application::instance();
    HINSTANCE instance = application.moduleInstance();
    registerClass(instance, description.className, &Form::windowProc, CS_DBLCLKS);
    isDialog_ = description.border == Border::dialog;
    background_ = description.background;
    loadColours();

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

    // Sized when laid out, at the density of the monitor it is on: the screen's centre.
    HWND window =
        CreateWindowExA(exStyle, description.className.c_str(), description.caption.c_str(), style,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                        application.handle(), menu.get(), instance, this);
    if (!window)
        throw WindowsError("Cannot create the window " + description.className);
    (void)menu.release(); // the window destroys its menu bar with itself

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
        if (item.kind == ControlKind::pushButton || item.kind == ControlKind::glyphButton) {
            DWORD buttonStyle =
                WS_CHILD | WS_VISIBLE | BS_NOTIFY |
                (item.kind == ControlKind::glyphButton ? BS_OWNERDRAW : BS_PUSHBUTTON);
            if (item.tabOrder >= 0)
                buttonStyle |= WS_TABSTOP;
            UINT id = firstControlId + static_cast<UINT>(controls_.size());
            HWND button = CreateWindowExA(
                0, "BUTTON", item.caption.c_str(), buttonStyle, 0, 0, 0, 0, window,
                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
            if (!button)
                throw WindowsError("Cannot create the button " + item.name);
            control->window.reset(button);
            keepButtonKeys(button);
        }
        // Bitmaps are stretched as they are painted; an icon is loaded for each density.
        if (item.kind == ControlKind::glyphButton) {
            // The disabled look of a glyph is the resource that follows it.
            control->bitmap = loadBitmap(instance, item.image);
            control->disabledBitmap = loadBitmap(instance, item.image + 1);
        } else if (item.kind == ControlKind::picture && !isIconResource(instance, item.image)) {
            control->bitmap = loadBitmap(instance, item.image);
        }
        controls_.push_back(std::move(control));
    }

    onActivate_ = description.onActivate;
    onMouseMove_ = description.onMouseMove;
    if (!description.activeControl.empty())
        activeControl_ = &control(description.activeControl);
    design_ = std::make_unique<const Description>(std::move(description));
    place(layOut(windowDpi(window)), true);

    // Accelerator underlines and focus rectangles as the system's keyboard-cue setting says,
    // until the keyboard is used.
    BOOL cues = FALSE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    SendMessageA(window, WM_CHANGEUISTATE,
                 MAKEWPARAM(cues ? UIS_CLEAR : UIS_SET, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    updateDefaultLook();
    application.formCreated(*this);
}

std::pair<UniqueFont, int> Form::windowFontAt(UINT dpi) const {
    UniqueFont font =
        createFont(design_->font.face, MulDiv(design_->font.pointSize, static_cast<int>(dpi), 72));
    int measured = textExtent(ScopedGetDC(nullptr), font.get(), "0").cy;
    return {std::move(font), measured};
}

SIZE Form::clientSize(int measured) const {
    return {scaleValue(design_->clientWidth, measured),
            scaleValue(design_->clientHeight, measured)};
}

SIZE Form::windowSizeAt(UINT dpi) const {
    return frameSize(clientSize(windowFontAt(dpi).second), handle(), dpi);
}

SIZE Form::layOut(UINT dpi) {
    HINSTANCE instance = Application::instance().moduleInstance();
    // The window font for the density; the height of its "0" decides the scale, applied to the
    // layout's own figures, never to the current ones.
    std::pair<UniqueFont, int> windowFont = windowFontAt(dpi);
    UniqueFont font = std::move(windowFont.first);
    int measured = windowFont.second;
    auto scale = [&](int value) { return scaleValue(value, measured); };
    ScopedGetDC screen(nullptr);
    for (size_t i = 0; i < controls_.size(); ++i) {
        Control& control = *controls_[i];
        const Description::ControlItem& item = design_->controls[i];
        control.bounds = {scale(item.left), scale(item.top), scale(item.left) + scale(item.width),
                          scale(item.top) + scale(item.height)};
        UniqueFont ownFont;
        if (!item.font.face.empty())
            ownFont = createFont(item.font.face, scale(designPixelHeight(item.font.pointSize)));
        HFONT controlFont = ownFont ? ownFont.get() : font.get();
        if (control.window) {
            const RECT& r = control.bounds;
            SetWindowPos(control.window.get(), nullptr, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageA(control.window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(controlFont),
                         FALSE);
        } else if (control.kind == ControlKind::label) {
            // Sized to the caption on one line, trailing spaces included; the left edge stays.
            SIZE size = textExtent(screen, controlFont, control.caption);
            control.bounds.right = control.bounds.left + size.cx;
            control.bounds.bottom = control.bounds.top + size.cy;
        } else if (control.kind == ControlKind::picture && !control.bitmap) {
            control.icon = loadIcon(instance, item.image, scale(item.width));
        }
        // A button's previous font goes only once it has the new one.
        control.ownFont = std::move(ownFont);
    }
    font_ = std::move(font);
    measuredTextHeight_ = measured;

    if (design_->icon) {
        UniqueIcon big = loadIcon(instance, design_->icon, systemMetric(SM_CXICON, dpi));
        UniqueIcon small = loadIcon(instance, design_->icon, systemMetric(SM_CXSMICON, dpi));
        SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
        SendMessageA(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
        bigIcon_ = std::move(big);
        smallIcon_ = std::move(small);
    }
    dpi_ = dpi;
    RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return frameSize(clientSize(measured), handle(), dpi);
}

void Form::place(SIZE size, bool centred, POINT corner) {
    auto placeAt = [&](SIZE outer) {
        if (centred)
            corner = {(GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2,
                      (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2};
        SetWindowPos(handle(), nullptr, corner.x, corner.y, outer.cx, outer.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    placeAt(size);
    // The frame can differ from the estimate (a menu bar that wraps, a theme): make the client
    // area exact.
    RECT client;
    GetClientRect(handle(), &client);
    SIZE exact = clientSize(measuredTextHeight_);
    if (client.right != exact.cx || client.bottom != exact.cy)
        placeAt({size.cx + exact.cx - client.right, size.cy + exact.cy - client.bottom});
}

void Form::dpiChanged(UINT dpi, const RECT& suggested) {
    layOut(dpi);
    // The rectangle suggested keeps the window on the monitor it went to; it has the size
    // answered to WM_GETDPISCALEDSIZE (WM_DPICHANGED documentation).
    place({suggested.right - suggested.left, suggested.bottom - suggested.top}, false,
          {suggested.left, suggested.top});
    Application::instance().formLaidOut(*this);
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
    case WM_GETDPISCALEDSIZE:
        // Answered, the rectangle WM_DPICHANGED then suggests has this size, not a linear
        // scaling of the current one (WM_GETDPISCALEDSIZE documentation).
        *reinterpret_cast<SIZE*>(lParam) = windowSizeAt(static_cast<UINT>(wParam));
        return TRUE;
    case WM_DPICHANGED:
        dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
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
    // Hidden, a form may have missed its monitor's changes of density: laid out for that monitor
    // now, centred at its first showing, where it was after.
    if (UINT dpi = windowDpi(handle()); dpi != dpi_) {
        RECT at{};
        GetWindowRect(handle(), &at);
        place(layOut(dpi), !shownOnce_, {at.left, at.top});
    }
    shownOnce_ = true;
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
