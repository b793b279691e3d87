// Helpers of the window base tests: a message pump like the program's loop, input through the
// display, and a display whose work area is smaller than its screen.
#pragma once

#include <gtest/gtest.h>

#include "platform/display/backend.h"
#include "platform/display/capture.h"
#include "platform/win_kernel.h"
#include "platform/win_user.h"
#include "skinframe/paint_manager.h"

namespace wndtest {

// Handles every queued message the way the program's message loop does, until none is left.
// A WM_QUIT found on the way is put back for the caller to see.
inline void Pump(int rounds = 50) {
    MSG msg = {};
    for (int i = 0; i < rounds; ++i) {
        bool any = false;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            any = true;
            if (!CPaintManagerUI::TranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        if (!any) return;
    }
}

// Takes a WM_QUIT out of the queue; its exit code, or -1 when there was none.
inline int TakeQuit() {
    MSG msg = {};
    if (!::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return -1;
    return static_cast<int>(msg.wParam);
}

inline RECT WindowRect(HWND hwnd) {
    RECT rc = {0, 0, 0, 0};
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

inline RECT ClientRect(HWND hwnd) {
    RECT rc = {0, 0, 0, 0};
    ::GetClientRect(hwnd, &rc);
    return rc;
}

inline void Mouse(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof(in));
}

// The pointer moves to a screen point as a user moves it: by a relative motion.
inline void MoveTo(int x, int y) {
    POINT at = {0, 0};
    ::GetCursorPos(&at);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = x - at.x;
    in.mi.dy = y - at.y;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    ::SendInput(1, &in, sizeof(in));
}

// Press at one screen point, drag to another, release; pumping between the steps.
inline void Drag(POINT from, POINT to) {
    MoveTo(from.x, from.y);
    Pump();
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Pump();
    MoveTo((from.x + to.x) / 2, (from.y + to.y) / 2);
    Pump();
    MoveTo(to.x, to.y);
    Pump();
    Mouse(MOUSEEVENTF_LEFTUP);
    Pump();
}

inline void Click(POINT at) {
    MoveTo(at.x, at.y);
    Pump();
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Pump();
    Mouse(MOUSEEVENTF_LEFTUP);
    Pump();
}

inline void Key(WORD vk, bool up = false) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof(in));
}

// The display in use, except that its work area is the one given (a panel along an edge).
class WorkAreaBackend : public display::Backend {
  public:
    const char* Name() const override { return inner_->Name(); }
    RECT ScreenRect() const override { return inner_->ScreenRect(); }
    RECT WorkArea() const override { return work_; }
    void WindowCreated(HWND hwnd) override { inner_->WindowCreated(hwnd); }
    void WindowChanged(HWND hwnd, const RECT& rc, bool visible) override {
        inner_->WindowChanged(hwnd, rc, visible);
    }
    void WindowTitleChanged(HWND hwnd, const std::wstring& title) override {
        inner_->WindowTitleChanged(hwnd, title);
    }
    void WindowDestroyed(HWND hwnd) override { inner_->WindowDestroyed(hwnd); }
    void Present(HWND hwnd, cairo_surface_t* backing, const RECT& dirty, bool perPixelAlpha,
                 BYTE constantAlpha) override {
        inner_->Present(hwnd, backing, dirty, perPixelAlpha, constantAlpha);
    }
    void CursorMoved(POINT screen) override { inner_->CursorMoved(screen); }
    void CursorChanged(HCURSOR cursor) override { inner_->CursorChanged(cursor); }

    display::Backend* inner_ = nullptr;
    RECT work_ = {0, 0, 0, 0};
};

// Installs a work area for the life of the object; the windows made meanwhile should be gone
// before it ends.
class ScopedWorkArea {
  public:
    explicit ScopedWorkArea(RECT work) : previous_(&display::Current()) {
        // Kept for the whole run: the display layer never forgets a backend it was given.
        static WorkAreaBackend backend;
        backend.inner_ = previous_;
        backend.work_ = work;
        display::Install(&backend);
    }
    ~ScopedWorkArea() { display::Install(previous_); }
    ScopedWorkArea(const ScopedWorkArea&) = delete;
    ScopedWorkArea& operator=(const ScopedWorkArea&) = delete;

  private:
    display::Backend* previous_;
};

}  // namespace wndtest
