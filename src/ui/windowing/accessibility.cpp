// Active Accessibility for a form (accessibility.h). Every answer is read from the form at the
// time it is asked, so it follows the controls wherever the layout puts them; what each kind of
// control is told as is its own (controls.cpp).
#include "windowing/support.h"

#include "com.h"

#include <oleacc.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Order = std::vector<Control*>;

VARIANT childId(long id = CHILDID_SELF) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

BSTR toBstr(const std::string& text) {
    int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR wide = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (wide)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide, length);
    return wide;
}

HRESULT windowObject(HWND window, IDispatch** object) {
    return AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                      reinterpret_cast<void**>(object));
}

// In the order accessibility.h gives; buttons without a tab order after those with one.
Order readingOrder(const Form& form) {
    Order order;
    for (const auto& control : form.controls())
        order.push_back(control.get());
    auto key = [](const Control* c) {
        if (c->window())
            return std::array<long, 3>{0, c->row.tabOrder < 0 ? LONG_MAX : c->row.tabOrder, 0};
        return std::array<long, 3>{1, c->bounds.top, c->bounds.left};
    };
    sortStably(order, [&](const Control* a, const Control* b) { return key(a) < key(b); });
    return order;
}

// A child as a VARIANT: a button's standard object, or a simple element's id; null: the client
// area itself.
HRESULT child(const Control* control, const Order& order, VARIANT* out) {
    if (control && control->window()) {
        out->vt = VT_DISPATCH;
        return windowObject(control->window(), &out->pdispVal);
    }
    auto at = std::find(order.begin(), order.end(), control);
    *out = childId(control ? static_cast<long>(at - order.begin()) + 1 : CHILDID_SELF);
    return S_OK;
}

// Whether every out-pointer a reader passed is there to write through.
template <class... Out> bool present(Out*... outs) {
    return ((outs != nullptr) && ...);
}

// A button's question to its own standard object, about itself.
template <class... Args>
auto asking(HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT, Args...), Args... args) {
    return [=](IAccessible* button) { return (button->*method)(childId(), args...); };
}

// The control nearest to `from` among those wholly beyond the side the direction names: one in
// line with it first, then the smallest gap, then the smallest offset.
Control* nearestBeyond(const Control& from, long direction, const Order& order) {
    const RECT& a = from.bounds;
    bool vertical = direction == NAVDIR_UP || direction == NAVDIR_DOWN;
    Control* nearest = nullptr;
    long best = LONG_MAX;
    for (Control* control : order) {
        const RECT& b = control->bounds;
        long gap = direction == NAVDIR_UP     ? a.top - b.bottom
                   : direction == NAVDIR_DOWN ? b.top - a.bottom
                   : direction == NAVDIR_LEFT ? a.left - b.right
                                              : b.left - a.right;
        long across = vertical ? (b.left + b.right) - (a.left + a.right)
                               : (b.top + b.bottom) - (a.top + a.bottom);
        bool inLine =
            vertical ? b.left < a.right && a.left < b.right : b.top < a.bottom && a.top < b.bottom;
        long distance = (inLine ? 0 : 1 << 28) + gap * 4096 + std::labs(across);
        if (control != &from && gap >= 0 && distance < best) {
            best = distance;
            nearest = control;
        }
    }
    return nearest;
}

} // namespace

// The client area's object. Apartment-threaded: every call comes on the window's thread. A
// reader in this process holds it directly: a null out-pointer is refused, never written through.
class FormAccessible final : public IAccessible {
public:
    explicit FormAccessible(Form& form) : form_(&form) {}
    void disconnect() { form_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        bool known = IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
                     IsEqualIID(iid, __uuidof(IAccessible));
        if (!object)
            return E_POINTER;
        *object = known ? static_cast<IAccessible*>(this) : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (!left)
            delete this;
        return left;
    }

    // No type information: readers call the IAccessible methods themselves.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return count ? (*count = 0, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        return info ? (*info = nullptr, E_NOTIMPL) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return with(childId(), present(parent), [&](Control*, const Order&) {
            *parent = nullptr;
            return windowObject(form_->handle(), parent);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return with(childId(), present(count), [&](Control*, const Order& order) {
            *count = static_cast<long>(order.size());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
        return with(id, present(child), [&](Control* control, const Order&) -> HRESULT {
            *child = nullptr;
            if (!control)
                return E_INVALIDARG;
            // A simple element has no object of its own: its parent answers for it.
            return control->window() ? windowObject(control->window(), child) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
        return answer(id, present(name), asking(&IAccessible::get_accName, name), [&](Control* c) {
            // The client area is read by its window's caption, which is its layout's.
            *name = toBstr(c ? Caption{c->row.caption}.readerName()
                             : std::string(form_->layout().caption));
            return *name ? S_OK : E_OUTOFMEMORY;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override {
        return buttonText(id, value, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) override {
        return buttonText(id, description, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
        return answer(id, present(role), asking(&IAccessible::get_accRole, role), [&](Control* c) {
            *role = childId(c ? c->accessibleRole().role : ROLE_SYSTEM_CLIENT);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
        auto ask = asking(&IAccessible::get_accState, state);
        return answer(id, present(state), ask, [&](Control* c) {
            HWND window = form_->handle();
            long focus = GetFocus() == window ? STATE_SYSTEM_FOCUSED : 0;
            *state = childId((IsWindowVisible(window) ? 0 : STATE_SYSTEM_INVISIBLE) |
                             (IsWindowEnabled(window) ? 0 : STATE_SYSTEM_UNAVAILABLE) |
                             (c ? c->accessibleRole().state : STATE_SYSTEM_FOCUSABLE | focus));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) override {
        return buttonText(id, help, &IAccessible::get_accHelp);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, long* topic) override {
        return with(id, present(file, topic), [&](Control*, const Order&) {
            *file = nullptr;
            *topic = -1;
            return DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override {
        return buttonText(id, shortcut, &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return with(childId(), present(focus), [&](Control*, const Order& order) -> HRESULT {
            focus->vt = VT_EMPTY;
            HWND focused = GetFocus();
            Control* control = form_->controlOf(focused);
            return control || focused == form_->handle() ? child(control, order, focus) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return with(childId(), present(selection), [&](Control*, const Order&) {
            selection->vt = VT_EMPTY;
            return DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override {
        auto ask = asking(&IAccessible::get_accDefaultAction, action);
        return answer(id, present(action), ask, [&](Control* c) {
            const wchar_t* verb = c ? c->accessibleRole().defaultVerb : nullptr;
            *action = verb ? SysAllocString(verb) : nullptr;
            return !verb ? DISP_E_MEMBERNOTFOUND : *action ? S_OK : E_OUTOFMEMORY;
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT id) override {
        // Nothing windowless takes the focus.
        auto select = [&](IAccessible* button) { return button->accSelect(flags, childId()); };
        return answer(id, true, select, nothing);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT id) override {
        return with(id, present(left, top, width, height), [&](Control* control, const Order&) {
            // A button's window stands where its bounds say; screen pixels are the physical
            // ones, as the program is DPI aware.
            RECT r = control ? control->bounds : RECT{};
            if (!control)
                GetClientRect(form_->handle(), &r);
            MapWindowPoints(form_->handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
            *left = r.left;
            *top = r.top;
            *width = r.right - r.left;
            *height = r.bottom - r.top;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return with(start, present(end), [&](Control* from, const Order& order) -> HRESULT {
            end->vt = VT_EMPTY;
            long at =
                from
                    ? static_cast<long>(std::find(order.begin(), order.end(), from) - order.begin())
                    : -1;
            long count = static_cast<long>(order.size());
            long to = -1;
            if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
                if (from)
                    return E_INVALIDARG; // a simple element has no children
                to = direction == NAVDIR_FIRSTCHILD ? 0 : count - 1;
            } else if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) {
                to = !from ? -1 : direction == NAVDIR_NEXT ? at + 1 : at - 1;
            } else if (direction >= NAVDIR_UP && direction <= NAVDIR_RIGHT) {
                Control* nearest = from ? nearestBeyond(*from, direction, order) : nullptr;
                return nearest ? child(nearest, order, end) : S_FALSE;
            } else {
                return E_INVALIDARG;
            }
            return to >= 0 && to < count ? child(order[to], order, end) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        return with(childId(), present(hit), [&](Control*, const Order& order) -> HRESULT {
            hit->vt = VT_EMPTY;
            HWND window = form_->handle();
            POINT point{x, y};
            ScreenToClient(window, &point);
            RECT client;
            GetClientRect(window, &client);
            if (!PtInRect(&client, point))
                return S_FALSE;
            // A button lies above whatever the form paints under it.
            Control* found =
                form_->controlOf(ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE));
            return child(found ? found : form_->controlAt(point), order, hit);
        });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
        return answer(id, true, asking(&IAccessible::accDoDefaultAction), [&](Control* control) {
            if (!control || !control->defaultEvent())
                return DISP_E_MEMBERNOTFOUND;
            // A window a modal dialog or box has disabled takes no input, a reader's neither.
            if (!IsWindowEnabled(form_->handle()))
                return E_ACCESSDENIED;
            // Run after this call returns, as accDoDefaultAction's documentation asks: a
            // handler may open a box, and the reader must not wait on it. The form checks the
            // control again when it comes (Form::activate).
            auto named = reinterpret_cast<WPARAM>(control);
            return PostMessageA(form_->handle(), defaultActionMessage, named, 0) ? S_OK : E_FAIL;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

protected:
    ~FormAccessible() = default; // the last Release deletes it

private:
    // Runs `body` with the control `id` names (null: the client area itself) and the reading
    // order, once the out-pointers are `present` to write through. Nothing thrown leaves; an
    // error once the window is gone.
    template <class Body> HRESULT with(const VARIANT& id, bool present, Body&& body) noexcept {
        if (!present)
            return E_POINTER;
        if (!form_)
            return RPC_E_DISCONNECTED;
        try {
            Order order = readingOrder(*form_);
            if (id.vt != VT_I4 || id.lVal < 0 || id.lVal > static_cast<long>(order.size()))
                return E_INVALIDARG;
            return body(id.lVal == CHILDID_SELF ? nullptr : order[id.lVal - 1], order);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // The one place that decides who answers: a button answers for itself, its standard object
    // asked `ask`; `own` answers for the client area (null) and the windowless controls.
    template <class Ask, class Own>
    HRESULT answer(const VARIANT& id, bool present, Ask&& ask, Own&& own) {
        return with(id, present, [&](Control* control, const Order&) -> HRESULT {
            if (!control || !control->window())
                return own(control);
            void* button = nullptr;
            AccessibleObjectFromWindow(control->window(), static_cast<DWORD>(OBJID_CLIENT),
                                       __uuidof(IAccessible), &button);
            UniqueCom<IAccessible> object(static_cast<IAccessible*>(button));
            return object ? ask(object.get()) : E_FAIL;
        });
    }
    // What only the buttons have.
    static HRESULT nothing(Control*) { return DISP_E_MEMBERNOTFOUND; }
    HRESULT buttonText(const VARIANT& id, BSTR* text,
                       HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        if (text)
            *text = nullptr;
        return answer(id, present(text), asking(get, text), nothing);
    }

    Form* form_; // null once the window is gone
    ULONG references_ = 1;
};

Accessibility::Accessibility(Form& form) : form_(form) {}

Accessibility::~Accessibility() {
    disconnect();
}

LRESULT Accessibility::getObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(static_cast<DWORD>(objectId)) != OBJID_CLIENT)
        return 0;
    // Without COM no reference can be handed out: the system's own object serves.
    if (!initializeComOnThisThread())
        return 0;
    if (!object_)
        object_.reset(new FormAccessible(form_)); // its first reference
    return LresultFromObject(__uuidof(IAccessible), flags, object_.get());
}

void Accessibility::disconnect() {
    if (!object_)
        return;
    object_->disconnect();
    // Readers in other processes hold proxies: cut them off too ("Handling the WM_GETOBJECT
    // Message" asks for this when the window is destroyed).
    CoDisconnectObject(object_.get(), 0);
    object_.reset();
}
