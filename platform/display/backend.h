// The display behind the window system. One backend is chosen at start-up: headless (a virtual
// screen whose pixels stay in memory) or, later, X11. The window system tells the backend what
// top-level windows do and which pixels changed; a backend that has real input (X11) feeds it
// into the window system through SendInput, the same path tests use, so both route alike.
#pragma once

#include <cairo.h>

#include <string>

#include "platform/win_user.h"

namespace display {

class Backend {
  public:
    virtual ~Backend() = default;

    virtual const char* Name() const = 0;
    // The screen in pixels and the part of it windows may use (maximised windows fill it).
    virtual RECT ScreenRect() const = 0;
    virtual RECT WorkArea() const = 0;

    // Life of a top-level window. windowRect is in screen coordinates.
    virtual void WindowCreated(HWND hwnd) = 0;
    virtual void WindowChanged(HWND hwnd, const RECT& windowRect, bool visible) = 0;
    virtual void WindowTitleChanged(HWND hwnd, const std::wstring& title) = 0;
    virtual void WindowDestroyed(HWND hwnd) = 0;

    // Pixels of a top-level window changed. backing: the window's ARGB32 backing store (window
    // size, premultiplied); dirty: the changed part in window coordinates. perPixelAlpha is set
    // for layered windows whose alpha channel is their shape; constantAlpha scales the whole.
    virtual void Present(HWND hwnd, cairo_surface_t* backing, const RECT& dirty, bool perPixelAlpha,
                         BYTE constantAlpha) = 0;

    // The pointer was moved by the program (SetCursorPos) or its shape changed.
    virtual void CursorMoved(POINT screen) = 0;
    virtual void CursorChanged(HCURSOR cursor) = 0;
};

// The backend in use; chosen on first use (headless unless another is installed).
Backend& Current();
// Installs a backend before any window exists (X11 start-up, tests). Takes ownership.
void Install(Backend* backend);

// The headless virtual screen: 1920x1080, work area the same.
Backend* CreateHeadless(int width = 1920, int height = 1080);

}  // namespace display
