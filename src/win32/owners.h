// Owners: one small type per handle kind, so every window, GDI object, icon, menu, DC and COM
// reference the program and its tests hold is released on every path. A raw handle is a
// borrowed one.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

template <class Handle, auto Close> struct HandleCloser {
    void operator()(Handle handle) const { Close(handle); }
};
template <class Handle, auto Close>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, HandleCloser<Handle, Close>>;

using UniqueHwnd = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueFont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &::DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, &::DestroyMenu>;

// A COM interface pointer: one reference, released at the end.
struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class Interface> using UniqueCom = std::unique_ptr<Interface, ComReleaser>;

// A window's DC for the scope.
struct DCReleaser {
    HWND window;
    void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
struct ScopedGetDC : std::unique_ptr<HDC__, DCReleaser> {
    explicit ScopedGetDC(HWND window) : unique_ptr(GetDC(window), {window}) {}
    operator HDC() const { return get(); }
};

// A memory DC compatible with another, for the scope.
struct ScopedMemoryDC : UniqueHandle<HDC, &::DeleteDC> {
    explicit ScopedMemoryDC(HDC compatible) : unique_ptr(CreateCompatibleDC(compatible)) {}
    operator HDC() const { return get(); }
};

// Selects a GDI object into a DC and puts the previous one, the DC's own, back at the end of
// the scope.
struct Reselector {
    HDC dc;
    void operator()(HGDIOBJ previous) const { SelectObject(dc, previous); }
};
struct ScopedSelectObject : std::unique_ptr<void, Reselector> {
    ScopedSelectObject(HDC dc, HGDIOBJ object) : unique_ptr(SelectObject(dc, object), {dc}) {}
};

// Runs a clean-up when the scope ends, however it ends (WIL's scope_exit).
template <class CleanUp> class ScopeExit {
public:
    explicit ScopeExit(CleanUp cleanUp) : cleanUp_(std::move(cleanUp)) {}
    ~ScopeExit() { cleanUp_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    CleanUp cleanUp_;
};
