// Active Accessibility for a form (accessibility.cpp): the object a screen reader gets for the
// client area through WM_GETOBJECT. Its children are the form's controls in reading order: the
// buttons, which are windows and so have the system's own objects, in tab order; then the
// windowless labels, link and pictures, top to bottom and left to right, which nothing else
// would tell a reader about.
#pragma once

#include "owners.h"

#include <windows.h>

class Form;
class FormAccessible;

// Posted to a form to run a windowless control's default action (wParam: the Control) once the
// reader's call has returned.
inline constexpr UINT defaultActionMessage = WM_APP + 1;

class Accessibility {
public:
    explicit Accessibility(Form& form);
    ~Accessibility();
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;

    // WM_GETOBJECT: a reference to the client area's object, made at the first request (COM
    // starts then) and kept; 0 for any other object the system asks about.
    LRESULT getObject(WPARAM flags, LPARAM objectId);
    // The window is going: references readers still hold answer an error from now on.
    void disconnect();

private:
    Form& form_;
    UniqueCom<FormAccessible> object_; // our own reference
};
