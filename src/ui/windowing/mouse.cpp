// Windowless controls under the pointer: labels and pictures have no window, so the form finds
// the one under the pointer and gives it the click, the double-click and the pointer movement;
// the window's own movement event runs only over its bare background.
#include "windowing/support.h"

#include <algorithm>
#include <utility>

Control* Form::controlAt(POINT point) const {
    auto found = std::find_if(controls_.rbegin(), controls_.rend(), [&](const auto& control) {
        return control->hit(point);
    });
    return found != controls_.rend() ? found->get() : nullptr;
}

void Form::onLeftButtonDown(POINT point) {
    // Captured, the release comes here wherever it happens, and ends the press.
    pressed_ = controlAt(point);
    if (pressed_)
        SetCapture(handle());
}

void Form::onLeftButtonUp(POINT point) {
    Control* pressed = std::exchange(pressed_, nullptr);
    if (GetCapture() == handle())
        ReleaseCapture();
    if (Control* control = controlAt(point); control && control == pressed)
        activate(*control);
}

void Form::onDoubleClick(POINT point) {
    // The second press of a double-click is no click of its own: its release clicks nothing.
    pressed_ = nullptr;
    if (Control* control = controlAt(point))
        activate(*control, Event::doubleClick);
}

void Form::onMouseMove(POINT point) {
    // While a press holds the capture, the pointer may be outside: over nothing of the form's.
    RECT client;
    GetClientRect(handle(), &client);
    Control* control = controlAt(point);
    if (control)
        run(control->on(Event::mouseMove));
    else if (PtInRect(&client, point))
        run(formHandlers_[static_cast<size_t>(Event::mouseMove)]);
}

bool Form::onSetCursor(HWND under, UINT hitTest) {
    if (under != handle() || hitTest != HTCLIENT)
        return false;
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(handle(), &point);
    Control* control = controlAt(point);
    SetCursor(LoadCursor(nullptr, control && control->row.handCursor ? IDC_HAND : IDC_ARROW));
    return true;
}
