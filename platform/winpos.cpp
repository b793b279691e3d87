// Placement: positions, sizes, Z order, show states, non-client frames, hit-testing, coordinates.
#include <algorithm>

#include "platform/display/backend.h"
#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace user {

namespace {

constexpr int kMinimizedOffset = -32000;

bool RegionContains(Window* w, POINT screen) {
    if (!w->regionRects) return true;
    RECT wr = WindowRectScreenLocked(w);
    return cairo_region_contains_point(w->regionRects, screen.x - wr.left, screen.y - wr.top);
}

bool Contains(Window* w, POINT screen) {
    RECT r = WindowRectScreenLocked(w);
    return PtInRect(&r, screen) && RegionContains(w, screen);
}

bool Skipped(Window* w, const std::vector<HWND>& skip) {
    return std::find(skip.begin(), skip.end(), w->hwnd) != skip.end();
}

void ZOrderLocked(Window* w, HWND after) {
    auto& list = w->parent ? w->parent->children : TopLevelsLocked();
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    if (after == HWND_TOPMOST && !w->parent) w->exStyle |= WS_EX_TOPMOST;
    if (after == HWND_NOTOPMOST && !w->parent) w->exStyle &= ~WS_EX_TOPMOST;
    auto firstNonTopmost = [&] {
        auto it = list.begin();
        if (!w->parent) {
            while (it != list.end() && ((*it)->exStyle & WS_EX_TOPMOST)) ++it;
        }
        return it;
    };
    if (after == HWND_BOTTOM) {
        list.push_back(w);
        return;
    }
    if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        auto pos = (w->exStyle & WS_EX_TOPMOST) || w->parent ? list.begin() : firstNonTopmost();
        list.insert(pos, w);
        return;
    }
    Window* a = FindLiveLocked(after);
    auto it = a ? std::find(list.begin(), list.end(), a) : list.end();
    if (it == list.end()) {
        list.insert(list.begin(), w);
    } else {
        list.insert(it + 1, w);
    }
}

// Rectangle for a maximised window.
RECT MaximizedRect(HWND hwnd) {
    Window* w;
    RECT parentClient{};
    DWORD style, ex;
    {
        TreeGuard g(TreeLock());
        w = FindLiveLocked(hwnd);
        if (!w) return RECT{};
        style = w->style;
        ex = w->exStyle;
        if (w->parent) parentClient = w->parent->rcClient;
        OffsetRect(&parentClient, -parentClient.left, -parentClient.top);
        if (w->parent) {
            RECT f;
            FrameSizes(style, ex, &f);
            return RECT{-f.left, -f.top, parentClient.right + f.right,
                        parentClient.bottom + f.bottom};
        }
    }
    MINMAXINFO mmi{};
    DefaultMinMaxInfo(hwnd, &mmi);
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    int cx = std::min(mmi.ptMaxSize.x, mmi.ptMaxTrackSize.x);
    int cy = std::min(mmi.ptMaxSize.y, mmi.ptMaxTrackSize.y);
    return RECT{mmi.ptMaxPosition.x, mmi.ptMaxPosition.y, mmi.ptMaxPosition.x + cx,
                mmi.ptMaxPosition.y + cy};
}

BOOL ShowWindowInternal(HWND hwnd, int cmd) {
    bool wasVisible, minimized, maximized, child;
    RECT normal;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        minimized = (w->style & WS_MINIMIZE) != 0;
        maximized = (w->style & WS_MAXIMIZE) != 0;
        child = w->parent != nullptr;
        normal = w->rcNormal;
    }
    if (cmd == SW_HIDE) {
        if (!wasVisible) return FALSE;
        SendMessageW(hwnd, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPosInternal(
            hwnd, nullptr, 0, 0, 0, 0,
            SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        WindowHidden(hwnd);
        return TRUE;
    }
    enum class Target { Keep, Minimize, Maximize, Restore } target = Target::Keep;
    bool activate = !child;
    switch (cmd) {
        case SW_SHOWMINIMIZED:
            target = Target::Minimize;
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            target = Target::Minimize;
            activate = false;
            break;
        case SW_SHOWMAXIMIZED:
            target = Target::Maximize;
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
        case SW_SHOWDEFAULT:
            if (minimized || maximized) target = Target::Restore;
            break;
        case SW_SHOWNOACTIVATE:
        case SW_SHOWNA:
            activate = false;
            break;
        case SW_SHOW:
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
    if (target == Target::Minimize && minimized) target = Target::Keep;
    if (target == Target::Maximize && maximized) target = Target::Keep;
    if (target == Target::Restore && minimized) {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (w && w->restoreToMaximized) target = Target::Maximize;
    }

    if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
    RECT rc{};
    UINT flags = SWP_SHOWWINDOW | (activate ? 0 : SWP_NOACTIVATE);
    if (target == Target::Keep) {
        flags |= SWP_NOMOVE | SWP_NOSIZE;
    } else {
        {
            TreeGuard g(TreeLock());
            Window* w = FindLiveLocked(hwnd);
            if (!w) return wasVisible;
            if (!minimized && !maximized) w->rcNormal = w->rcWindow;
            if (target == Target::Minimize) w->restoreToMaximized = maximized;
            w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
            if (target == Target::Minimize) w->style |= WS_MINIMIZE;
            if (target == Target::Maximize) w->style |= WS_MAXIMIZE;
            normal = w->rcNormal;
        }
        switch (target) {
            case Target::Minimize: {
                int cx = GetSystemMetrics(SM_CXMINIMIZED), cy = GetSystemMetrics(SM_CYMINIMIZED);
                rc = RECT{kMinimizedOffset, kMinimizedOffset, kMinimizedOffset + cx,
                          kMinimizedOffset + cy};
                break;
            }
            case Target::Maximize:
                rc = MaximizedRect(hwnd);
                break;
            default:
                rc = normal;
                break;
        }
        flags |= SWP_FRAMECHANGED | kSwpStateChanged;
    }
    if (!activate || child) flags |= SWP_NOZORDER;
    SetWindowPosInternal(hwnd, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                         flags);
    if (target == Target::Minimize && !activate) {
        // A window minimised without activation hands activation on.
        ThreadQueue& q = CurrentQueue();
        bool active;
        {
            TreeGuard g(TreeLock());
            active = q.active == hwnd;
        }
        if (active) WindowHidden(hwnd);
    }
    return wasVisible ? TRUE : FALSE;
}

}  // namespace

void FrameSizes(DWORD style, DWORD exStyle, RECT* frame) {
    int b = 0;
    if (style & WS_THICKFRAME) {
        b = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
    } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
        b = GetSystemMetrics(SM_CXDLGFRAME);
    } else if (style & WS_BORDER) {
        b = GetSystemMetrics(SM_CXBORDER);
    }
    if (exStyle & WS_EX_CLIENTEDGE) b += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE) b += GetSystemMetrics(SM_CXBORDER);
    *frame = RECT{b, b, b, b};
    if ((style & WS_CAPTION) == WS_CAPTION) {
        frame->top +=
            GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    }
}

bool WantsMinMaxInfo(DWORD style) {
    return (style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD));
}

void DefaultMinMaxInfo(HWND hwnd, MINMAXINFO* mmi) {
    DWORD style = 0, ex = 0;
    {
        TreeGuard g(TreeLock());
        if (Window* w = FindLiveLocked(hwnd)) {
            style = w->style;
            ex = w->exStyle;
        }
    }
    RECT work = display::Current().WorkArea();
    RECT f;
    FrameSizes(style & ~WS_CAPTION, ex, &f);  // the caption stays on screen
    *mmi = MINMAXINFO{};
    mmi->ptMaxPosition = POINT{work.left - f.left, work.top - f.top};
    mmi->ptMaxSize =
        POINT{work.right - work.left + f.left + f.right, work.bottom - work.top + f.top + f.bottom};
    if ((style & WS_THICKFRAME) || (style & WS_CAPTION) == WS_CAPTION) {
        mmi->ptMinTrackSize =
            POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    }
    mmi->ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
}

LRESULT DefaultHitTest(HWND hwnd, POINT pt) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) return HTNOWHERE;
    RECT wr = WindowRectScreenLocked(w);
    if (!PtInRect(&wr, pt) || !RegionContains(w, pt)) return HTNOWHERE;
    if (w->style & WS_MINIMIZE) return HTCAPTION;
    RECT cr = ClientRectScreenLocked(w);
    if (PtInRect(&cr, pt)) return HTCLIENT;
    RECT f;
    FrameSizes(w->style, w->exStyle, &f);
    int border = f.left;
    if ((w->style & WS_THICKFRAME) && !(w->style & WS_MAXIMIZE)) {
        const int corner = 16;
        if (pt.y < wr.top + border) {
            if (pt.x < wr.left + corner) return HTTOPLEFT;
            if (pt.x >= wr.right - corner) return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y >= wr.bottom - border) {
            if (pt.x < wr.left + corner) return HTBOTTOMLEFT;
            if (pt.x >= wr.right - corner) return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < wr.left + border) {
            if (pt.y < wr.top + corner) return HTTOPLEFT;
            if (pt.y >= wr.bottom - corner) return HTBOTTOMLEFT;
            return HTLEFT;
        }
        if (pt.x >= wr.right - border) {
            if (pt.y < wr.top + corner) return HTTOPRIGHT;
            if (pt.y >= wr.bottom - corner) return HTBOTTOMRIGHT;
            return HTRIGHT;
        }
    }
    if ((w->style & WS_CAPTION) == WS_CAPTION) {
        int top = wr.top + border;
        int bottom = wr.top + f.top;
        if (pt.y >= top && pt.y < bottom) {
            int right = wr.right - border;
            int button = GetSystemMetrics(SM_CXSIZE);
            if (w->style & WS_SYSMENU) {
                if (pt.x >= right - button) return HTCLOSE;
                right -= button;
                if (w->style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
                    if (pt.x >= right - button) return HTMAXBUTTON;
                    right -= button;
                    if (pt.x >= right - button) return HTMINBUTTON;
                }
            }
            return HTCAPTION;
        }
    }
    return HTBORDER;
}

HWND WindowFromPointLocked(POINT pt, ThreadQueue*, const std::vector<HWND>& skip) {
    for (Window* top : TopLevelsLocked()) {
        if (top->dead || top->destroying || !(top->style & WS_VISIBLE)) continue;
        if (Skipped(top, skip) || !Contains(top, pt)) continue;
        Window* cur = top;
        for (;;) {
            RECT cr = ClientRectScreenLocked(cur);
            if (!PtInRect(&cr, pt)) break;
            Window* next = nullptr;
            for (Window* c : cur->children) {
                if (c->dead || c->destroying || !(c->style & WS_VISIBLE)) continue;
                if ((c->style & WS_DISABLED) || Skipped(c, skip) || !Contains(c, pt)) continue;
                next = c;
                break;
            }
            if (!next) break;
            cur = next;
        }
        return cur->hwnd;
    }
    return nullptr;
}

void SetWindowPosInternal(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    const bool silent = (flags & kSwpSilent) != 0;
    WINDOWPOS wp{hwnd, after, x, y, cx, cy, flags & 0xFFFF};
    RECT oldWindow, oldClient;
    bool wasVisible;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return;
        oldWindow = w->rcWindow;
        oldClient = w->rcClient;
        wasVisible = (w->style & WS_VISIBLE) != 0;
    }
    if (wp.flags & SWP_NOMOVE) {
        wp.x = oldWindow.left;
        wp.y = oldWindow.top;
    }
    if (wp.flags & SWP_NOSIZE) {
        wp.cx = oldWindow.right - oldWindow.left;
        wp.cy = oldWindow.bottom - oldWindow.top;
    }
    if (wasVisible) wp.flags &= ~SWP_SHOWWINDOW;
    if (!wasVisible) wp.flags &= ~SWP_HIDEWINDOW;
    if (!silent && !(wp.flags & SWP_NOSENDCHANGING)) {
        SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    }
    wp.cx = std::max(wp.cx, 0);
    wp.cy = std::max(wp.cy, 0);
    RECT newWindow{wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy};
    bool sized =
        wp.cx != oldWindow.right - oldWindow.left || wp.cy != oldWindow.bottom - oldWindow.top;
    bool minimized;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return;
        minimized = (w->style & WS_MINIMIZE) != 0;
    }
    RECT newClient;
    if (minimized) {
        newClient = RECT{newWindow.left, newWindow.top, newWindow.left, newWindow.top};
    } else if (!silent && (sized || (wp.flags & SWP_FRAMECHANGED) || (flags & kSwpStateChanged))) {
        NCCALCSIZE_PARAMS p{};
        p.rgrc[0] = newWindow;
        p.rgrc[1] = oldWindow;
        p.rgrc[2] = oldClient;
        p.lppos = &wp;
        SendMessageW(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
        newClient = p.rgrc[0];
    } else {
        newClient = oldClient;
        OffsetRect(&newClient, newWindow.left - oldWindow.left, newWindow.top - oldWindow.top);
        if (sized) {
            newClient.right =
                std::max(newClient.left, newClient.right + (newWindow.right - oldWindow.right) -
                                             (newWindow.left - oldWindow.left));
            newClient.bottom =
                std::max(newClient.top, newClient.bottom + (newWindow.bottom - oldWindow.bottom) -
                                            (newWindow.top - oldWindow.top));
        }
    }
    bool topLevel = false;
    bool visibleNow = false;
    RECT screenRect{};
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return;
        topLevel = !w->parent;
        bool redraw = !(wp.flags & SWP_NOREDRAW);
        bool showing = (wp.flags & SWP_SHOWWINDOW) != 0;
        bool hiding = (wp.flags & SWP_HIDEWINDOW) != 0;
        bool moved = newWindow.left != oldWindow.left || newWindow.top != oldWindow.top;
        // Uncovered parts of the parent need painting again.
        if (w->parent && IsVisibleLocked(w) && (hiding || moved || sized) && redraw) {
            RECT old = oldWindow;
            cairo_rectangle_int_t r{old.left, old.top, old.right - old.left, old.bottom - old.top};
            cairo_region_t* reg = cairo_region_create_rectangle(&r);
            InvalidateLocked(w->parent, reg, true, true);
            cairo_region_destroy(reg);
        }
        w->rcWindow = newWindow;
        w->rcClient = newClient;
        if (!(wp.flags & SWP_NOZORDER)) ZOrderLocked(w, wp.hwndInsertAfter);
        if (showing) w->style |= WS_VISIBLE;
        if (hiding) w->style &= ~WS_VISIBLE;
        if (topLevel) EnsureBackingLocked(w);
        if (IsVisibleLocked(w) && redraw &&
            (showing || sized || moved || (wp.flags & SWP_FRAMECHANGED) ||
             (flags & kSwpStateChanged) || !(wp.flags & SWP_NOZORDER))) {
            // Children share the top-level backing store: whatever moves repaints.
            if (!topLevel || showing || sized || (wp.flags & SWP_FRAMECHANGED) ||
                (flags & kSwpStateChanged)) {
                InvalidateLocked(w, nullptr, true, true);
                w->ncPaintNeeded = true;
            }
        }
        visibleNow = (w->style & WS_VISIBLE) != 0;
        screenRect = WindowRectScreenLocked(w);
        if (hiding) ForgetWindowInput(nullptr);
    }
    if (topLevel) display::Current().WindowChanged(hwnd, screenRect, visibleNow);
    if (silent) return;
    if (topLevel && visibleNow && !(wp.flags & SWP_NOACTIVATE)) {
        ActivateWindow(hwnd, WA_ACTIVE, true);
    }
    if (newClient.right - newClient.left == oldClient.right - oldClient.left &&
        newClient.bottom - newClient.top == oldClient.bottom - oldClient.top &&
        !(flags & kSwpStateChanged)) {
        wp.flags |= SWP_NOCLIENTSIZE;
    }
    if (newClient.left == oldClient.left && newClient.top == oldClient.top &&
        !(flags & kSwpStateChanged)) {
        wp.flags |= SWP_NOCLIENTMOVE;
    }
    wp.x = newWindow.left;
    wp.y = newWindow.top;
    wp.cx = newWindow.right - newWindow.left;
    wp.cy = newWindow.bottom - newWindow.top;
    SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
}

}  // namespace user

using namespace user;

// ---- placement ----------------------------------------------------------------------------------

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!IsWindow(hwnd) || hwnd == DesktopHandle()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    flags &= 0xFFFF & ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE);
    RunOnOwner(hwnd, [=] {
        SetWindowPosInternal(hwnd, insertAfter, x, y, cx, cy, flags);
        return LRESULT{1};
    });
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    if (!IsWindow(hwnd) || hwnd == DesktopHandle()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return static_cast<BOOL>(
        RunOnOwner(hwnd, [=] { return static_cast<LRESULT>(ShowWindowInternal(hwnd, cmdShow)); }));
}

BOOL IsIconic(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    return w && (w->style & WS_MAXIMIZE);
}

BOOL IsWindowVisible(HWND hwnd) {
    if (hwnd == DesktopHandle()) return TRUE;
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    return w && IsVisibleLocked(w);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    if (hwnd == DesktopHandle()) {
        *rect = display::Current().ScreenRect();
        return TRUE;
    }
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = WindowRectScreenLocked(w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    if (hwnd == DesktopHandle()) {
        *rect = display::Current().ScreenRect();
        return TRUE;
    }
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, w->rcClient.right - w->rcClient.left, w->rcClient.bottom - w->rcClient.top};
    return TRUE;
}

static bool ClientOrigin(HWND hwnd, POINT* origin) {
    if (!hwnd || hwnd == DesktopHandle()) {
        *origin = POINT{0, 0};
        return true;
    }
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) return false;
    *origin = ClientOriginScreenLocked(w);
    return true;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    POINT o;
    if (!point || !ClientOrigin(hwnd, &o) || !hwnd) return FALSE;
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    POINT o;
    if (!point || !ClientOrigin(hwnd, &o) || !hwnd) return FALSE;
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT a, b;
    if (!ClientOrigin(from, &a) || !ClientOrigin(to, &b)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    int dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return static_cast<int>(MAKELPARAM(dx, dy));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    RECT f;
    FrameSizes(style, exStyle, &f);
    rect->left -= f.left;
    rect->top -= f.top + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
    rect->right += f.right;
    rect->bottom += f.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}

HWND WindowFromPoint(POINT point) {
    TreeGuard g(TreeLock());
    return WindowFromPointLocked(point, nullptr, {});
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    TreeGuard g(TreeLock());
    Window* p = FindLiveLocked(parent);
    if (!p) return nullptr;
    RECT client{0, 0, p->rcClient.right - p->rcClient.left, p->rcClient.bottom - p->rcClient.top};
    if (!PtInRect(&client, point)) return nullptr;
    for (Window* c : p->children) {
        if (PtInRect(&c->rcWindow, point)) return c->hwnd;
    }
    return parent;
}

// ---- rectangles ---------------------------------------------------------------------------------

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT dst, const RECT* src) {
    if (!dst || !src) return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
           point.y < rect->bottom;
}

BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dst = RECT{};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        *dst = RECT{};
        return FALSE;
    }
    if (ea) {
        *dst = *b;
    } else if (eb) {
        *dst = *a;
    } else {
        *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                    std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    }
    return TRUE;
}

BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    RECT r = *a;
    RECT i;
    if (IntersectRect(&i, a, b)) {
        // Only a cut that leaves a rectangle shrinks it.
        if (i.top == r.top && i.bottom == r.bottom) {
            if (i.left == r.left)
                r.left = i.right;
            else if (i.right == r.right)
                r.right = i.left;
        } else if (i.left == r.left && i.right == r.right) {
            if (i.top == r.top)
                r.top = i.bottom;
            else if (i.bottom == r.bottom)
                r.bottom = i.top;
        }
    }
    if (IsRectEmpty(&r)) {
        *dst = RECT{};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}
