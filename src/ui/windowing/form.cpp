// Forms: creation from a layout, laying out at a density, the window procedure, showing, closing
// and what a click does.
#include "windowing/support.h"

namespace {

constexpr UINT firstMenuId = 1000;

// The window font for a density, and the scale it gives: the height of its "0" and its face.
std::pair<UniqueFont, Scale> windowFontAt(const FormLayout& layout, UINT dpi) {
    Scale scale{.dpi = static_cast<int>(dpi)};
    int height = scale.fontHeight(layout.font.pointSize);
    scale.face = faceAt(layout.font.face, height);
    UniqueFont font = createFont(scale.face, height);
    scale.measuredTextHeight = textExtent(ScopedGetDC(nullptr), font.get(), "0").cy;
    return {std::move(font), scale};
}

// The layout's menu bar, if it has one. A menu item's command id is its index among the
// layout's items, after firstMenuId.
UniqueMenu menuBar(const FormLayout& layout) {
    UniqueMenu menu;
    if (layout.menu.empty())
        return menu;
    menu.reset(CreateMenu());
    if (!menu)
        throw WindowsError("Cannot create the menu");
    UINT id = firstMenuId;
    for (const MenuItemLayout& item : layout.menu) {
        std::string caption(item.caption);
        if (!AppendMenuA(menu.get(), MF_STRING, id++, caption.c_str()))
            throw WindowsError("Cannot add the menu item " + caption);
    }
    return menu;
}

// The layout's client area at a scale.
SIZE clientSize(const FormLayout& layout, const Scale& scale) {
    return {scale(layout.clientWidth), scale(layout.clientHeight)};
}

} // namespace

Form::Form(const FormLayout& layout) : layout_(layout), menuHandlers_(layout.menu.size()) {
    Application& application = Application::instance();
    HINSTANCE instance = application.moduleInstance();
    std::string className(layout.className);
    registerClass(instance, className, &Form::windowProc, CS_DBLCLKS);
    loadColours();

    bool dialog = layout.border == Border::dialog;
    DWORD style = WS_CAPTION | WS_CLIPCHILDREN |
                  (dialog ? WS_POPUP : WS_OVERLAPPED | WS_SYSMENU | WS_MINIMIZEBOX);

    UniqueMenu menu = menuBar(layout);
    // Sized when laid out, at the density of the monitor it is on: the screen's centre.
    HWND window = CreateWindowExA(
        dialog ? WS_EX_DLGMODALFRAME : 0, className.c_str(), std::string(layout.caption).c_str(),
        style, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
        application.handle(), menu.get(), instance, this);
    if (!window)
        throw WindowsError("Cannot create the window " + className);
    (void)menu.release(); // the window destroys its menu bar with itself

    for (const ControlLayout& row : layout.controls) {
        controls_.push_back(Control::make(row, window));
        if (HWND button = controls_.back()->window())
            keepButtonKeys(button);
    }
    place(layOut(windowDpi(window)), true);

    // Accelerator underlines and focus rectangles as the system's keyboard-cue setting says,
    // until the keyboard is used.
    BOOL cues = FALSE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    SendMessageA(window, WM_CHANGEUISTATE,
                 MAKEWPARAM(cues ? UIS_CLEAR : UIS_SET, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    updateDefaultLook();
}

void Form::bind(Target target, Event event, Handler handler) {
    if (target.control >= 0)
        controls_[target.control]->bind(event, handler);
    else if (target.menuItem >= 0)
        menuHandlers_[target.menuItem] = handler;
    else
        formHandlers_[static_cast<size_t>(event)] = handler;
}

SIZE Form::layOut(UINT dpi) {
    HINSTANCE instance = Application::instance().moduleInstance();
    // Its "0" decides the scale, applied to the layout's own figures, never to the current ones.
    auto [font, scale] = windowFontAt(layout_, dpi);
    std::vector<Prepared> prepared;
    for (const auto& control : controls_)
        prepared.push_back(control->prepare(scale));
    UniqueIcon big, small;
    if (layout_.icon) {
        big = loadIcon(instance, layout_.icon, systemMetric(SM_CXICON, dpi));
        small = loadIcon(instance, layout_.icon, systemMetric(SM_CXSMICON, dpi));
    }

    // Nothing fails from here on.
    for (size_t i = 0; i < controls_.size(); ++i)
        controls_[i]->place(scale, font.get(), std::move(prepared[i]));
    font_ = std::move(font);
    scale_ = scale;
    if (big) {
        SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
        SendMessageA(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
        bigIcon_ = std::move(big);
        smallIcon_ = std::move(small);
    }
    RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return frameSize(clientSize(layout_, scale), handle(), dpi);
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
    SIZE exact = clientSize(layout_, scale_);
    if (client.right != exact.cx || client.bottom != exact.cy)
        placeAt({size.cx + exact.cx - client.right, size.cy + exact.cy - client.bottom});
}

LRESULT CALLBACK Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return routeMessage(window, message, wParam, lParam, &Form::window_, &Form::handleMessage);
}

LRESULT Form::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam)
            onButtonNotify(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        else
            onMenuCommand(LOWORD(wParam));
        return 0;
    case WM_SYSCOMMAND:
        if (onSysCommand(wParam & 0xFFF0))
            return 0;
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
        onDefaultAction(reinterpret_cast<Control*>(wParam));
        return 0;
    case WM_ACTIVATE:
        if (onActivate(LOWORD(wParam) != WA_INACTIVE, HIWORD(wParam) != 0))
            return 0;
        break;
    case WM_SETFOCUS:
        updateDefaultLook();
        return 0;
    case WM_SYSCOLORCHANGE:
        onSysColorChange();
        return 0;
    case WM_SETTINGCHANGE:
        // A contrast theme turned on or off: drawn again in its colours at once.
        if (wParam == SPI_SETHIGHCONTRAST)
            onSysColorChange();
        break;
    case WM_GETDPISCALEDSIZE:
        *reinterpret_cast<SIZE*>(lParam) = onGetDpiScaledSize(static_cast<UINT>(wParam));
        return TRUE;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
        if (keyMessage(message, wParam))
            return 0;
        break;
    case WM_ERASEBKGND:
        onEraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_PRINTCLIENT:
        paintControls(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_CTLCOLORBTN:
        // The corners around a themed button show the form's own background.
        return reinterpret_cast<LRESULT>(backgroundBrush_.get());
    case WM_DRAWITEM:
        onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MOUSEMOVE:
        onMouseMove(pointOf(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        onLeftButtonDown(pointOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        onLeftButtonUp(pointOf(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        onDoubleClick(pointOf(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        pressed_ = nullptr; // the press is over, wherever the button went up
        return 0;
    case WM_SETCURSOR:
        if (onSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            return TRUE;
        break;
    }
    return DefWindowProcA(handle(), message, wParam, lParam);
}

void Form::onMenuCommand(UINT id) {
    if (id >= firstMenuId && id - firstMenuId < menuHandlers_.size())
        run(menuHandlers_[id - firstMenuId]);
}

void Form::onButtonNotify(HWND button, UINT code) {
    Control* control = controlOf(button);
    if (!control)
        return;
    if (control->clickedBy(code)) {
        activate(*control);
    } else if (code == BN_SETFOCUS) {
        activeControl_ = control;
        updateDefaultLook();
    }
}

bool Form::onSysCommand(UINT command) {
    // The main window's minimise button minimises the application to its taskbar button; the
    // forms follow in the application window's WM_SIZE, before the system activates another.
    if (command != SC_MINIMIZE || this != Application::instance().mainForm())
        return false;
    ShowWindow(Application::instance().handle(), SW_MINIMIZE);
    return true;
}

bool Form::onActivate(bool active, bool minimised) {
    if (!active)
        return false;
    Application::instance().formActivated(*this);
    if (!minimised)
        activated();
    return true; // the focus is ours to place
}

SIZE Form::onGetDpiScaledSize(UINT dpi) const {
    // Answered, the rectangle WM_DPICHANGED then suggests has this size, not a linear scaling of
    // the current one (WM_GETDPISCALEDSIZE documentation).
    return frameSize(clientSize(layout_, windowFontAt(layout_, dpi).second), handle(), dpi);
}

void Form::onDpiChanged(UINT dpi, const RECT& suggested) {
    layOut(dpi);
    // The rectangle suggested keeps the window on the monitor it went to; it has the size
    // answered to WM_GETDPISCALEDSIZE (WM_DPICHANGED documentation).
    place({suggested.right - suggested.left, suggested.bottom - suggested.top}, false,
          {suggested.left, suggested.top});
    Application::instance().formLaidOut(*this);
}

void Form::activate(Control& control, Event event) {
    // Checked as it runs: what was usable when a key or a reader's action came may not be now.
    if (!control.usable() || !IsWindowEnabled(handle()) || !IsWindowVisible(handle()))
        return;
    control.press();
    // The control's own result first; a handler that closes the window overrides it.
    if (event == Event::click && control.row.modalResult != ModalResult::none && inModalLoop_)
        modalResult_ = control.row.modalResult;
    run(control.on(event));
}

void Form::onDefaultAction(Control* control) {
    // Posted with the control it names: only one of this form's, and only its action.
    for (const auto& own : controls_)
        if (own.get() == control && control->defaultEvent())
            activate(*control, *control->defaultEvent());
}

Control* Form::controlOf(HWND window) const {
    for (const auto& control : controls_)
        if (window && control->window() == window)
            return control.get();
    return nullptr;
}

void Form::show() {
    // Hidden, a form may have missed its monitor's changes of density: laid out for that monitor
    // now, centred at its first showing, where it was after.
    if (UINT dpi = windowDpi(handle()); static_cast<int>(dpi) != scale_.dpi) {
        RECT at{};
        GetWindowRect(handle(), &at);
        place(layOut(dpi), !shownOnce_, {at.left, at.top});
    }
    shownOnce_ = true;
    ShowWindow(handle(), SW_SHOW);
}

void Form::close() {
    if (inModalLoop_)
        modalResult_ = ModalResult::cancel;
    else if (this == Application::instance().mainForm())
        Application::instance().terminate();
    else
        hide();
}

ModalResult Form::showModal() {
    // One modal loop a form: a second, inside the first, would end with it and leave it open.
    if (inModalLoop_)
        return ModalResult::none;
    Application& application = Application::instance();
    modalResult_ = ModalResult::none;
    // The others are enabled before this one hides, so the system does not hand the activation
    // to another program while all of ours are disabled.
    application.runModal(
        handle(),
        [&] {
            inModalLoop_ = true;
            ScopeExit leave([&] { inModalLoop_ = false; });
            show();
            SetActiveWindow(handle());
            if (!application.dispatchUntil([&] { return modalResult_ != ModalResult::none; }))
                modalResult_ = ModalResult::cancel;
        },
        [&] { hide(); });
    return modalResult_;
}
