// Input: injected mouse and keyboard events, their routing to windows, key state, mouse tracking,
// character translation, cursors and the caret.
//
// Events wait in one system queue in the order they happened. A thread takes the event at the
// head only when it is the one the event goes to, and routes it while it retrieves messages:
// WM_NCHITTEST, WM_SETCURSOR and WM_MOUSEACTIVATE are sent then, and the capture set while
// handling an earlier event applies to a later one, as on Windows.
#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "platform/display/backend.h"
#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace user {
namespace {

struct RawInput {
    bool mouse = false;
    DWORD what = 0;  // one MOUSEEVENTF_ flag for mouse events
    POINT pt{};
    int wheel = 0;
    WORD xbutton = 0;
    WORD vk = 0;
    WORD scan = 0;
    wchar_t ch = 0;
    bool up = false;
    bool extended = false;
    bool wasDown = false;  // keyboard: the key was down before this event
    DWORD time = 0;
};

struct Track {
    HWND hwnd = nullptr;
    bool leave = false;
    bool hover = false;
    bool nonclient = false;
    DWORD hoverTime = 0;
    uint64_t hoverStart = 0;
    POINT hoverPt{};
};

struct LastClick {
    HWND hwnd = nullptr;
    UINT button = 0;  // the button-down message
    DWORD time = 0;
    POINT pt{};
};

// All guarded by the tree lock.
struct InputState {
    POINT cursor{0, 0};
    BYTE async[256] = {};
    BYTE processed[256] = {};
    std::deque<RawInput> raw;
    std::vector<Track> tracks;
    HWND mouseWindow = nullptr;
    bool mouseClient = false;
    LastClick lastClick;
    HCURSOR cursorShape = nullptr;
    int showCount = 0;
};

InputState& St() {
    static InputState* s = new InputState;
    return *s;
}

bool IsExtendedKey(WORD vk) {
    switch (vk) {
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_SNAPSHOT:
            return true;
        default:
            return false;
    }
}

WORD ScanOf(WORD vk) {
    static const char* letters = "QWERTYUIOPASDFGHJKLZXCVBNM";
    static const BYTE letterScans[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                       0x19, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
                                       0x26, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
    for (int i = 0; letters[i]; ++i) {
        if (vk == static_cast<WORD>(letters[i])) return letterScans[i];
    }
    if (vk >= '1' && vk <= '9') return static_cast<WORD>(0x02 + (vk - '1'));
    if (vk >= VK_F1 && vk <= VK_F10) return static_cast<WORD>(0x3B + (vk - VK_F1));
    switch (vk) {
        case '0':
            return 0x0B;
        case VK_ESCAPE:
            return 0x01;
        case VK_OEM_MINUS:
            return 0x0C;
        case VK_OEM_PLUS:
            return 0x0D;
        case VK_BACK:
            return 0x0E;
        case VK_TAB:
            return 0x0F;
        case VK_OEM_4:
            return 0x1A;
        case VK_OEM_6:
            return 0x1B;
        case VK_RETURN:
            return 0x1C;
        case VK_CONTROL:
        case VK_LCONTROL:
        case VK_RCONTROL:
            return 0x1D;
        case VK_OEM_1:
            return 0x27;
        case VK_OEM_7:
            return 0x28;
        case VK_OEM_3:
            return 0x29;
        case VK_SHIFT:
        case VK_LSHIFT:
            return 0x2A;
        case VK_OEM_5:
            return 0x2B;
        case VK_OEM_COMMA:
            return 0x33;
        case VK_OEM_PERIOD:
            return 0x34;
        case VK_OEM_2:
            return 0x35;
        case VK_RSHIFT:
            return 0x36;
        case VK_MENU:
        case VK_LMENU:
        case VK_RMENU:
            return 0x38;
        case VK_SPACE:
            return 0x39;
        case VK_CAPITAL:
            return 0x3A;
        case VK_F11:
            return 0x57;
        case VK_F12:
            return 0x58;
        case VK_HOME:
            return 0x47;
        case VK_UP:
            return 0x48;
        case VK_PRIOR:
            return 0x49;
        case VK_LEFT:
            return 0x4B;
        case VK_RIGHT:
            return 0x4D;
        case VK_END:
            return 0x4F;
        case VK_DOWN:
            return 0x50;
        case VK_NEXT:
            return 0x51;
        case VK_INSERT:
            return 0x52;
        case VK_DELETE:
            return 0x53;
        case VK_LWIN:
            return 0x5B;
        case VK_RWIN:
            return 0x5C;
        case VK_APPS:
            return 0x5D;
        default:
            return 0;
    }
}

// The key a message reports: the side-neutral code for Shift, Ctrl and Alt.
WORD GenericKey(WORD vk) {
    switch (vk) {
        case VK_LSHIFT:
        case VK_RSHIFT:
            return VK_SHIFT;
        case VK_LCONTROL:
        case VK_RCONTROL:
            return VK_CONTROL;
        case VK_LMENU:
        case VK_RMENU:
            return VK_MENU;
        default:
            return vk;
    }
}

// Updates a key-state array for one event; answers whether the key was down before.
bool ApplyKey(BYTE* state, const RawInput& ev) {
    if (ev.mouse) {
        int vk = 0;
        bool down = false;
        switch (ev.what) {
            case MOUSEEVENTF_LEFTDOWN:
                vk = VK_LBUTTON;
                down = true;
                break;
            case MOUSEEVENTF_LEFTUP:
                vk = VK_LBUTTON;
                break;
            case MOUSEEVENTF_RIGHTDOWN:
                vk = VK_RBUTTON;
                down = true;
                break;
            case MOUSEEVENTF_RIGHTUP:
                vk = VK_RBUTTON;
                break;
            case MOUSEEVENTF_MIDDLEDOWN:
                vk = VK_MBUTTON;
                down = true;
                break;
            case MOUSEEVENTF_MIDDLEUP:
                vk = VK_MBUTTON;
                break;
            case MOUSEEVENTF_XDOWN:
                vk = ev.xbutton == 2 ? VK_XBUTTON2 : VK_XBUTTON1;
                down = true;
                break;
            case MOUSEEVENTF_XUP:
                vk = ev.xbutton == 2 ? VK_XBUTTON2 : VK_XBUTTON1;
                break;
            default:
                return false;
        }
        bool was = state[vk] & 0x80;
        state[vk] = static_cast<BYTE>((down ? 0x80 : 0) |
                                      ((down && !was) ? (state[vk] ^ 1) & 1 : state[vk] & 1));
        return was;
    }
    WORD vk = ev.vk;
    WORD sided = vk;
    if (vk == VK_SHIFT) sided = ev.scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    if (vk == VK_CONTROL) sided = ev.extended ? VK_RCONTROL : VK_LCONTROL;
    if (vk == VK_MENU) sided = ev.extended ? VK_RMENU : VK_LMENU;
    WORD generic = GenericKey(sided);
    bool was = state[generic] & 0x80;
    auto set = [&](WORD k, bool down) {
        bool before = state[k] & 0x80;
        BYTE toggle = state[k] & 1;
        if (down && !before) toggle ^= 1;
        state[k] = static_cast<BYTE>((down ? 0x80 : 0) | toggle);
    };
    set(sided, !ev.up);
    if (generic != sided) {
        WORD left = 0, right = 0;
        if (generic == VK_SHIFT) left = VK_LSHIFT, right = VK_RSHIFT;
        if (generic == VK_CONTROL) left = VK_LCONTROL, right = VK_RCONTROL;
        if (generic == VK_MENU) left = VK_LMENU, right = VK_RMENU;
        set(generic, ((state[left] | state[right]) & 0x80) != 0);
    }
    return was;
}

WPARAM MouseKeys(const BYTE* s) {
    WPARAM k = 0;
    if (s[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
    if (s[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
    if (s[VK_SHIFT] & 0x80) k |= MK_SHIFT;
    if (s[VK_CONTROL] & 0x80) k |= MK_CONTROL;
    if (s[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
    if (s[VK_XBUTTON1] & 0x80) k |= MK_XBUTTON1;
    if (s[VK_XBUTTON2] & 0x80) k |= MK_XBUTTON2;
    return k;
}

bool Live(HWND h) {
    return h && FindLiveLocked(h);
}

std::shared_ptr<ThreadQueue> OwnerOfLocked(const RawInput& ev) {
    auto fg = ForegroundQueueLocked();
    if (!ev.mouse) {
        if (fg && (Live(fg->focus) || Live(fg->active))) return fg;
        return nullptr;
    }
    Window* under = FindLiveLocked(WindowFromPointLocked(ev.pt, nullptr, {}));
    if (ev.what == MOUSEEVENTF_WHEEL || ev.what == MOUSEEVENTF_HWHEEL) {
        if (fg && Live(fg->focus)) return fg;
        return under ? under->queue : nullptr;
    }
    if (under && Live(under->queue->capture)) return under->queue;
    if (fg && Live(fg->capture)) return fg;
    if (under) return under->queue;
    // Over no window: the foreground thread decides when it gets there, since a capture it
    // sets while handling earlier input may claim the event yet.
    return fg;
}

// The pointer is now over `target` (client area or not): tracked windows it left hear of it.
void MouseOverLocked(HWND target, bool client) {
    InputState& s = St();
    s.mouseWindow = target;
    s.mouseClient = client;
    for (auto it = s.tracks.begin(); it != s.tracks.end();) {
        bool left = it->hwnd != target || (it->nonclient ? client : !client);
        if (it->leave && left) {
            Window* w = FindLiveLocked(it->hwnd);
            if (w) {
                MSG m{};
                m.hwnd = it->hwnd;
                m.message = it->nonclient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE;
                m.time = GetTickCount();
                m.pt = s.cursor;
                PostToQueueLocked(*w->queue, m);
            }
            it = s.tracks.erase(it);  // leaving ends all tracking of that window
            continue;
        }
        ++it;
    }
}

void NotifyHeadOwnerLocked(ThreadQueue* except) {
    InputState& s = St();
    while (!s.raw.empty()) {
        auto owner = OwnerOfLocked(s.raw.front());
        if (owner) {
            if (owner.get() != except) owner->Signal();
            return;
        }
        // Nobody takes it: the event only changes the state.
        RawInput ev = s.raw.front();
        s.raw.pop_front();
        ApplyKey(s.processed, ev);
        if (ev.mouse) MouseOverLocked(nullptr, false);
    }
}

UINT ClientMessageOf(DWORD what) {
    switch (what) {
        case MOUSEEVENTF_MOVE:
            return WM_MOUSEMOVE;
        case MOUSEEVENTF_LEFTDOWN:
            return WM_LBUTTONDOWN;
        case MOUSEEVENTF_LEFTUP:
            return WM_LBUTTONUP;
        case MOUSEEVENTF_RIGHTDOWN:
            return WM_RBUTTONDOWN;
        case MOUSEEVENTF_RIGHTUP:
            return WM_RBUTTONUP;
        case MOUSEEVENTF_MIDDLEDOWN:
            return WM_MBUTTONDOWN;
        case MOUSEEVENTF_MIDDLEUP:
            return WM_MBUTTONUP;
        case MOUSEEVENTF_XDOWN:
            return WM_XBUTTONDOWN;
        case MOUSEEVENTF_XUP:
            return WM_XBUTTONUP;
        default:
            return 0;
    }
}

UINT NonClientOf(UINT client) {
    switch (client) {
        case WM_MOUSEMOVE:
            return WM_NCMOUSEMOVE;
        case WM_LBUTTONDOWN:
            return WM_NCLBUTTONDOWN;
        case WM_LBUTTONUP:
            return WM_NCLBUTTONUP;
        case WM_LBUTTONDBLCLK:
            return WM_NCLBUTTONDBLCLK;
        case WM_RBUTTONDOWN:
            return WM_NCRBUTTONDOWN;
        case WM_RBUTTONUP:
            return WM_NCRBUTTONUP;
        case WM_RBUTTONDBLCLK:
            return WM_NCRBUTTONDBLCLK;
        case WM_MBUTTONDOWN:
            return WM_NCMBUTTONDOWN;
        case WM_MBUTTONUP:
            return WM_NCMBUTTONUP;
        case WM_MBUTTONDBLCLK:
            return WM_NCMBUTTONDBLCLK;
        default:
            return 0;
    }
}

bool IsButtonDown(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
           msg == WM_XBUTTONDOWN;
}

void CookMouse(ThreadQueue& q, const RawInput& ev) {
    const POINT pt = ev.pt;
    HWND target = nullptr;
    LRESULT hit = HTCLIENT;
    bool captured = false;
    {
        TreeGuard g(TreeLock());
        if (Live(q.capture)) {
            target = q.capture;
            captured = true;
        }
    }
    if (!captured) {
        std::vector<HWND> skip;
        for (;;) {
            {
                TreeGuard g(TreeLock());
                target = WindowFromPointLocked(pt, nullptr, skip);
                Window* w = FindLiveLocked(target);
                if (!w || w->queue.get() != &q) target = nullptr;
            }
            if (!target) break;
            hit = SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
            if (hit != HTTRANSPARENT) break;
            skip.push_back(target);
        }
    }
    UINT msg = ClientMessageOf(ev.what);
    bool client = captured || hit == HTCLIENT;
    bool disabledRoot = false;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(target);
        if (!w) {
            MouseOverLocked(nullptr, false);
            return;
        }
        MouseOverLocked(target, client);
        if (msg == WM_MOUSEMOVE) {
            for (auto& t : St().tracks) {
                if (t.hwnd == target && t.hover &&
                    (std::abs(pt.x - t.hoverPt.x) > 2 || std::abs(pt.y - t.hoverPt.y) > 2)) {
                    t.hoverPt = pt;
                    t.hoverStart = NowMs();
                }
            }
        }
        disabledRoot = (RootLocked(w)->style & WS_DISABLED) != 0;
    }
    if (!captured) {
        if (disabledRoot) {
            SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                         MAKELPARAM(static_cast<int>(HTERROR), static_cast<int>(msg)));
            return;
        }
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(static_cast<int>(hit), static_cast<int>(msg)));
    }
    if (hit == HTERROR || !IsWindow(target)) return;
    if (IsButtonDown(msg) && !captured) {
        HWND root = GetAncestor(target, GA_ROOT);
        bool inactive, noActivate;
        {
            TreeGuard g(TreeLock());
            inactive = q.active != root;
            Window* r = FindLiveLocked(root);
            noActivate = !r || (r->exStyle & WS_EX_NOACTIVATE);
        }
        if (inactive) {
            LRESULT ma = SendMessageW(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root),
                                      MAKELPARAM(static_cast<int>(hit), static_cast<int>(msg)));
            if ((ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) && !noActivate) {
                ActivateWindow(root, WA_CLICKACTIVE, true);
            }
            if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return;
        }
        if (!IsWindow(target)) return;
    }
    MSG m{};
    m.hwnd = target;
    m.time = ev.time;
    m.pt = pt;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(target);
        if (!w) return;
        InputState& s = St();
        if (IsButtonDown(msg)) {
            // A second press of the same button, soon and close by, is a double click.
            LastClick& lc = s.lastClick;
            bool dbl = lc.hwnd == target && lc.button == msg &&
                       ev.time - lc.time <= GetDoubleClickTime() &&
                       std::abs(pt.x - lc.pt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                       std::abs(pt.y - lc.pt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2 &&
                       (!client || (w->cls->style & CS_DBLCLKS));
            if (dbl) {
                lc = LastClick{};
                msg += 2;  // WM_xBUTTONDOWN + 2 is WM_xBUTTONDBLCLK
            } else {
                lc = LastClick{target, msg, ev.time, pt};
            }
        }
        if (client) {
            POINT o = ClientOriginScreenLocked(w);
            m.message = msg;
            m.wParam = MouseKeys(s.processed);
            if (msg >= WM_XBUTTONDOWN && msg <= WM_XBUTTONDBLCLK) {
                m.wParam |= static_cast<WPARAM>(ev.xbutton) << 16;
            }
            m.lParam = MAKELPARAM(pt.x - o.x, pt.y - o.y);
        } else {
            m.message = NonClientOf(msg);
            if (!m.message) return;  // X buttons outside the client area are not reported
            m.wParam = static_cast<WPARAM>(hit);
            m.lParam = MAKELPARAM(pt.x, pt.y);
        }
    }
    q.cookedInput.push_back(m);
}

void CookWheel(ThreadQueue& q, const RawInput& ev) {
    MSG m{};
    {
        TreeGuard g(TreeLock());
        HWND target = Live(q.focus) ? q.focus : nullptr;
        if (!target) {
            Window* w = FindLiveLocked(WindowFromPointLocked(ev.pt, nullptr, {}));
            if (w && w->queue.get() == &q) target = w->hwnd;
        }
        if (!target) return;
        m.hwnd = target;
        m.message = ev.what == MOUSEEVENTF_HWHEEL ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
        m.wParam = MAKEWPARAM(static_cast<int>(MouseKeys(St().processed)), ev.wheel);
        m.lParam = MAKELPARAM(ev.pt.x, ev.pt.y);
        m.time = ev.time;
        m.pt = ev.pt;
    }
    q.cookedInput.push_back(m);
}

void CookKey(ThreadQueue& q, const RawInput& ev) {
    MSG m{};
    TreeGuard g(TreeLock());
    const BYTE* s = St().processed;
    bool alt = s[VK_MENU] & 0x80;
    bool ctrl = s[VK_CONTROL] & 0x80;
    HWND target = Live(q.focus) ? q.focus : nullptr;
    bool sys = false;
    if (!target) {
        target = Live(q.active) ? q.active : nullptr;
        sys = true;
    }
    if (!target) return;
    WORD vk = GenericKey(ev.vk);
    if (vk == VK_MENU || vk == VK_F10 || (alt && !ctrl)) sys = true;
    m.hwnd = target;
    m.message = ev.up ? (sys ? WM_SYSKEYUP : WM_KEYUP) : (sys ? WM_SYSKEYDOWN : WM_KEYDOWN);
    m.wParam = vk;
    DWORD lp = 1u | (static_cast<DWORD>(ev.scan & 0xFF) << 16);
    if (ev.extended) lp |= 1u << 24;
    if (alt) lp |= 1u << 29;
    if (ev.up || ev.wasDown) lp |= 1u << 30;
    if (ev.up) lp |= 1u << 31;
    m.lParam = static_cast<LPARAM>(lp);
    m.time = ev.time;
    m.pt = St().cursor;
    m.lPrivate = static_cast<DWORD>(ev.ch);
    g.unlock();
    q.cookedInput.push_back(m);
}

void EndMoveSize(ThreadQueue& q) {
    HWND hwnd = q.moveSize.hwnd;
    q.moveSize = MoveSizeState{};
    if (GetCapture() == hwnd) ReleaseCapture();
    SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

void DriveMoveSize(ThreadQueue& q, const RawInput& ev) {
    MoveSizeState s = q.moveSize;
    if (!IsWindow(s.hwnd) || GetCapture() != s.hwnd) {
        q.moveSize = MoveSizeState{};
        if (IsWindow(s.hwnd)) SendMessageW(s.hwnd, WM_EXITSIZEMOVE, 0, 0);
        return;
    }
    RECT r = s.startRect;
    if (ev.mouse && ev.what == MOUSEEVENTF_MOVE) {
        int dx = ev.pt.x - s.start.x, dy = ev.pt.y - s.start.y;
        if ((s.cmd & 0xFFF0) == SC_MOVE) {
            OffsetRect(&r, dx, dy);
            SendMessageW(s.hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
        } else {
            int edge = static_cast<int>(s.cmd & 0xF);  // WMSZ_LEFT (1) .. WMSZ_BOTTOMRIGHT (8)
            if (edge == 1 || edge == 4 || edge == 7) r.left += dx;
            if (edge == 2 || edge == 5 || edge == 8) r.right += dx;
            if (edge == 3 || edge == 4 || edge == 5) r.top += dy;
            if (edge == 6 || edge == 7 || edge == 8) r.bottom += dy;
            SendMessageW(s.hwnd, WM_SIZING, static_cast<WPARAM>(edge),
                         reinterpret_cast<LPARAM>(&r));
        }
        SetWindowPos(s.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (ev.mouse && ev.what == MOUSEEVENTF_LEFTUP) {
        EndMoveSize(q);
    } else if (!ev.mouse && !ev.up && ev.vk == VK_ESCAPE) {
        SetWindowPos(s.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        EndMoveSize(q);
    }
}

// Routes the head event if it is this thread's. False when there is none for this thread.
bool CookOne(ThreadQueue& q) {
    RawInput ev;
    {
        TreeGuard g(TreeLock());
        InputState& s = St();
        for (;;) {
            if (s.raw.empty()) return false;
            auto owner = OwnerOfLocked(s.raw.front());
            if (!owner) {
                NotifyHeadOwnerLocked(&q);  // drops events nobody takes
                continue;
            }
            if (owner.get() != &q) {
                owner->Signal();
                return false;
            }
            ev = s.raw.front();
            s.raw.pop_front();
            ev.wasDown = ApplyKey(s.processed, ev);
            break;
        }
    }
    if (q.moveSize.hwnd) {
        DriveMoveSize(q, ev);
    } else if (!ev.mouse) {
        CookKey(q, ev);
    } else if (ev.what == MOUSEEVENTF_WHEEL || ev.what == MOUSEEVENTF_HWHEEL) {
        CookWheel(q, ev);
    } else {
        CookMouse(q, ev);
    }
    TreeGuard g(TreeLock());
    NotifyHeadOwnerLocked(&q);
    return true;
}

wchar_t CharOf(WORD vk, const BYTE* s) {
    bool shift = s[VK_SHIFT] & 0x80;
    bool caps = s[VK_CAPITAL] & 1;
    bool ctrl = s[VK_CONTROL] & 0x80;
    bool alt = s[VK_MENU] & 0x80;
    if (ctrl && !alt) {
        if (vk >= 'A' && vk <= 'Z') return static_cast<wchar_t>(vk - 'A' + 1);
        switch (vk) {
            case VK_OEM_4:
                return 27;
            case VK_OEM_5:
                return 28;
            case VK_OEM_6:
                return 29;
            case VK_RETURN:
                return 10;
            case VK_BACK:
                return 127;
            case VK_SPACE:
                return L' ';
            default:
                return 0;
        }
    }
    if (vk >= 'A' && vk <= 'Z') {
        return static_cast<wchar_t>((shift != caps) ? vk : vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9') {
        static const wchar_t shifted[] = L")!@#$%^&*(";
        return shift ? shifted[vk - '0'] : static_cast<wchar_t>(vk);
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<wchar_t>(L'0' + (vk - VK_NUMPAD0));
    struct Pair {
        WORD vk;
        wchar_t plain, shifted;
    };
    static const Pair pairs[] = {
        {VK_SPACE, L' ', L' '},
        {VK_RETURN, L'\r', L'\r'},
        {VK_BACK, 8, 8},
        {VK_TAB, 9, 9},
        {VK_ESCAPE, 27, 27},
        {VK_OEM_1, L';', L':'},
        {VK_OEM_PLUS, L'=', L'+'},
        {VK_OEM_COMMA, L',', L'<'},
        {VK_OEM_MINUS, L'-', L'_'},
        {VK_OEM_PERIOD, L'.', L'>'},
        {VK_OEM_2, L'/', L'?'},
        {VK_OEM_3, L'`', L'~'},
        {VK_OEM_4, L'[', L'{'},
        {VK_OEM_5, L'\\', L'|'},
        {VK_OEM_6, L']', L'}'},
        {VK_OEM_7, L'\'', L'"'},
        {VK_MULTIPLY, L'*', L'*'},
        {VK_ADD, L'+', L'+'},
        {VK_SUBTRACT, L'-', L'-'},
        {VK_DECIMAL, L'.', L'.'},
        {VK_DIVIDE, L'/', L'/'},
    };
    for (const auto& p : pairs) {
        if (p.vk == vk) return shift ? p.shifted : p.plain;
    }
    return 0;
}

void PushRawLocked(const RawInput& ev) {
    St().raw.push_back(ev);
}

struct Caret {
    HWND hwnd = nullptr;
    int width = 0;
    int height = 0;
    POINT pos{};
    int hidden = 1;
};
thread_local Caret t_caret;

std::atomic<int> g_cursorCount{0};

}  // namespace

POINT CursorPosLocked() {
    return St().cursor;
}

bool NextInputMessage(ThreadQueue& q, HWND filter, UINT min, UINT max, bool remove, MSG* out) {
    for (;;) {
        for (auto it = q.cookedInput.begin(); it != q.cookedInput.end(); ++it) {
            if (!MessageMatches(*it, filter, min, max)) continue;
            *out = *it;
            if (remove) q.cookedInput.erase(it);
            return true;
        }
        if (!CookOne(q)) return false;
    }
}

void CheckHover(ThreadQueue& q, uint64_t* nextDue) {
    TreeGuard g(TreeLock());
    InputState& s = St();
    if (s.tracks.empty()) return;
    uint64_t now = NowMs();
    for (auto it = s.tracks.begin(); it != s.tracks.end();) {
        Window* w = FindLiveLocked(it->hwnd);
        if (!w) {
            it = s.tracks.erase(it);
            continue;
        }
        if (it->hover && w->queue.get() == &q) {
            uint64_t due = it->hoverStart + it->hoverTime;
            bool over = s.mouseWindow == it->hwnd && s.mouseClient != it->nonclient;
            if (now >= due && over) {
                MSG m{};
                m.hwnd = it->hwnd;
                m.time = GetTickCount();
                m.pt = s.cursor;
                if (it->nonclient) {
                    m.message = WM_NCMOUSEHOVER;
                    m.wParam = static_cast<WPARAM>(HTCLIENT);
                    m.lParam = MAKELPARAM(s.cursor.x, s.cursor.y);
                } else {
                    POINT o = ClientOriginScreenLocked(w);
                    m.message = WM_MOUSEHOVER;
                    m.wParam = MouseKeys(s.processed);
                    m.lParam = MAKELPARAM(s.cursor.x - o.x, s.cursor.y - o.y);
                }
                PostToQueueLocked(q, m);
                it->hover = false;
            } else if (now < due) {
                *nextDue = std::min(*nextDue, due);
            }
        }
        if (!it->hover && !it->leave) {
            it = s.tracks.erase(it);
            continue;
        }
        ++it;
    }
}

void ForgetWindowInput(HWND hwnd) {
    if (!hwnd) return;
    InputState& s = St();
    s.tracks.erase(std::remove_if(s.tracks.begin(), s.tracks.end(),
                                  [&](const Track& t) { return t.hwnd == hwnd; }),
                   s.tracks.end());
    if (s.mouseWindow == hwnd) s.mouseWindow = nullptr;
    if (s.lastClick.hwnd == hwnd) s.lastClick = LastClick{};
}

}  // namespace user

using namespace user;

UINT SendInput(UINT count, LPINPUT inputs, int size) {
    if (!inputs || size != static_cast<int>(sizeof(INPUT))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    RECT screen = display::Current().ScreenRect();
    TreeGuard g(TreeLock());
    InputState& s = St();
    for (UINT i = 0; i < count; ++i) {
        const INPUT& in = inputs[i];
        RawInput ev;
        ev.time = 0;
        if (in.type == INPUT_MOUSE) {
            const MOUSEINPUT& mi = in.mi;
            ev.mouse = true;
            ev.time = mi.time ? mi.time : GetTickCount();
            if (mi.dwFlags & MOUSEEVENTF_MOVE) {
                POINT p = s.cursor;
                if (mi.dwFlags & MOUSEEVENTF_ABSOLUTE) {
                    p.x = static_cast<LONG>(static_cast<long long>(mi.dx) *
                                            (screen.right - screen.left) / 65536) +
                          screen.left;
                    p.y = static_cast<LONG>(static_cast<long long>(mi.dy) *
                                            (screen.bottom - screen.top) / 65536) +
                          screen.top;
                } else {
                    p.x += mi.dx;
                    p.y += mi.dy;
                }
                p.x = std::clamp<LONG>(p.x, screen.left, screen.right - 1);
                p.y = std::clamp<LONG>(p.y, screen.top, screen.bottom - 1);
                s.cursor = p;
                ev.what = MOUSEEVENTF_MOVE;
                ev.pt = p;
                PushRawLocked(ev);
            }
            static const DWORD order[] = {MOUSEEVENTF_LEFTDOWN,   MOUSEEVENTF_LEFTUP,
                                          MOUSEEVENTF_RIGHTDOWN,  MOUSEEVENTF_RIGHTUP,
                                          MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP,
                                          MOUSEEVENTF_XDOWN,      MOUSEEVENTF_XUP,
                                          MOUSEEVENTF_WHEEL,      MOUSEEVENTF_HWHEEL};
            for (DWORD what : order) {
                if (!(mi.dwFlags & what)) continue;
                RawInput b = ev;
                b.what = what;
                b.pt = s.cursor;
                if (what == MOUSEEVENTF_WHEEL || what == MOUSEEVENTF_HWHEEL) {
                    b.wheel = static_cast<int>(static_cast<LONG>(mi.mouseData));
                }
                if (what == MOUSEEVENTF_XDOWN || what == MOUSEEVENTF_XUP) {
                    b.xbutton = (mi.mouseData & 2) ? 2 : 1;
                }
                ApplyKey(s.async, b);
                PushRawLocked(b);
            }
        } else if (in.type == INPUT_KEYBOARD) {
            const KEYBDINPUT& ki = in.ki;
            ev.time = ki.time ? ki.time : GetTickCount();
            ev.up = (ki.dwFlags & KEYEVENTF_KEYUP) != 0;
            if (ki.dwFlags & KEYEVENTF_UNICODE) {
                ev.vk = VK_PACKET;
                ev.ch = static_cast<wchar_t>(ki.wScan);
                ev.scan = 0;
            } else {
                ev.vk = ki.wVk;
                if (!ev.vk) continue;
                ev.scan = ki.wScan ? ki.wScan : ScanOf(ki.wVk);
                ev.extended = (ki.dwFlags & KEYEVENTF_EXTENDEDKEY) || IsExtendedKey(ki.wVk);
            }
            ApplyKey(s.async, ev);
            PushRawLocked(ev);
        } else {
            continue;
        }
    }
    NotifyHeadOwnerLocked(nullptr);
    return count;
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme) {
    if (!tme) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ThreadQueue& q = CurrentQueue();
    TreeGuard g(TreeLock());
    InputState& s = St();
    if (tme->dwFlags & TME_QUERY) {
        for (const auto& t : s.tracks) {
            Window* w = FindLiveLocked(t.hwnd);
            if (!w || w->queue.get() != &q) continue;
            tme->hwndTrack = t.hwnd;
            tme->dwFlags = (t.leave ? TME_LEAVE : 0) | (t.hover ? TME_HOVER : 0) |
                           (t.nonclient ? TME_NONCLIENT : 0);
            tme->dwHoverTime = t.hoverTime;
            return TRUE;
        }
        tme->dwFlags = 0;
        tme->hwndTrack = nullptr;
        tme->dwHoverTime = 0;
        return TRUE;
    }
    Window* w = FindLiveLocked(tme->hwndTrack);
    if (!w || w->queue.get() != &q) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool nonclient = (tme->dwFlags & TME_NONCLIENT) != 0;
    auto it = std::find_if(s.tracks.begin(), s.tracks.end(),
                           [&](const Track& t) { return t.hwnd == tme->hwndTrack; });
    if (tme->dwFlags & TME_CANCEL) {
        if (it != s.tracks.end()) {
            if (tme->dwFlags & TME_LEAVE) it->leave = false;
            if (tme->dwFlags & TME_HOVER) it->hover = false;
            if (!it->leave && !it->hover) s.tracks.erase(it);
        }
        return TRUE;
    }
    if (it == s.tracks.end()) {
        s.tracks.push_back(Track{});
        it = s.tracks.end() - 1;
        it->hwnd = tme->hwndTrack;
    }
    it->nonclient = nonclient;
    if (tme->dwFlags & TME_HOVER) {
        it->hover = true;
        it->hoverTime = tme->dwHoverTime == HOVER_DEFAULT ? 400 : tme->dwHoverTime;
        it->hoverStart = NowMs();
        it->hoverPt = s.cursor;
    }
    if (tme->dwFlags & TME_LEAVE) {
        it->leave = true;
        bool over = s.mouseWindow == tme->hwndTrack && s.mouseClient != nonclient;
        if (!over) {
            // Not over the window now: the leave report comes at once.
            MouseOverLocked(s.mouseWindow, s.mouseClient);
        }
    }
    q.Signal();
    return TRUE;
}

BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT tme) {
    return TrackMouseEvent(tme);
}

SHORT GetKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    TreeGuard g(TreeLock());
    BYTE b = St().processed[vk];
    return static_cast<SHORT>(((b & 0x80) ? 0xFF80 : 0) | (b & 1));
}

SHORT GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    TreeGuard g(TreeLock());
    return static_cast<SHORT>((St().async[vk] & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* state) {
    if (!state) return FALSE;
    TreeGuard g(TreeLock());
    std::copy(St().processed, St().processed + 256, state);
    return TRUE;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    TreeGuard g(TreeLock());
    *point = St().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    RECT screen = display::Current().ScreenRect();
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    POINT now;
    GetCursorPos(&now);
    in.mi.dx = std::clamp<LONG>(x, screen.left, screen.right - 1) - now.x;
    in.mi.dy = std::clamp<LONG>(y, screen.top, screen.bottom - 1) - now.y;
    SendInput(1, &in, sizeof(in));
    display::Current().CursorMoved(POINT{x, y});
    return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg) return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP && msg->message != WM_SYSKEYDOWN &&
        msg->message != WM_SYSKEYUP) {
        return FALSE;
    }
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
        wchar_t ch;
        if (msg->wParam == VK_PACKET) {
            ch = static_cast<wchar_t>(msg->lPrivate);
        } else {
            TreeGuard g(TreeLock());
            ch = CharOf(static_cast<WORD>(msg->wParam), St().processed);
        }
        if (ch) {
            PostMessageW(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                         static_cast<WPARAM>(ch), msg->lParam);
        }
    }
    return TRUE;
}

// ---- cursors and icons
// ----------------------------------------------------------------------------

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
    // Only the system's own cursors exist; their handles are fixed values.
    if (!IS_INTRESOURCE(name)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
    if (id < 32512 || id > 32651) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x7F000000u + id));
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (instance || !IS_INTRESOURCE(name)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
    return reinterpret_cast<HICON>(static_cast<uintptr_t>(0x7E000000u + id));
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int, int, UINT flags) {
    if (type == IMAGE_CURSOR && !instance && !(flags & LR_LOADFROMFILE)) {
        return LoadCursorW(nullptr, name);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

BOOL DestroyIcon(HICON) {
    return TRUE;
}

BOOL DestroyCursor(HCURSOR) {
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old;
    {
        TreeGuard g(TreeLock());
        old = St().cursorShape;
        St().cursorShape = cursor;
    }
    if (old != cursor) display::Current().CursorChanged(cursor);
    return old;
}

HCURSOR GetCursor() {
    TreeGuard g(TreeLock());
    return St().cursorShape;
}

int ShowCursor(BOOL show) {
    return show ? ++g_cursorCount : --g_cursorCount;
}

// ---- caret
// ----------------------------------------------------------------------------------------

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
    if (!IsOwnedByCurrentThread(hwnd)) return FALSE;
    t_caret = Caret{};
    t_caret.hwnd = hwnd;
    t_caret.width = width ? width : GetSystemMetrics(SM_CXBORDER);
    t_caret.height = height ? height : GetSystemMetrics(SM_CYBORDER);
    return TRUE;
}

BOOL DestroyCaret() {
    if (!t_caret.hwnd) return FALSE;
    t_caret = Caret{};
    return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
    if (!t_caret.hwnd || (hwnd && hwnd != t_caret.hwnd)) return FALSE;
    if (t_caret.hidden > 0) t_caret.hidden--;
    return TRUE;
}

BOOL HideCaret(HWND hwnd) {
    if (!t_caret.hwnd || (hwnd && hwnd != t_caret.hwnd)) return FALSE;
    t_caret.hidden++;
    return TRUE;
}

BOOL SetCaretPos(int x, int y) {
    if (!t_caret.hwnd) return FALSE;
    t_caret.pos = POINT{x, y};
    return TRUE;
}

BOOL GetCaretPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = t_caret.pos;
    return TRUE;
}
