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
    pressed_ = controlAt(point);
}

void Form::onLeftButtonUp(POINT point) {
    Control* pressed = std::exchange(pressed_, nullptr);
    if (Control* control = controlAt(point); control && control == pressed)
        clickControl(*control);
}

void Form::onDoubleClick(POINT point) {
    // The second press of a double-click is no click of its own: its release clicks nothing.
    pressed_ = nullptr;
    if (Control* control = controlAt(point))
        run(control->row.onDblClick);
}

void Form::onMouseMove(POINT point) {
    Control* control = controlAt(point);
    run(control ? control->row.onMouseMove : layout_.onMouseMove);
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
