// The keyboard and focus model of our forms: where the focus goes on activation, Tab and the
// arrows in tab order, Enter and Escape, accelerator letters with and without Alt, the default
// button's look and the keyboard cues. It lives in the window procedures (the form's, and its
// buttons' through a subclass), so it holds in whichever loop dispatches the keys: ours, a modal
// form's, or a message box's, which never calls a loop of ours.
#include "windowing/support.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

constexpr UINT_PTR buttonKeysId = 1;

void showKeyboardCues(HWND form) {
    SendMessageA(form, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
}

} // namespace

void Form::keepButtonKeys(HWND button) {
    // Needs common controls 6, which the program's manifest asks for.
    if (!SetWindowSubclass(button, &Form::buttonProc, buttonKeysId,
                           reinterpret_cast<DWORD_PTR>(this)))
        throw WindowsError("Cannot subclass a button");
}

LRESULT CALLBACK Form::buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR form) {
    // Removed before the button is gone, as SetWindowSubclass's documentation asks.
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(button, &Form::buttonProc, id);
    bool handled = false;
    guarded([&] { handled = reinterpret_cast<Form*>(form)->keyMessage(message, wParam); });
    return handled ? 0 : DefSubclassProc(button, message, wParam, lParam);
}

bool Form::keyMessage(UINT message, WPARAM wParam) {
    // A window a modal dialog or box has disabled takes no keys.
    if (!IsWindowEnabled(handle()))
        return false;
    switch (message) {
    case WM_KEYDOWN:
        return onKeyDown(wParam);
    case WM_SYSKEYDOWN:
        return onSysKeyDown(wParam);
    case WM_CHAR:
        return onChar(static_cast<char>(wParam));
    case WM_SYSCHAR:
        // Handled here, Alt+letter never reaches the menu bar's own keyboard handling.
        return runAccelerator(static_cast<char>(wParam), true);
    }
    return false;
}

bool Form::onKeyDown(WPARAM key) {
    if (key == VK_TAB || key == VK_RIGHT || key == VK_DOWN || key == VK_LEFT || key == VK_UP) {
        showKeyboardCues(handle());
        bool back = key == VK_TAB ? GetKeyState(VK_SHIFT) < 0 : key == VK_LEFT || key == VK_UP;
        moveFocus(back ? -1 : 1, key == VK_TAB);
        return true;
    }
    if (key != VK_RETURN && key != VK_ESCAPE)
        return false;
    // Escape: the form's cancel button.
    Control* pressed = key == VK_RETURN ? enterTarget() : nullptr;
    for (const auto& control : controls_)
        if (key == VK_ESCAPE && control->row.isCancel)
            pressed = control.get();
    if (pressed)
        activate(*pressed);
    return true;
}

Control* Form::enterTarget() const {
    if (Control* focused = focusedControl(); focused && focused->takesEnter())
        return focused;
    for (const auto& control : controls_)
        if (control->row.isDefault)
            return control.get();
    return nullptr;
}

bool Form::onSysKeyDown(WPARAM key) {
    // Alt shows the underlines; the key itself still goes to the system, which needs to see it
    // to know that Alt was not tapped alone (no armed menu bar afterwards).
    if (key == VK_MENU)
        showKeyboardCues(handle());
    return false;
}

bool Form::onChar(char typed) {
    // What TranslateMessage makes of Enter, Tab and Escape, which onKeyDown has handled.
    if (typed == '\r' || typed == '\t' || typed == VK_ESCAPE)
        return true;
    return runAccelerator(typed, false);
}

void Form::activated() {
    // A handler the first activation runs that clears the active control leaves the focus on
    // the window itself.
    Handler onFirst = formHandlers_[static_cast<size_t>(Event::activate)];
    bool handlerRun = !std::exchange(activatedOnce_, true) && onFirst;
    if (handlerRun)
        run(onFirst);
    if (!activeControl_ && !handlerRun) {
        std::vector<Control*> order = tabOrder();
        activeControl_ = order.empty() ? nullptr : order.front();
    }
    SetFocus(activeControl_ ? activeControl_->window() : handle());
    updateDefaultLook();
}

void Form::setActiveControl(Control* control) {
    activeControl_ = control;
    if (control && control->window() && GetActiveWindow() == handle())
        SetFocus(control->window());
}

std::vector<Control*> Form::tabOrder() const {
    std::vector<Control*> order;
    for (const auto& control : controls_)
        if (control->takesFocus())
            order.push_back(control.get());
    sortStably(order, [](const Control* a, const Control* b) {
        return a->row.tabOrder < b->row.tabOrder;
    });
    return order;
}

void Form::moveFocus(int step, bool fromNone) {
    std::vector<Control*> order = tabOrder();
    if (order.empty())
        return;
    auto position = std::find(order.begin(), order.end(), focusedControl());
    if (position == order.end()) {
        if (fromNone)
            SetFocus((step > 0 ? order.front() : order.back())->window());
        return;
    }
    int count = static_cast<int>(order.size());
    int index = static_cast<int>(position - order.begin());
    SetFocus(order[(index + step + count) % count]->window());
}

void Form::updateDefaultLook() {
    Control* shown = enterTarget();
    for (const auto& control : controls_)
        control->showAsDefault(shown && control.get() == shown);
}

bool Form::runAccelerator(char letter, bool withAlt) {
    char key = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (!key)
        return false;
    HWND focus = GetFocus();
    if (!withAlt && focus && focus != handle() &&
        (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS))
        return false;
    for (const auto& control : controls_) {
        if (Caption{control->row.caption}.accelerator() == key && control->usable()) {
            showKeyboardCues(handle());
            activate(*control);
            return true;
        }
    }
    for (size_t i = 0; withAlt && i < layout_.menu.size(); ++i) {
        if (Caption{layout_.menu[i].caption}.accelerator() == key) {
            run(menuHandlers_[i]);
            return true;
        }
    }
    return false;
}
