// Keyboard focus, activation and mouse capture; each belongs to the thread that owns the window.
#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace user {
namespace {

HWND g_foreground = nullptr;  // guarded by the tree lock

bool FocusInside(HWND ancestor, HWND focus) {
    TreeGuard g(TreeLock());
    Window* a = FindLocked(ancestor);
    Window* f = FindLocked(focus);
    return a && f && IsDescendantLocked(a, f);
}

// Moves the focus without activating anything; the caller has checked the window.
HWND ChangeFocus(ThreadQueue& q, HWND hwnd) {
    HWND old;
    {
        TreeGuard g(TreeLock());
        old = q.focus;
        if (old == hwnd) return old;
    }
    if (old) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    {
        TreeGuard g(TreeLock());
        if (hwnd && !FindLiveLocked(hwnd)) return old;
        q.focus = hwnd;
    }
    if (hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

}  // namespace

std::shared_ptr<ThreadQueue> ForegroundQueueLocked() {
    Window* f = FindLiveLocked(g_foreground);
    return f ? f->queue : nullptr;
}

void ActivateWindow(HWND hwnd, WORD how, bool) {
    ThreadQueue& q = CurrentQueue();
    HWND old;
    {
        TreeGuard g(TreeLock());
        if (hwnd) {
            Window* w = FindLiveLocked(hwnd);
            if (!w || w->queue.get() != &q) return;
            hwnd = RootLocked(w)->hwnd;
        }
        old = q.active;
        if (!FindLiveLocked(old)) old = nullptr;
        if (old == hwnd) {
            if (hwnd) g_foreground = hwnd;
            return;
        }
        q.active = hwnd;
        if (hwnd) {
            g_foreground = hwnd;
        } else if (g_foreground == old) {
            g_foreground = nullptr;
        }
    }
    if (old) {
        SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0),
                     reinterpret_cast<LPARAM>(hwnd));
    }
    if (hwnd) {
        SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
        SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(hwnd) ? 1 : 0),
                     reinterpret_cast<LPARAM>(old));
    }
    // The focus never stays in a window that is no longer active.
    HWND focus;
    {
        TreeGuard g(TreeLock());
        focus = q.focus;
    }
    if (focus && old && FocusInside(old, focus)) ChangeFocus(q, nullptr);
}

void WindowHidden(HWND hwnd) {
    ThreadQueue& q = CurrentQueue();
    HWND focus, parent = nullptr, next = nullptr;
    bool wasActive = false;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLocked(hwnd);
        if (!w || w->queue.get() != &q) return;
        focus = q.focus;
        if (w->parent) {
            parent = w->parent->queue.get() == &q ? w->parent->hwnd : nullptr;
        } else if (q.active == hwnd) {
            wasActive = true;
            // Hand activation to the owner, else to the next visible window of this thread.
            if (w->owner && (w->owner->style & WS_VISIBLE) && w->owner->queue.get() == &q &&
                !w->owner->destroying) {
                next = w->owner->hwnd;
            } else {
                for (Window* t : TopLevelsLocked()) {
                    if (t != w && t->queue.get() == &q && (t->style & WS_VISIBLE) &&
                        !(t->style & WS_DISABLED) && !t->destroying && !(t->style & WS_MINIMIZE)) {
                        next = t->hwnd;
                        break;
                    }
                }
            }
        }
    }
    if (parent && focus && FocusInside(hwnd, focus)) {
        SetFocus(parent);
    } else if (wasActive) {
        ActivateWindow(next, WA_ACTIVE, true);
    }
}

void WindowGoingAway(HWND hwnd) {
    ThreadQueue& q = CurrentQueue();
    HWND capture;
    bool visible;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLocked(hwnd);
        if (!w) return;
        capture = q.capture;
        visible = (w->style & WS_VISIBLE) != 0;
    }
    if (capture && FocusInside(hwnd, capture)) ReleaseCapture();
    if (visible) {
        SetWindowPosInternal(
            hwnd, nullptr, 0, 0, 0, 0,
            SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | kSwpSilent);
    }
    HWND focus;
    bool active;
    {
        TreeGuard g(TreeLock());
        focus = q.focus;
        active = q.active == hwnd;
    }
    if ((focus && FocusInside(hwnd, focus)) || active) WindowHidden(hwnd);
    // Still holding them (no other window could take them over): let go.
    {
        TreeGuard g(TreeLock());
        focus = q.focus;
        active = q.active == hwnd;
    }
    if (focus && FocusInside(hwnd, focus)) ChangeFocus(q, nullptr);
    if (active) ActivateWindow(nullptr, WA_INACTIVE, false);
}

}  // namespace user

using namespace user;

HWND SetFocus(HWND hwnd) {
    ThreadQueue& q = CurrentQueue();
    if (!hwnd) return ChangeFocus(q, nullptr);
    HWND root;
    bool activate;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (w->queue.get() != &q) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        root = RootLocked(w)->hwnd;
        activate = q.active != root;
    }
    HWND before;
    {
        TreeGuard g(TreeLock());
        before = q.focus;
    }
    if (activate) ActivateWindow(root, WA_ACTIVE, false);
    HWND old = ChangeFocus(q, hwnd);
    return activate ? before : old;
}

HWND GetFocus() {
    ThreadQueue& q = CurrentQueue();
    TreeGuard g(TreeLock());
    return FindLiveLocked(q.focus) ? q.focus : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
    ThreadQueue& q = CurrentQueue();
    HWND old;
    {
        TreeGuard g(TreeLock());
        old = FindLiveLocked(q.active) ? q.active : nullptr;
        if (hwnd) {
            Window* w = FindLiveLocked(hwnd);
            if (!w || w->queue.get() != &q) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
        }
    }
    ActivateWindow(hwnd, WA_ACTIVE, true);
    return old;
}

HWND GetActiveWindow() {
    ThreadQueue& q = CurrentQueue();
    TreeGuard g(TreeLock());
    return FindLiveLocked(q.active) ? q.active : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) return FALSE;
    RunOnOwner(hwnd, [hwnd] {
        ActivateWindow(hwnd, WA_ACTIVE, true);
        return LRESULT{0};
    });
    return TRUE;
}

HWND GetForegroundWindow() {
    TreeGuard g(TreeLock());
    return FindLiveLocked(g_foreground) ? g_foreground : nullptr;
}

HWND SetCapture(HWND hwnd) {
    ThreadQueue& q = CurrentQueue();
    HWND old;
    {
        TreeGuard g(TreeLock());
        old = FindLiveLocked(q.capture) ? q.capture : nullptr;
        if (hwnd) {
            Window* w = FindLiveLocked(hwnd);
            if (!w || w->queue.get() != &q) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
        }
        q.capture = hwnd;
    }
    if (old && old != hwnd) {
        SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    }
    return old;
}

BOOL ReleaseCapture() {
    ThreadQueue& q = CurrentQueue();
    HWND old;
    {
        TreeGuard g(TreeLock());
        old = FindLiveLocked(q.capture) ? q.capture : nullptr;
        q.capture = nullptr;
    }
    if (old) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    ThreadQueue& q = CurrentQueue();
    TreeGuard g(TreeLock());
    return FindLiveLocked(q.capture) ? q.capture : nullptr;
}
