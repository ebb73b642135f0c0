// Windowless controls under the pointer: labels and pictures have no window, so the form finds
// the one under the pointer and gives it the click, the double-click and the pointer movement;
// the window's own movement event runs only over its bare background.
#include "windowing/support.h"

#include <algorithm>

Control* Form::controlAt(POINT point) const {
    // The topmost windowless control under the pointer takes the event.
    auto found = std::find_if(controls_.rbegin(), controls_.rend(), [&](const auto& control) {
        return !control->window && PtInRect(&control->bounds, point);
    });
    return found != controls_.rend() ? found->get() : nullptr;
}

void Form::mouseDown(POINT point) {
    pressed_ = controlAt(point);
}

void Form::mouseUp(POINT point) {
    Control* control = controlAt(point);
    bool clicked = control && control == pressed_;
    pressed_ = nullptr;
    if (clicked)
        clickControl(*control);
}

void Form::doubleClick(POINT point) {
    // The second press of a double-click is no click of its own: its release clicks nothing.
    pressed_ = nullptr;
    Control* control = controlAt(point);
    if (control && control->onDblClick)
        control->onDblClick();
}

void Form::mouseMove(POINT point) {
    if (Control* control = controlAt(point)) {
        if (control->onMouseMove)
            control->onMouseMove();
    } else if (onMouseMove_) {
        onMouseMove_();
    }
}

void Form::setCursor() {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(handle(), &point);
    Control* control = controlAt(point);
    SetCursor(LoadCursor(nullptr, control && control->handCursor ? IDC_HAND : IDC_ARROW));
}
