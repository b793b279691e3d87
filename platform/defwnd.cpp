// DefWindowProcW: the system's default handling of every message a window does not handle.
#include <algorithm>
#include <cstring>

#include "platform/display/backend.h"
#include "platform/user_internal.h"
#include "platform/win_gdi.h"
#include "platform/win_kernel.h"

namespace user {

void CursorForHit(HWND hwnd, LRESULT hit) {
    LPCWSTR id = IDC_ARROW;
    switch (hit) {
        case HTCLIENT: {
            HCURSOR c = reinterpret_cast<HCURSOR>(GetClassLongPtrW(hwnd, GCLP_HCURSOR));
            if (c) SetCursor(c);
            return;
        }
        case HTLEFT:
        case HTRIGHT:
            id = IDC_SIZEWE;
            break;
        case HTTOP:
        case HTBOTTOM:
            id = IDC_SIZENS;
            break;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT:
            id = IDC_SIZENWSE;
            break;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT:
            id = IDC_SIZENESW;
            break;
        default:
            break;
    }
    SetCursor(LoadCursorW(nullptr, id));
}

void StartMoveSize(HWND hwnd, WPARAM cmd, LPARAM point);

namespace {

HWND ParentOf(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    return w && w->parent ? w->parent->hwnd : nullptr;
}

HWND RootOf(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    return w ? RootLocked(w)->hwnd : nullptr;
}

LRESULT CalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                     : reinterpret_cast<RECT*>(lParam);
    if (!r) return 0;
    DWORD style, ex;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return 0;
        style = w->style;
        ex = w->exStyle;
    }
    if (style & WS_MINIMIZE) return 0;
    RECT f;
    FrameSizes(style, ex, &f);
    r->left += f.left;
    r->top += f.top;
    r->right = std::max(r->left, r->right - f.right);
    r->bottom = std::max(r->top, r->bottom - f.bottom);
    return 0;
}

LRESULT SetCursorDefault(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    // The parent decides first.
    if (HWND parent = ParentOf(hwnd)) {
        if (SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
    }
    LRESULT hit = static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam)));
    if (hit == HTERROR) return FALSE;
    if (reinterpret_cast<HWND>(wParam) != hwnd && hit == HTCLIENT) return FALSE;
    CursorForHit(hwnd, hit);
    return TRUE;
}

LRESULT MinMaxInfoDefault(HWND, LPARAM) {
    return 0;
}

LRESULT PosChangingDefault(HWND hwnd, LPARAM lParam) {
    auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
    if (!wp || (wp->flags & SWP_NOSIZE)) return 0;
    DWORD style;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return 0;
        style = w->style;
    }
    if (!WantsMinMaxInfo(style) || (style & (WS_MINIMIZE | WS_MAXIMIZE))) return 0;
    MINMAXINFO mmi;
    DefaultMinMaxInfo(hwnd, &mmi);
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    wp->cx = std::max<int>(std::min<int>(wp->cx, mmi.ptMaxTrackSize.x), mmi.ptMinTrackSize.x);
    wp->cy = std::max<int>(std::min<int>(wp->cy, mmi.ptMaxTrackSize.y), mmi.ptMinTrackSize.y);
    return 0;
}

LRESULT PosChangedDefault(HWND hwnd, LPARAM lParam) {
    auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
    if (!wp) return 0;
    RECT client;
    DWORD style;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return 0;
        client = w->rcClient;
        style = w->style;
    }
    if (!(wp->flags & SWP_NOCLIENTSIZE)) {
        WPARAM kind = (style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                      : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                              : SIZE_RESTORED;
        SendMessageW(hwnd, WM_SIZE, kind,
                     MAKELPARAM(client.right - client.left, client.bottom - client.top));
    }
    if (!(wp->flags & SWP_NOCLIENTMOVE)) {
        SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
    }
    return 0;
}

LRESULT SysCommandDefault(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            return 0;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            return 0;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            return 0;
        case SC_MOVE:
        case SC_SIZE:
            StartMoveSize(hwnd, wParam, lParam);
            return 0;
        default:
            return 0;
    }
}

LRESULT NcButtonDown(HWND hwnd, WPARAM hit, LPARAM lParam) {
    switch (hit) {
        case HTCAPTION: {
            HWND root = RootOf(hwnd);
            if (root == hwnd) SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
            return 0;
        }
        case HTLEFT:
        case HTRIGHT:
        case HTTOP:
        case HTTOPLEFT:
        case HTTOPRIGHT:
        case HTBOTTOM:
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT:
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE + (hit - HTLEFT + 1), lParam);
            return 0;
        default:
            return 0;
    }
}

LRESULT NcButtonUp(HWND hwnd, WPARAM hit, LPARAM lParam) {
    switch (hit) {
        case HTCLOSE:
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
            return 0;
        case HTMINBUTTON:
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, lParam);
            return 0;
        case HTMAXBUTTON:
            SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
            return 0;
        default:
            return 0;
    }
}

LRESULT GetTextDefault(HWND hwnd, WPARAM max, LPARAM lParam) {
    auto* buf = reinterpret_cast<wchar_t*>(lParam);
    if (!buf || max == 0) return 0;
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    if (!w) {
        buf[0] = L'\0';
        return 0;
    }
    size_t n = std::min(w->text.size(), static_cast<size_t>(max - 1));
    w->text.copy(buf, n);
    buf[n] = L'\0';
    return static_cast<LRESULT>(n);
}

LRESULT SetTextDefault(HWND hwnd, LPARAM lParam) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(lParam);
    bool top;
    std::wstring copy = text ? text : L"";
    {
        TreeGuard g(TreeLock());
        Window* w = FindLocked(hwnd);
        if (!w) return FALSE;
        w->text = copy;
        top = !w->parent;
        if ((w->style & WS_CAPTION) == WS_CAPTION) {
            w->ncPaintNeeded = true;
            w->queue->Signal();
        }
    }
    if (top) display::Current().WindowTitleChanged(hwnd, copy);
    return TRUE;
}

}  // namespace

// The window follows the mouse (SC_MOVE) or one of its edges does (SC_SIZE) until the left
// button comes up; the input layer drives it without a nested message loop.
// point: where the drag started (screen), as the button message carried it; 0 takes the
// position of the last message retrieved.
void StartMoveSize(HWND hwnd, WPARAM cmd, LPARAM point) {
    if (GetKeyState(VK_LBUTTON) >= 0) return;
    ThreadQueue& q = CurrentQueue();
    if (q.moveSize.hwnd) return;
    MoveSizeState s;
    s.hwnd = hwnd;
    s.cmd = cmd;
    DWORD pos = point ? static_cast<DWORD>(point) : GetMessagePos();
    s.start = POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return;
        s.startRect = w->rcWindow;
    }
    SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    q.moveSize = s;
    SetCapture(hwnd);
}

}  // namespace user

using namespace user;

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCREATE: {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
                SetTextDefault(hwnd, reinterpret_cast<LPARAM>(cs->lpszName));
            }
            return TRUE;
        }
        case WM_NCCALCSIZE:
            return CalcSize(hwnd, wParam, lParam);
        case WM_NCHITTEST:
            return DefaultHitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        case WM_NCPAINT:
            DrawNonClient(hwnd);
            return 0;
        case WM_NCACTIVATE: {
            TreeGuard g(TreeLock());
            if (Window* w = FindLiveLocked(hwnd)) w->ncPaintNeeded = true;
            return TRUE;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(hwnd);
            return 0;
        case WM_MOUSEACTIVATE: {
            if (HWND parent = ParentOf(hwnd)) {
                LRESULT r = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam);
                if (r) return r;
            }
            return MA_ACTIVATE;
        }
        case WM_SETCURSOR:
            return SetCursorDefault(hwnd, wParam, lParam);
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_SYSCOMMAND:
            return SysCommandDefault(hwnd, wParam, lParam);
        case WM_NCLBUTTONDOWN:
            return NcButtonDown(hwnd, wParam, lParam);
        case WM_NCLBUTTONUP:
            return NcButtonUp(hwnd, wParam, lParam);
        case WM_NCLBUTTONDBLCLK:
            if (wParam == HTCAPTION && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX)) {
                SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE,
                             lParam);
            }
            return 0;
        case WM_RBUTTONUP: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd, &p);
            SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                         MAKELPARAM(p.x, p.y));
            return 0;
        }
        case WM_NCRBUTTONUP:
            SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
            return 0;
        case WM_CONTEXTMENU:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL: {
            // Passed up the parent chain until someone handles it.
            HWND parent = ParentOf(hwnd);
            return parent ? SendMessageW(parent, msg, wParam, lParam) : 0;
        }
        case WM_KEYUP:
            if (wParam == VK_APPS) {
                SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                             MAKELPARAM(-1, -1));
            }
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4 && (lParam & (1 << 29))) {
                SendMessageW(RootOf(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
            } else if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
                SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                             MAKELPARAM(-1, -1));
            }
            return 0;
        case WM_SETTEXT:
            return SetTextDefault(hwnd, lParam);
        case WM_GETTEXT:
            return GetTextDefault(hwnd, wParam, lParam);
        case WM_GETTEXTLENGTH: {
            TreeGuard g(TreeLock());
            Window* w = FindLocked(hwnd);
            return w ? static_cast<LRESULT>(w->text.size()) : 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH b = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
            if (!b || !wParam) return 0;
            EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
            return 1;
        }
        case WM_WINDOWPOSCHANGING:
            return PosChangingDefault(hwnd, lParam);
        case WM_WINDOWPOSCHANGED:
            return PosChangedDefault(hwnd, lParam);
        case WM_GETMINMAXINFO:
            return MinMaxInfoDefault(hwnd, lParam);
        case WM_CANCELMODE:
            if (GetCapture() == hwnd) ReleaseCapture();
            return 0;
        case WM_QUERYENDSESSION:
        case WM_QUERYOPEN:
            return TRUE;
        case WM_SETICON:
        case WM_GETICON: {
            TreeGuard g(TreeLock());
            Window* w = FindLiveLocked(hwnd);
            if (!w) return 0;
            HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
            HICON old = slot;
            if (msg == WM_SETICON) slot = reinterpret_cast<HICON>(lParam);
            return reinterpret_cast<LRESULT>(old);
        }
        default:
            return 0;
    }
}
