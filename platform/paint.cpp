// Painting: update regions, WM_PAINT, window DCs on the top-level backing store, window regions
// and layered windows.
//
// Each top-level window owns one ARGB32 backing store of its window size. DCs of the window and
// of its children draw into it through the drawing layer's surface DCs, with their own origin
// and a clip made of the visible region (ancestors' client areas, WS_CLIPCHILDREN,
// WS_CLIPSIBLINGS, window regions) and, for BeginPaint, the update region.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/display/backend.h"
#include "platform/gdi/surface_dc.h"
#include "platform/user_internal.h"
#include "platform/win_gdi.h"
#include "platform/win_kernel.h"

namespace user {
namespace {

struct DCEntry {
    HDC hdc = nullptr;
    HWND hwnd = nullptr;
    HWND root = nullptr;
    bool client = true;
    cairo_region_t* update = nullptr;  // BeginPaint: the area being painted (client coordinates)
};

std::vector<DCEntry>& DCs() {  // guarded by the tree lock
    static auto* v = new std::vector<DCEntry>;
    return *v;
}

cairo_rectangle_int_t CairoRect(const RECT& r) {
    return cairo_rectangle_int_t{r.left, r.top, std::max<int>(0, r.right - r.left),
                                 std::max<int>(0, r.bottom - r.top)};
}

RECT Extents(const cairo_region_t* reg) {
    cairo_rectangle_int_t e;
    cairo_region_get_extents(reg, &e);
    return RECT{e.x, e.y, e.x + e.width, e.y + e.height};
}

void SubtractRect(cairo_region_t* reg, const RECT& r) {
    cairo_rectangle_int_t c = CairoRect(r);
    cairo_region_subtract_rectangle(reg, &c);
}

void IntersectRect(cairo_region_t* reg, const RECT& r) {
    cairo_rectangle_int_t c = CairoRect(r);
    cairo_region_intersect_rectangle(reg, &c);
}

void IntersectWindowRegion(cairo_region_t* reg, Window* w) {
    if (!w->regionRects) return;
    RECT wr = WindowRectInRootLocked(w);
    cairo_region_t* shape = cairo_region_copy(w->regionRects);
    cairo_region_translate(shape, wr.left, wr.top);
    cairo_region_intersect(reg, shape);
    cairo_region_destroy(shape);
}

// Subtracts the visible siblings above w (those before it in Z order).
void ClipSiblings(cairo_region_t* reg, Window* w) {
    if (!w->parent) return;
    for (Window* s : w->parent->children) {
        if (s == w) break;
        if (s->style & WS_VISIBLE) SubtractRect(reg, WindowRectInRootLocked(s));
    }
}

// What a DC of w may touch, in root (backing store) coordinates.
cairo_region_t* VisibleRegionLocked(Window* w, bool client) {
    RECT own = client ? ClientRectInRootLocked(w) : WindowRectInRootLocked(w);
    cairo_rectangle_int_t r = CairoRect(own);
    cairo_region_t* reg = cairo_region_create_rectangle(&r);
    IntersectWindowRegion(reg, w);
    if (w->style & WS_CLIPSIBLINGS) ClipSiblings(reg, w);
    for (Window* a = w->parent; a; a = a->parent) {
        IntersectRect(reg, ClientRectInRootLocked(a));
        IntersectWindowRegion(reg, a);
    }
    for (Window* a = w; a->parent; a = a->parent) {
        if (a != w && (a->style & WS_CLIPSIBLINGS)) ClipSiblings(reg, a);
    }
    if (w->style & WS_CLIPCHILDREN) {
        for (Window* c : w->children) {
            if (c->style & WS_VISIBLE) SubtractRect(reg, WindowRectInRootLocked(c));
        }
    }
    return reg;
}

POINT OriginLocked(Window* w, bool client) {
    RECT r = client ? ClientRectInRootLocked(w) : WindowRectInRootLocked(w);
    return POINT{r.left, r.top};
}

cairo_region_t* ClipFor(Window* w, const DCEntry& e) {
    cairo_region_t* clip = VisibleRegionLocked(w, e.client);
    if (e.update) {
        cairo_region_t* upd = cairo_region_copy(e.update);
        POINT o = OriginLocked(w, true);
        cairo_region_translate(upd, o.x, o.y);
        cairo_region_intersect(clip, upd);
        cairo_region_destroy(upd);
    }
    return clip;
}

HDC MakeDCLocked(Window* w, bool client, const cairo_region_t* update) {
    Window* root = RootLocked(w);
    EnsureBackingLocked(root);
    if (!root->backing) return nullptr;
    DCEntry e;
    e.hwnd = w->hwnd;
    e.root = root->hwnd;
    e.client = client;
    e.update = update ? cairo_region_copy(update) : nullptr;
    cairo_region_t* clip = ClipFor(w, e);
    e.hdc = CreateSurfaceDC(root->backing, OriginLocked(w, client), clip);
    cairo_region_destroy(clip);
    if (!e.hdc) {
        if (e.update) cairo_region_destroy(e.update);
        return nullptr;
    }
    SetWindowOfDC(e.hdc, w->hwnd);
    DCs().push_back(e);
    return e.hdc;
}

// Releases a DC made here; answers the root and the area it could touch (root coordinates).
bool DropDCLocked(HDC hdc, HWND* root, RECT* area) {
    auto& v = DCs();
    auto it = std::find_if(v.begin(), v.end(), [&](const DCEntry& e) { return e.hdc == hdc; });
    if (it == v.end()) return false;
    *root = it->root;
    *area = RECT{};
    Window* w = FindLiveLocked(it->hwnd);
    Window* r = FindLiveLocked(it->root);
    if (w && r && RootLocked(w) == r) {
        cairo_region_t* clip = ClipFor(w, *it);
        *area = Extents(clip);
        cairo_region_destroy(clip);
    }
    ReleaseSurfaceDC(hdc);
    if (it->update) cairo_region_destroy(it->update);
    v.erase(it);
    return true;
}

void Present(HWND root, const RECT& area) {
    cairo_surface_t* backing = nullptr;
    bool layered = false;
    BYTE alpha = 255;
    {
        TreeGuard g(TreeLock());
        Window* r = FindLiveLocked(root);
        if (!r || !r->backing || IsRectEmpty(&area)) return;
        backing = cairo_surface_reference(r->backing);
        layered = (r->exStyle & WS_EX_LAYERED) && r->layeredContent;
        alpha = r->layeredAlpha;
    }
    cairo_surface_flush(backing);
    display::Current().Present(root, backing, area, layered, alpha);
    cairo_surface_destroy(backing);
}

bool NeedsPaint(Window* w) {
    if (!(w->style & WS_VISIBLE) || w->dead || w->destroying) return false;
    return (w->update && !cairo_region_is_empty(w->update)) || w->internalPaint || w->ncPaintNeeded;
}

Window* FindPaintable(Window* w) {
    if (!(w->style & WS_VISIBLE)) return nullptr;
    if (NeedsPaint(w)) return w;
    for (Window* c : w->children) {
        if (Window* f = FindPaintable(c)) return f;
    }
    return nullptr;
}

bool HasFrame(Window* w) {
    return !EqualRect(&w->rcWindow, &w->rcClient);
}

void RetargetDCsLocked(Window* root) {
    for (auto& e : DCs()) {
        if (e.root != root->hwnd) continue;
        Window* w = FindLiveLocked(e.hwnd);
        if (!w || RootLocked(w) != root || !root->backing) continue;
        cairo_region_t* clip = ClipFor(w, e);
        SetSurfaceDCTarget(e.hdc, root->backing, OriginLocked(w, e.client), clip);
        cairo_region_destroy(clip);
    }
}

std::mutex g_brushLock;
HBRUSH g_sysBrushes[31] = {};

}  // namespace

void EnsureBackingLocked(Window* top) {
    int w = std::max<int>(1, top->rcWindow.right - top->rcWindow.left);
    int h = std::max<int>(1, top->rcWindow.bottom - top->rcWindow.top);
    if (top->backing && cairo_image_surface_get_width(top->backing) == w &&
        cairo_image_surface_get_height(top->backing) == h) {
        RetargetDCsLocked(top);
        return;
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return;
    }
    cairo_t* cr = cairo_create(s);
    // Never-painted pixels of an ordinary window are opaque black; a layered window starts clear.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (top->exStyle & WS_EX_LAYERED) {
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
    } else {
        cairo_set_source_rgba(cr, 0, 0, 0, 1);
    }
    cairo_paint(cr);
    if (top->backing) {
        cairo_surface_flush(top->backing);
        cairo_set_source_surface(cr, top->backing, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(top->backing);
    }
    cairo_destroy(cr);
    top->backing = s;
    RetargetDCsLocked(top);
}

void ReleasePaintStateLocked(Window* w) {
    if (w->update) cairo_region_destroy(w->update);
    w->update = nullptr;
    if (w->regionRects) cairo_region_destroy(w->regionRects);
    w->regionRects = nullptr;
    if (w->windowRegion) DeleteObject(w->windowRegion);
    w->windowRegion = nullptr;
    if (w->backing) cairo_surface_destroy(w->backing);
    w->backing = nullptr;
}

void InvalidateLocked(Window* w, const cairo_region_t* region, bool erase, bool children) {
    if (!IsVisibleLocked(w) || w->dead) return;
    RECT client{0, 0, w->rcClient.right - w->rcClient.left, w->rcClient.bottom - w->rcClient.top};
    cairo_region_t* add = region ? cairo_region_copy(region) : nullptr;
    if (!add) {
        cairo_rectangle_int_t r = CairoRect(client);
        add = cairo_region_create_rectangle(&r);
    }
    IntersectRect(add, client);
    if (!cairo_region_is_empty(add)) {
        if (!w->update) w->update = cairo_region_create();
        cairo_region_union(w->update, add);
        if (erase) w->eraseNeeded = true;
        w->queue->Signal();
    }
    if (children && !(w->style & WS_CLIPCHILDREN)) {
        for (Window* c : w->children) {
            if (!(c->style & WS_VISIBLE)) continue;
            cairo_region_t* sub = cairo_region_copy(add);
            cairo_region_translate(sub, -c->rcClient.left, -c->rcClient.top);
            InvalidateLocked(c, sub, erase, true);
            cairo_region_destroy(sub);
        }
    }
    cairo_region_destroy(add);
}

void ValidateLocked(Window* w, const cairo_region_t* region) {
    if (!w->update) return;
    if (region) {
        cairo_region_subtract(w->update, region);
    } else {
        cairo_region_destroy(w->update);
        w->update = nullptr;
    }
    if (!w->update || cairo_region_is_empty(w->update)) w->eraseNeeded = false;
}

bool NextPaintMessage(ThreadQueue& q, HWND filter, MSG* out) {
    TreeGuard g(TreeLock());
    Window* found = nullptr;
    if (filter) {
        Window* f = FindLiveLocked(filter);
        if (f && f->queue.get() == &q && IsVisibleLocked(f)) found = FindPaintable(f);
    } else {
        for (Window* top : TopLevelsLocked()) {
            if (top->queue.get() != &q) continue;
            if ((found = FindPaintable(top))) break;
        }
    }
    if (!found) return false;
    *out = MSG{};
    out->hwnd = found->hwnd;
    out->message = WM_PAINT;
    out->time = GetTickCount();
    return true;
}

void RetargetAfterMoveLocked(Window* w) {
    RetargetDCsLocked(RootLocked(w));
}

HRGN RegionFromRectsLocked(const cairo_region_t* r) {
    return CreateRegionFromRects(r);
}

void EraseBackground(HWND hwnd, HDC hdc) {
    HBRUSH brush;
    RECT rc;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return;
        brush = w->cls->background;
        rc = RECT{0, 0, w->rcClient.right - w->rcClient.left, w->rcClient.bottom - w->rcClient.top};
        // The system draws nothing over pixels given through UpdateLayeredWindow.
        Window* root = RootLocked(w);
        if ((root->exStyle & WS_EX_LAYERED) && root->layeredContent) return;
    }
    ULONG_PTR v = reinterpret_cast<ULONG_PTR>(brush);
    if (v > 0 && v <= 31) brush = GetSysColorBrush(static_cast<int>(v - 1));
    if (brush) FillRect(hdc, &rc, brush);
}

void DrawNonClient(HWND hwnd) {
    RECT wr, cr;
    DWORD style;
    bool active;
    std::wstring title;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w || !HasFrame(w)) return;
        Window* root = RootLocked(w);
        if ((root->exStyle & WS_EX_LAYERED) && root->layeredContent) return;
        wr = w->rcWindow;
        cr = w->rcClient;
        style = w->style;
        title = w->text;
        active = w->queue->active == RootLocked(w)->hwnd;
    }
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    int cx = wr.right - wr.left, cy = wr.bottom - wr.top;
    RECT client = cr;
    OffsetRect(&client, -wr.left, -wr.top);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    RECT all{0, 0, cx, cy};
    FillRect(dc, &all, GetSysColorBrush(active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER));
    FrameRect(dc, &all, GetSysColorBrush(COLOR_WINDOWFRAME));
    if ((style & WS_CAPTION) == WS_CAPTION) {
        RECT caption{client.left, client.top - GetSystemMetrics(SM_CYCAPTION), client.right,
                     client.top};
        FillRect(dc, &caption,
                 GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        RECT text = caption;
        text.left += 6;
        DrawTextW(dc, title.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
    }
    ReleaseDC(hwnd, dc);
}

}  // namespace user

using namespace user;

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= 31) return nullptr;
    std::lock_guard<std::mutex> l(g_brushLock);
    if (!g_sysBrushes[index]) g_sysBrushes[index] = CreateSolidBrush(GetSysColor(index));
    return g_sysBrushes[index];
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    TreeGuard g(TreeLock());
    if (!hwnd) {
        for (Window* t : TopLevelsLocked()) InvalidateLocked(t, nullptr, erase, true);
        return TRUE;
    }
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!rect) {
        InvalidateLocked(w, nullptr, erase, true);
        return TRUE;
    }
    cairo_rectangle_int_t r = CairoRect(*rect);
    cairo_region_t* reg = cairo_region_create_rectangle(&r);
    InvalidateLocked(w, reg, erase, true);
    cairo_region_destroy(reg);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
    if (!region) return InvalidateRect(hwnd, nullptr, erase);
    const cairo_region_t* rects = RegionRects(region);
    if (!rects) return FALSE;
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    InvalidateLocked(w, rects, erase, true);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!rect) {
        ValidateLocked(w, nullptr);
        w->internalPaint = false;
        return TRUE;
    }
    cairo_rectangle_int_t r = CairoRect(*rect);
    cairo_region_t* reg = cairo_region_create_rectangle(&r);
    ValidateLocked(w, reg);
    cairo_region_destroy(reg);
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
    if (!region) return ValidateRect(hwnd, nullptr);
    const cairo_region_t* rects = RegionRects(region);
    if (!rects) return FALSE;
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) return FALSE;
    ValidateLocked(w, rects);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    bool sendErase = false;
    RECT box{};
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        bool any = w->update && !cairo_region_is_empty(w->update);
        if (any) box = Extents(w->update);
        if (rect) *rect = box;
        if (!any) return FALSE;
        sendErase = erase && w->eraseNeeded;
    }
    if (sendErase) {
        HDC dc;
        {
            TreeGuard g(TreeLock());
            Window* w = FindLiveLocked(hwnd);
            dc = w ? MakeDCLocked(w, true, w->update) : nullptr;
        }
        if (dc) {
            LRESULT erased = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            ReleaseDC(hwnd, dc);
            if (erased) {
                TreeGuard g(TreeLock());
                if (Window* w = FindLiveLocked(hwnd)) w->eraseNeeded = false;
            }
        }
    }
    return TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL) {
    cairo_region_t* copy;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w || !region) return ERROR;
        copy = w->update ? cairo_region_copy(w->update) : cairo_region_create();
    }
    BOOL ok = SetRegionRects(region, copy);
    int n = cairo_region_num_rectangles(copy);
    cairo_region_destroy(copy);
    if (!ok) return ERROR;
    return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL UpdateWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) return FALSE;
    // The window, then its descendants that wait for a paint, parents first.
    for (int guard = 0; guard < 1000; ++guard) {
        HWND next = nullptr;
        {
            TreeGuard g(TreeLock());
            Window* w = FindLiveLocked(hwnd);
            if (!w || w->queue.get() != &CurrentQueue() || !IsVisibleLocked(w)) return TRUE;
            Window* p = FindPaintable(w);
            if (p) next = p->hwnd;
        }
        if (!next) return TRUE;
        SendMessageW(next, WM_PAINT, 0, 0);
        TreeGuard g(TreeLock());
        Window* p = FindLiveLocked(next);
        // A WM_PAINT that validated nothing would come back for ever.
        if (p && NeedsPaint(p)) return TRUE;
    }
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* update, HRGN region, UINT flags) {
    if (!hwnd) {
        std::vector<HWND> tops;
        {
            TreeGuard g(TreeLock());
            for (Window* t : TopLevelsLocked()) tops.push_back(t->hwnd);
        }
        for (HWND t : tops) RedrawWindow(t, update, region, flags);
        return TRUE;
    }
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        cairo_region_t* reg = nullptr;
        if (region) {
            const cairo_region_t* r = RegionRects(region);
            reg = r ? cairo_region_copy(r) : nullptr;
        } else if (update) {
            cairo_rectangle_int_t r = CairoRect(*update);
            reg = cairo_region_create_rectangle(&r);
        }
        bool children = (flags & RDW_ALLCHILDREN) ||
                        (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
        if (flags & RDW_INVALIDATE) {
            std::function<void(Window*, const cairo_region_t*)> inv = [&](Window* x,
                                                                          const cairo_region_t* r) {
                InvalidateLocked(x, r, (flags & RDW_ERASE) != 0, false);
                if (flags & RDW_FRAME) x->ncPaintNeeded = true;
                if (!children) return;
                for (Window* c : x->children) {
                    if (!(c->style & WS_VISIBLE)) continue;
                    cairo_region_t* sub = nullptr;
                    if (r) {
                        sub = cairo_region_copy(r);
                        cairo_region_translate(sub, -c->rcClient.left, -c->rcClient.top);
                    }
                    inv(c, sub);
                    if (sub) cairo_region_destroy(sub);
                }
            };
            inv(w, reg);
        }
        if (flags & RDW_INTERNALPAINT) {
            w->internalPaint = true;
            w->queue->Signal();
        }
        if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
        if (flags & RDW_VALIDATE) {
            ValidateLocked(w, reg);
            if (flags & RDW_NOFRAME) w->ncPaintNeeded = false;
        }
        if (reg) cairo_region_destroy(reg);
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    if (!ps) return nullptr;
    *ps = PAINTSTRUCT{};
    cairo_region_t* area;
    bool erase, ncPaint;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        area = w->update ? w->update : cairo_region_create();
        w->update = nullptr;
        erase = w->eraseNeeded;
        w->eraseNeeded = false;
        ncPaint = w->ncPaintNeeded && HasFrame(w);
        w->ncPaintNeeded = false;
        w->internalPaint = false;
    }
    if (ncPaint) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    HDC dc;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        dc = w ? MakeDCLocked(w, true, area) : nullptr;
    }
    if (!dc) {
        cairo_region_destroy(area);
        return nullptr;
    }
    ps->hdc = dc;
    ps->rcPaint = Extents(area);
    cairo_region_destroy(area);
    ps->fErase = FALSE;
    if (erase) {
        ps->fErase =
            SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    }
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (!ps || !ps->hdc) return FALSE;
    return ReleaseDC(hwnd, ps->hdc) ? TRUE : FALSE;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd || hwnd == DesktopHandle()) return CreateCompatibleDC(nullptr);
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return MakeDCLocked(w, true, nullptr);
}

HDC GetWindowDC(HWND hwnd) {
    if (!hwnd || hwnd == DesktopHandle()) return CreateCompatibleDC(nullptr);
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return MakeDCLocked(w, false, nullptr);
}

int ReleaseDC(HWND, HDC hdc) {
    if (!hdc) return 0;
    HWND root = nullptr;
    RECT area{};
    bool ours;
    {
        TreeGuard g(TreeLock());
        ours = DropDCLocked(hdc, &root, &area);
    }
    if (!ours) {
        // The screen DC handed out for a null window is a memory DC.
        return IsSurfaceDC(hdc) ? 0 : (DeleteDC(hdc) ? 1 : 0);
    }
    Present(root, area);
    return 1;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
    const cairo_region_t* rects = region ? RegionRects(region) : nullptr;
    if (region && !rects) return 0;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->windowRegion && w->windowRegion != region) DeleteObject(w->windowRegion);
        if (w->regionRects) cairo_region_destroy(w->regionRects);
        w->windowRegion = region;
        w->regionRects = rects ? cairo_region_copy(rects) : nullptr;
        RetargetDCsLocked(RootLocked(w));
        if (redraw) {
            InvalidateLocked(w, nullptr, true, true);
            w->ncPaintNeeded = true;
        }
    }
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
    cairo_region_t* copy;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w || !w->regionRects || !region) return ERROR;
        copy = cairo_region_copy(w->regionRects);
    }
    BOOL ok = SetRegionRects(region, copy);
    int n = cairo_region_num_rectangles(copy);
    cairo_region_destroy(copy);
    if (!ok) return ERROR;
    return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL UpdateLayeredWindow(HWND hwnd, HDC, POINT* dstPos, SIZE* size, HDC srcDC, POINT* srcPos,
                         COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w || w->parent || !(w->exStyle & WS_EX_LAYERED)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    if (size && (size->cx < 0 || size->cy < 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dstPos || size) {
        UINT f = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
        if (!dstPos) f |= SWP_NOMOVE;
        if (!size) f |= SWP_NOSIZE;
        SetWindowPos(hwnd, nullptr, dstPos ? dstPos->x : 0, dstPos ? dstPos->y : 0,
                     size ? size->cx : 0, size ? size->cy : 0, f);
    }
    cairo_surface_t* src = srcDC ? SurfaceOfDC(srcDC) : nullptr;
    if (srcDC && !src) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    POINT srcOrigin = srcDC ? OriginOfDC(srcDC) : POINT{0, 0};
    RECT area{};
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) return FALSE;
        EnsureBackingLocked(w);
        if (!w->backing) return FALSE;
        w->layeredAlpha = blend ? blend->SourceConstantAlpha : 255;
        w->layeredContent = true;
        if (src) {
            int cx = cairo_image_surface_get_width(w->backing);
            int cy = cairo_image_surface_get_height(w->backing);
            int sx = srcOrigin.x + (srcPos ? srcPos->x : 0);
            int sy = srcOrigin.y + (srcPos ? srcPos->y : 0);
            // The caller may have written the bitmap's memory directly (a DIB section).
            cairo_surface_flush(src);
            cairo_surface_mark_dirty(src);
            cairo_surface_flush(w->backing);
            cairo_t* cr = cairo_create(w->backing);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_rgba(cr, 0, 0, 0, 0);
            cairo_paint(cr);
            cairo_set_source_surface(cr, src, -sx, -sy);
            cairo_paint(cr);
            cairo_destroy(cr);
            cairo_surface_flush(w->backing);
            bool perPixel = (flags & ULW_ALPHA) && blend && (blend->AlphaFormat & AC_SRC_ALPHA);
            unsigned char* data = cairo_image_surface_get_data(w->backing);
            int stride = cairo_image_surface_get_stride(w->backing);
            uint32_t keyPixel = 0xFF000000u | (static_cast<uint32_t>(GetRValue(key)) << 16) |
                                (static_cast<uint32_t>(GetGValue(key)) << 8) | GetBValue(key);
            for (int y = 0; y < cy; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
                for (int x = 0; x < cx; ++x) {
                    if (!perPixel || (flags & ULW_OPAQUE)) row[x] |= 0xFF000000u;
                    if ((flags & ULW_COLORKEY) && row[x] == keyPixel) row[x] = 0;
                }
            }
            cairo_surface_mark_dirty(w->backing);
            area = RECT{0, 0, cx, cy};
        }
    }
    if (!IsRectEmpty(&area)) Present(hwnd, area);
    return TRUE;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE alpha, DWORD flags) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w || !(w->exStyle & WS_EX_LAYERED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    w->layeredAlpha = (flags & LWA_ALPHA) ? alpha : 255;
    w->layeredContent = false;
    InvalidateLocked(w, nullptr, true, true);
    return TRUE;
}
