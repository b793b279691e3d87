// Windows: the handle table and tree, creation and destruction, window data, properties, text.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/display/backend.h"
#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace user {
namespace {

struct Table {
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<Window*> topLevels;  // Z order, topmost first
    uintptr_t nextHandle = 0x20000;
    int defaultPlacements = 0;
};

Table& Tab() {
    static Table* t = new Table;
    return *t;
}

// Handles are never reused, so a stale handle can never reach a newer window.
HWND NewHandleLocked() {
    Table& t = Tab();
    t.nextHandle += 4;
    return reinterpret_cast<HWND>(t.nextHandle);
}

const HWND kDesktop = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010));

std::wstring PropKey(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) {
        return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    }
    return FoldCase(name);
}

void Unlink(Window* w) {
    auto& list = w->parent ? w->parent->children : Tab().topLevels;
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

void LinkTopLevel(Window* w) {
    auto& list = Tab().topLevels;
    auto pos = list.begin();
    if (!(w->exStyle & WS_EX_TOPMOST)) {
        while (pos != list.end() && ((*pos)->exStyle & WS_EX_TOPMOST)) ++pos;
    }
    list.insert(pos, w);
}

RECT DefaultPlacementLocked(DWORD style, int x, int y, int cx, int cy, Window* parent) {
    RECT work = display::Current().WorkArea();
    bool overlapped = !(style & (WS_POPUP | WS_CHILD));
    if (x == CW_USEDEFAULT) {
        if (overlapped) {
            int step = 26 * (Tab().defaultPlacements++ % 10);
            x = work.left + step;
            y = work.top + step;
        } else {
            x = 0;
            y = 0;
        }
    } else if (y == CW_USEDEFAULT) {
        y = 0;
    }
    if (cx == CW_USEDEFAULT) {
        if (overlapped) {
            cx = std::max(0, std::min<int>((work.right - work.left) * 3 / 4, work.right - x));
            cy = std::max(0, std::min<int>((work.bottom - work.top) * 3 / 4, work.bottom - y));
        } else {
            cx = 0;
            cy = 0;
        }
    } else if (cy == CW_USEDEFAULT) {
        cy = 0;
    }
    (void)parent;
    return RECT{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
}

void SendDestroyMessages(HWND hwnd);

// WM_DESTROY to the window and then to its descendants, parents before children.
void SendDestroyMessages(HWND hwnd) {
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> kids;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLocked(hwnd);
        if (!w) return;
        for (Window* c : w->children) kids.push_back(c->hwnd);
    }
    for (HWND k : kids) {
        {
            TreeGuard g(TreeLock());
            Window* c = FindLocked(k);
            if (!c || c->destroying) continue;
            c->destroying = true;
        }
        SendDestroyMessages(k);
    }
}

void FreeWindow(HWND hwnd);

// WM_NCDESTROY to the descendants (children before parents), then the window is gone.
void SendNcDestroyAndFree(HWND hwnd) {
    std::vector<HWND> kids;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLocked(hwnd);
        if (!w) return;
        for (Window* c : w->children) kids.push_back(c->hwnd);
    }
    for (HWND k : kids) SendNcDestroyAndFree(k);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    FreeWindow(hwnd);
}

void FreeWindow(HWND hwnd) {
    std::shared_ptr<Window> keep;
    std::shared_ptr<ThreadQueue> q;
    bool topLevel = false;
    {
        TreeGuard g(TreeLock());
        auto it = Tab().windows.find(reinterpret_cast<uintptr_t>(hwnd));
        if (it == Tab().windows.end()) return;
        keep = it->second;
        Window* w = keep.get();
        // Orphaned children (destroyed by a different route) go with it.
        while (!w->children.empty()) {
            Window* c = w->children.front();
            c->parent = nullptr;
            w->children.erase(w->children.begin());
            c->dead = true;
            ReleasePaintStateLocked(c);
            if (c->cls) c->cls->windows--;
            Tab().windows.erase(reinterpret_cast<uintptr_t>(c->hwnd));
        }
        Unlink(w);
        topLevel = !w->parent;
        ForEachWindowLocked([&](Window* o) {
            if (o->owner == w) o->owner = nullptr;
        });
        w->parent = nullptr;
        w->dead = true;
        ReleasePaintStateLocked(w);
        ForgetWindowInput(hwnd);
        if (w->cls) w->cls->windows--;
        q = w->queue;
        Tab().windows.erase(it);
        if (q) {
            if (q->focus == hwnd) q->focus = nullptr;
            if (q->active == hwnd) q->active = nullptr;
            if (q->capture == hwnd) q->capture = nullptr;
            std::lock_guard<std::mutex> ql(q->mutex);
            PurgePostedLocked(*q, hwnd);
        }
    }
    if (q) KillTimersOf(*q, hwnd);
    if (topLevel) display::Current().WindowDestroyed(hwnd);
}

}  // namespace

// ---- table and tree helpers ---------------------------------------------------------------------

std::mutex& TreeLock() {
    static std::mutex* m = new std::mutex;
    return *m;
}

HWND DesktopHandle() {
    return kDesktop;
}

Window* FindLocked(HWND hwnd) {
    auto& w = Tab().windows;
    auto it = w.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == w.end() ? nullptr : it->second.get();
}

Window* FindLiveLocked(HWND hwnd) {
    Window* w = FindLocked(hwnd);
    return w && !w->dead ? w : nullptr;
}

std::vector<Window*>& TopLevelsLocked() {
    return Tab().topLevels;
}

void ForEachWindowLocked(const std::function<void(Window*)>& fn) {
    for (auto& [k, w] : Tab().windows) fn(w.get());
}

Window* RootLocked(Window* w) {
    while (w && w->parent) w = w->parent;
    return w;
}

bool IsDescendantLocked(Window* ancestor, Window* w) {
    for (Window* p = w; p; p = p->parent) {
        if (p == ancestor) return true;
    }
    return false;
}

bool IsVisibleLocked(Window* w) {
    for (; w; w = w->parent) {
        if (!(w->style & WS_VISIBLE)) return false;
    }
    return true;
}

POINT ClientOriginScreenLocked(Window* w) {
    POINT p{0, 0};
    for (; w; w = w->parent) {
        p.x += w->rcClient.left;
        p.y += w->rcClient.top;
    }
    return p;
}

RECT WindowRectScreenLocked(Window* w) {
    RECT r = w->rcWindow;
    if (w->parent) {
        POINT o = ClientOriginScreenLocked(w->parent);
        OffsetRect(&r, o.x, o.y);
    }
    return r;
}

RECT ClientRectScreenLocked(Window* w) {
    RECT r = w->rcClient;
    if (w->parent) {
        POINT o = ClientOriginScreenLocked(w->parent);
        OffsetRect(&r, o.x, o.y);
    }
    return r;
}

RECT WindowRectInRootLocked(Window* w) {
    RECT r = WindowRectScreenLocked(w);
    RECT root = RootLocked(w)->rcWindow;
    OffsetRect(&r, -root.left, -root.top);
    return r;
}

RECT ClientRectInRootLocked(Window* w) {
    RECT r = ClientRectScreenLocked(w);
    RECT root = RootLocked(w)->rcWindow;
    OffsetRect(&r, -root.left, -root.top);
    return r;
}

WNDPROC ProcOf(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    return w ? w->proc : nullptr;
}

bool IsOwnedByCurrentThread(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    return w && w->thread == GetCurrentThreadId();
}

// Called when a thread ends: its windows go without messages (nobody is left to handle them).
void DropWindowsOfThread(DWORD thread) {
    std::vector<HWND> mine;
    {
        TreeGuard g(TreeLock());
        ForEachWindowLocked([&](Window* w) {
            if (w->thread == thread && !w->parent) mine.push_back(w->hwnd);
        });
    }
    for (HWND h : mine) FreeWindow(h);
}

}  // namespace user

using namespace user;

// ---- creation and destruction -------------------------------------------------------------------

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parentHandle, HMENU menu,
                     HINSTANCE instance, LPVOID param) {
    RegisterSystemClasses();
    auto queue = CurrentQueuePtr();
    HWND hwnd;
    bool wantVisible = (style & WS_VISIBLE) != 0;
    CREATESTRUCTW cs{};
    {
        TreeGuard g(TreeLock());
        auto cls = FindClassLocked(className);
        if (!cls) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        Window* parent = nullptr;
        Window* owner = nullptr;
        if (parentHandle && parentHandle != kDesktop) {
            Window* p = FindLiveLocked(parentHandle);
            if (!p) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            if (style & WS_CHILD) {
                parent = p;
            } else {
                owner = RootLocked(p);
            }
        } else if (style & WS_CHILD) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        auto win = std::make_shared<Window>();
        Window* w = win.get();
        w->hwnd = hwnd = NewHandleLocked();
        w->cls = cls;
        cls->windows++;
        w->queue = queue;
        w->thread = queue->threadId;
        w->parent = parent;
        w->owner = owner;
        w->style = (style & ~WS_VISIBLE) | ((style & WS_CHILD) ? 0 : WS_CLIPSIBLINGS);
        w->exStyle = exStyle;
        if (!(style & (WS_CHILD | WS_POPUP))) w->style |= WS_CAPTION;  // overlapped windows
        w->proc = cls->proc;
        w->instance = instance;
        w->id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
        w->extra.assign(static_cast<size_t>(cls->wndExtra), 0);
        w->rcWindow = DefaultPlacementLocked(style, x, y, width, height, parent);
        w->rcClient = w->rcWindow;
        w->rcNormal = w->rcWindow;
        Tab().windows[reinterpret_cast<uintptr_t>(hwnd)] = win;
        if (parent) {
            parent->children.push_back(w);  // new children go to the bottom of the Z order
        } else {
            LinkTopLevel(w);
        }
        cs.lpCreateParams = param;
        cs.hInstance = instance;
        cs.hMenu = menu;
        cs.hwndParent = parentHandle;
        cs.x = w->rcWindow.left;
        cs.y = w->rcWindow.top;
        cs.cx = w->rcWindow.right - w->rcWindow.left;
        cs.cy = w->rcWindow.bottom - w->rcWindow.top;
        cs.style = static_cast<LONG>(style);
        cs.lpszName = windowName;
        cs.lpszClass = className;
        cs.dwExStyle = exStyle;
    }
    if (!(style & WS_CHILD)) display::Current().WindowCreated(hwnd);

    if (WantsMinMaxInfo(style)) {
        MINMAXINFO mmi{};
        DefaultMinMaxInfo(hwnd, &mmi);
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        TreeGuard g(TreeLock());
        if (Window* w = FindLiveLocked(hwnd)) {
            int cx = w->rcWindow.right - w->rcWindow.left;
            int cy = w->rcWindow.bottom - w->rcWindow.top;
            cx = std::max<int>(std::min<int>(cx, mmi.ptMaxTrackSize.x), mmi.ptMinTrackSize.x);
            cy = std::max<int>(std::min<int>(cy, mmi.ptMaxTrackSize.y), mmi.ptMinTrackSize.y);
            w->rcWindow.right = w->rcWindow.left + cx;
            w->rcWindow.bottom = w->rcWindow.top + cy;
            w->rcClient = w->rcNormal = w->rcWindow;
            cs.cx = cx;
            cs.cy = cy;
        }
    }
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
        FreeWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT rc;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return nullptr;
        rc = w->rcWindow;
    }
    SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rc));
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return nullptr;
        w->rcClient = rc;
        if (!w->parent) EnsureBackingLocked(w);
    }
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT client{}, parentClient{};
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return nullptr;
        client = w->rcClient;
        parentClient = client;
    }
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(client.right - client.left, client.bottom - client.top));
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(parentClient.left, parentClient.top));
    if (!IsWindow(hwnd)) return nullptr;
    if (wantVisible) ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    std::vector<HWND> owned;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying) return TRUE;
        w->destroying = true;
        if (!w->parent) {
            ForEachWindowLocked([&](Window* o) {
                if (o->owner == w && !o->destroying) owned.push_back(o->hwnd);
            });
        }
    }
    // Owned windows go first.
    for (HWND o : owned) {
        if (IsOwnedByCurrentThread(o)) {
            DestroyWindow(o);
        } else {
            TreeGuard g(TreeLock());
            if (Window* ow = FindLocked(o)) ow->owner = nullptr;
        }
    }
    WindowGoingAway(hwnd);
    SendDestroyMessages(hwnd);
    SendNcDestroyAndFree(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    if (hwnd == kDesktop) return TRUE;
    TreeGuard g(TreeLock());
    return FindLiveLocked(hwnd) != nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* p = FindLiveLocked(parent);
    Window* w = FindLiveLocked(hwnd);
    if (!p || !w || p == w) return FALSE;
    for (Window* a = w; a && (a->style & WS_CHILD); a = a->parent) {
        if (a->parent == p) return TRUE;
    }
    return FALSE;
}

HWND GetParent(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (w->style & WS_CHILD) return w->parent ? w->parent->hwnd : nullptr;
    if ((w->style & WS_POPUP) && w->owner) return w->owner->hwnd;
    return nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) return nullptr;
    switch (flags) {
        case GA_PARENT:
            return w->parent ? w->parent->hwnd : kDesktop;
        case GA_ROOT:
            return RootLocked(w)->hwnd;
        case GA_ROOTOWNER: {
            Window* r = RootLocked(w);
            while (r->owner) r = r->owner;
            return r->hwnd;
        }
        default:
            return nullptr;
    }
}

HWND GetWindow(HWND hwnd, UINT cmd) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto& siblings = w->parent ? w->parent->children : Tab().topLevels;
    auto it = std::find(siblings.begin(), siblings.end(), w);
    switch (cmd) {
        case GW_OWNER:
            return w->owner ? w->owner->hwnd : nullptr;
        case GW_CHILD:
            return w->children.empty() ? nullptr : w->children.front()->hwnd;
        case GW_HWNDFIRST:
            return siblings.empty() ? nullptr : siblings.front()->hwnd;
        case GW_HWNDLAST:
            return siblings.empty() ? nullptr : siblings.back()->hwnd;
        case GW_HWNDNEXT:
            return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : (*(it + 1))->hwnd;
        case GW_HWNDPREV:
            return (it == siblings.end() || it == siblings.begin()) ? nullptr : (*(it - 1))->hwnd;
        case GW_ENABLEDPOPUP:
            return nullptr;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

HWND GetDesktopWindow() {
    return kDesktop;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    if (!proc) return FALSE;
    std::vector<HWND> list;
    {
        TreeGuard g(TreeLock());
        for (Window* w : Tab().topLevels) list.push_back(w->hwnd);
    }
    for (HWND h : list) {
        if (IsWindow(h) && !proc(h, lParam)) return FALSE;
    }
    return TRUE;
}

static void CollectDescendants(Window* w, std::vector<HWND>* out) {
    for (Window* c : w->children) {
        out->push_back(c->hwnd);
        CollectDescendants(c, out);
    }
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    if (!proc) return FALSE;
    std::vector<HWND> list;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(parent);
        if (!w) return FALSE;
        CollectDescendants(w, &list);
    }
    for (HWND h : list) {
        if (IsWindow(h) && !proc(h, lParam)) return FALSE;
    }
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (processId) *processId = GetCurrentProcessId();
    return w->thread;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    bool wasDisabled;
    bool changed;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasDisabled = (w->style & WS_DISABLED) != 0;
        changed = wasDisabled == static_cast<bool>(enable);
        if (changed) {
            if (enable) {
                w->style &= ~WS_DISABLED;
            } else {
                w->style |= WS_DISABLED;
            }
        }
    }
    if (changed) {
        if (!enable) {
            // A disabled window keeps neither the keyboard focus nor the mouse capture.
            TreeGuard g(TreeLock());
            Window* w = FindLiveLocked(hwnd);
            HWND focus = w ? w->queue->focus : nullptr;
            Window* f = FindLiveLocked(focus);
            bool dropFocus =
                f && w && IsDescendantLocked(w, f) && w->thread == GetCurrentThreadId();
            bool dropCapture = w && w->queue->capture == hwnd && w->thread == GetCurrentThreadId();
            g.unlock();
            if (dropFocus) SetFocus(nullptr);
            if (dropCapture) ReleaseCapture();
        }
        SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    return w && !(w->style & WS_DISABLED);
}

// ---- window data --------------------------------------------------------------------------------

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
        case GWL_STYLE:
            return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
        case GWL_EXSTYLE:
            return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
        case GWLP_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_USERDATA:
            return w->userData;
        case GWLP_ID:
            return w->id;
        case GWLP_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case GWLP_HWNDPARENT: {
            Window* p = (w->style & WS_CHILD) ? w->parent : w->owner;
            return reinterpret_cast<LONG_PTR>(p ? p->hwnd : nullptr);
        }
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR v;
        std::memcpy(&v, w->extra.data() + index, sizeof(v));
        return v;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        STYLESTRUCT ss{};
        {
            TreeGuard g(TreeLock());
            Window* w = FindLiveLocked(hwnd);
            if (!w) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            ss.styleOld = index == GWL_STYLE ? w->style : w->exStyle;
        }
        ss.styleNew = static_cast<DWORD>(value);
        SendMessageW(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&ss));
        {
            TreeGuard g(TreeLock());
            Window* w = FindLiveLocked(hwnd);
            if (!w) return 0;
            if (index == GWL_STYLE) {
                w->style = ss.styleNew;
            } else {
                w->exStyle = ss.styleNew;
            }
        }
        SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&ss));
        return static_cast<LONG_PTR>(static_cast<LONG>(ss.styleOld));
    }
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
        case GWLP_WNDPROC:
            if (w->thread != GetCurrentThreadId()) {
                SetLastError(ERROR_ACCESS_DENIED);
                return 0;
            }
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return old;
        case GWLP_USERDATA:
            old = w->userData;
            w->userData = value;
            return old;
        case GWLP_ID:
            old = w->id;
            w->id = value;
            return old;
        case GWLP_HINSTANCE:
            old = reinterpret_cast<LONG_PTR>(w->instance);
            w->instance = reinterpret_cast<HINSTANCE>(value);
            return old;
        case GWLP_HWNDPARENT: {
            if (w->style & WS_CHILD) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            old = reinterpret_cast<LONG_PTR>(w->owner ? w->owner->hwnd : nullptr);
            Window* o = FindLiveLocked(reinterpret_cast<HWND>(value));
            w->owner = o ? RootLocked(o) : nullptr;
            if (w->owner == w) w->owner = nullptr;
            return old;
        }
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        std::memcpy(&old, w->extra.data() + index, sizeof(old));
        std::memcpy(w->extra.data() + index, &value, sizeof(value));
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

// ---- properties ---------------------------------------------------------------------------------

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->props[PropKey(name)] = data;
    return TRUE;
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name) {
    if (!name) return nullptr;
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(PropKey(name));
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name) {
    if (!name) return nullptr;
    TreeGuard g(TreeLock());
    Window* w = FindLocked(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(PropKey(name));
    if (it == w->props.end()) return nullptr;
    HANDLE h = it->second;
    w->props.erase(it);
    return h;
}

// ---- text ---------------------------------------------------------------------------------------

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L"")) ? TRUE
                                                                                          : FALSE;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!text) return SetWindowTextW(hwnd, L"");
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return FALSE;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    return SetWindowTextW(hwnd, wide.c_str());
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
    if (!buffer || maxCount <= 0) return 0;
    buffer[0] = L'\0';
    if (IsOwnedByCurrentThread(hwnd)) {
        return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                             reinterpret_cast<LPARAM>(buffer)));
    }
    // Another thread's window: read the stored text rather than wait on that thread.
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    size_t n = std::min(w->text.size(), static_cast<size_t>(maxCount - 1));
    w->text.copy(buffer, n);
    buffer[n] = L'\0';
    return static_cast<int>(n);
}

int GetWindowTextLengthW(HWND hwnd) {
    if (IsOwnedByCurrentThread(hwnd)) {
        return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
    }
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    return w ? static_cast<int>(w->text.size()) : 0;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    RegisterSystemClasses();
    TreeGuard g(TreeLock());
    std::shared_ptr<WindowClass> cls;
    if (className) {
        cls = FindClassLocked(className);
        if (!cls) return nullptr;
    }
    for (Window* w : Tab().topLevels) {
        if (w->dead || w->destroying) continue;
        if (cls && w->cls != cls) continue;
        if (windowName && w->text != windowName) continue;
        return w->hwnd;
    }
    return nullptr;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!proc) return 0;
    return proc(hwnd, msg, wParam, lParam);
}
