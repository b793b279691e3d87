#include "platform/gdi/dc.h"

#include <atomic>
#include <utility>

#include "platform/gdi/surface_dc.h"
#include "platform/win_kernel.h"

namespace gdi {
namespace {

std::atomic<int> screenWidth{1920};
std::atomic<int> screenHeight{1080};

template <class T>
Held<T> HoldStock(int index) {
    return Held<T>(std::static_pointer_cast<T>(Lookup(StockObject(index))));
}

bool UsableTarget(cairo_surface_t* target) {
    return target && cairo_surface_status(target) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE &&
           cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32;
}

}  // namespace

Dc::Dc() : Object(kKind) {
    state_.bitmap = Held<Bitmap>(StockBitmap());
    state_.brush = HoldStock<Brush>(WHITE_BRUSH);
    state_.pen = HoldStock<Pen>(BLACK_PEN);
    state_.font = HoldStock<Font>(SYSTEM_FONT);
}

Dc::Dc(cairo_surface_t* target, POINT origin, const cairo_region_t* clip) : Dc() {
    state_.bitmap = Held<Bitmap>();
    Retarget(target, origin, clip);
}

Dc::~Dc() {
    if (target_) cairo_surface_destroy(target_);
}

void Dc::Retarget(cairo_surface_t* target, POINT origin, const cairo_region_t* clip) {
    cairo_surface_reference(target);
    if (target_) cairo_surface_destroy(target_);
    target_ = target;
    origin_ = origin;
    if (clip)
        targetClip_.emplace(clip);
    else
        targetClip_.reset();
}

Surface Dc::surface() const {
    if (target_) {
        return Surface{target_, false, cairo_image_surface_get_width(target_),
                       cairo_image_surface_get_height(target_)};
    }
    Bitmap* bitmap = state_.bitmap.get();
    return Surface{bitmap->surface(), bitmap->bottomUp(), bitmap->width(), bitmap->height()};
}

POINT Dc::logicalOrigin() const {
    POINT d = deviceOrigin();
    return POINT{d.x + state_.viewport.x, d.y + state_.viewport.y};
}

RegionData Dc::EffectiveClip() const {
    RegionData clip = DeviceBounds();
    if (state_.clip) clip.Intersect(*state_.clip);
    POINT d = deviceOrigin();
    clip.Offset(d.x, d.y);
    return clip;
}

RegionData Dc::DeviceBounds() const {
    Surface s = surface();
    RegionData bounds(RECT{0, 0, s.width, s.height});
    if (targetClip_) bounds.Intersect(*targetClip_);
    POINT d = deviceOrigin();
    bounds.Offset(-d.x, -d.y);
    return bounds;
}

COLORREF Dc::BrushColour(const Brush& brush) const {
    return brush.dcColour ? state_.dcBrushColour : brush.log().lbColor;
}

COLORREF Dc::PenColour(const Pen& pen) const {
    return pen.dcColour ? state_.dcPenColour : pen.log().lopnColor;
}

Canvas::Canvas(const Dc& dc) {
    Surface s = dc.drawsNowhere() ? Surface{} : dc.surface();
    if (!s.surface) {
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0);
        cr_ = cairo_create(surface_);
        empty_ = true;
        return;
    }
    surface_ = cairo_surface_reference(s.surface);
    cairo_surface_mark_dirty(surface_);  // the pixels may have been written through a DIB pointer
    cr_ = cairo_create(surface_);
    if (s.bottomUp) {
        cairo_translate(cr_, 0, s.height);
        cairo_scale(cr_, 1, -1);
    }
    RegionData clip = dc.EffectiveClip();
    empty_ = clip.empty();
    int n = cairo_region_num_rectangles(clip.get());
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip.get(), i, &r);
        cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
    }
    if (n == 0) cairo_rectangle(cr_, 0, 0, 0, 0);
    cairo_clip(cr_);
    POINT o = dc.logicalOrigin();
    cairo_translate(cr_, o.x, o.y);
    // GDI draws shapes without antialiasing; text keeps its own (font options).
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_flush(surface_);
    cairo_surface_destroy(surface_);
}

void SetSourceColour(cairo_t* cr, COLORREF colour) {
    cairo_set_source_rgb(cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                         GetBValue(colour) / 255.0);
}

cairo_pattern_t* SourcePattern(const Surface& src, double kx, double ky, double ox, double oy,
                               bool ignoreAlpha) {
    cairo_surface_t* surface = src.surface;
    cairo_surface_mark_dirty(surface);
    bool own = false;
    if (ignoreAlpha) {
        surface = cairo_image_surface_create_for_data(cairo_image_surface_get_data(src.surface),
                                                      CAIRO_FORMAT_RGB24, src.width, src.height,
                                                      cairo_image_surface_get_stride(src.surface));
        own = true;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
    if (own) cairo_surface_destroy(surface);
    cairo_matrix_t m;
    if (src.bottomUp)
        cairo_matrix_init(&m, kx, 0, 0, -ky, ox, src.height - oy);
    else
        cairo_matrix_init(&m, kx, 0, 0, ky, ox, oy);
    cairo_pattern_set_matrix(pattern, &m);
    return pattern;
}

std::shared_ptr<Dc> GetDc(HDC hdc) {
    return Get<Dc>(hdc);
}

}  // namespace gdi

using namespace gdi;

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !GetDc(hdc)) return nullptr;
    return static_cast<HDC>(Register(std::make_shared<Dc>()));
}

BOOL DeleteDC(HDC hdc) {
    if (!GetDc(hdc)) return FALSE;
    return Unregister(hdc) == Removal::Removed ? TRUE : FALSE;
}

int SaveDC(HDC hdc) {
    auto dc = GetDc(hdc);
    if (!dc) return 0;
    dc->saved().push_back(dc->state());
    return static_cast<int>(dc->saved().size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    long long levels = static_cast<long long>(dc->saved().size());
    long long level = nSavedDC > 0 ? nSavedDC : levels + nSavedDC + 1;
    if (nSavedDC == 0 || level < 1 || level > levels) {
        SetLastErrorInvalidParameter();
        return FALSE;
    }
    dc->state() = dc->saved()[static_cast<size_t>(level - 1)];
    dc->saved().resize(static_cast<size_t>(level - 1));
    return TRUE;
}

namespace {

template <class T>
HGDIOBJ Swap(Held<T>& slot, const std::shared_ptr<Object>& object) {
    HGDIOBJ old = slot ? slot->handle() : nullptr;
    slot = Held<T>(std::static_pointer_cast<T>(object));
    return old;
}

// Holds of this bitmap by the DC's current and saved states.
int HoldsIn(Dc& dc, const Bitmap* bitmap) {
    int holds = dc.state().bitmap.get() == bitmap ? 1 : 0;
    for (const DcState& s : dc.saved())
        if (s.bitmap.get() == bitmap) ++holds;
    return holds;
}

}  // namespace

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    auto dc = GetDc(hdc);
    if (!dc) return nullptr;
    std::shared_ptr<Object> object = Lookup(h);
    if (!object) {
        SetLastErrorInvalidHandle();
        return nullptr;
    }
    DcState& state = dc->state();
    switch (object->kind()) {
        case Kind::Bitmap: {
            auto* bitmap = static_cast<Bitmap*>(object.get());
            // A bitmap belongs to one memory DC at a time, and a window DC has none.
            if (!dc->memory() || (!bitmap->stock() && bitmap->uses() > HoldsIn(*dc, bitmap))) {
                SetLastErrorInvalidParameter();
                return nullptr;
            }
            return Swap(state.bitmap, object);
        }
        case Kind::Brush:
            return Swap(state.brush, object);
        case Kind::Pen:
            return Swap(state.pen, object);
        case Kind::Font:
            return Swap(state.font, object);
        case Kind::Region: {
            int type = SelectClipRgn(hdc, static_cast<HRGN>(h));
            return type == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(intptr_t{type});
        }
        case Kind::Dc:
            break;
    }
    SetLastErrorInvalidHandle();
    return nullptr;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    auto dc = GetDc(hdc);
    if (!dc) return nullptr;
    const DcState& state = dc->state();
    switch (type) {
        case OBJ_PEN:
            return state.pen->handle();
        case OBJ_BRUSH:
            return state.brush->handle();
        case OBJ_FONT:
            return state.font->handle();
        case OBJ_BITMAP:
            return state.bitmap ? state.bitmap->handle() : nullptr;
        default:
            SetLastErrorInvalidParameter();
            return nullptr;
    }
}

int GetDeviceCaps(HDC hdc, int index) {
    if (!GetDc(hdc)) return 0;
    switch (index) {
        case HORZRES:
            return screenWidth.load();
        case VERTRES:
            return screenHeight.load();
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        case NUMCOLORS:
            return -1;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case SHADEBLENDCAPS:
            return 0x3;  // constant and per-pixel alpha
        default:
            return 0;
    }
}

BOOL GdiFlush() {
    return TRUE;
}

namespace {

template <class V, class F>
V Exchange(HDC hdc, V failure, F&& field) {
    auto dc = GetDc(hdc);
    if (!dc) return failure;
    return field(dc->state());
}

}  // namespace

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    return Exchange(hdc, static_cast<COLORREF>(CLR_INVALID),
                    [&](DcState& s) { return std::exchange(s.textColour, color & 0xFFFFFF); });
}

COLORREF GetTextColor(HDC hdc) {
    return Exchange(hdc, static_cast<COLORREF>(CLR_INVALID),
                    [&](DcState& s) { return s.textColour; });
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    return Exchange(hdc, static_cast<COLORREF>(CLR_INVALID),
                    [&](DcState& s) { return std::exchange(s.bkColour, color & 0xFFFFFF); });
}

COLORREF GetBkColor(HDC hdc) {
    return Exchange(hdc, static_cast<COLORREF>(CLR_INVALID),
                    [&](DcState& s) { return s.bkColour; });
}

int SetBkMode(HDC hdc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastErrorInvalidParameter();
        return 0;
    }
    return Exchange(hdc, 0, [&](DcState& s) { return std::exchange(s.bkMode, mode); });
}

int GetBkMode(HDC hdc) {
    return Exchange(hdc, 0, [&](DcState& s) { return s.bkMode; });
}

UINT SetTextAlign(HDC hdc, UINT align) {
    return Exchange(hdc, GDI_ERROR_ALIGN,
                    [&](DcState& s) { return std::exchange(s.textAlign, align); });
}

UINT GetTextAlign(HDC hdc) {
    return Exchange(hdc, GDI_ERROR_ALIGN, [&](DcState& s) { return s.textAlign; });
}

int SetStretchBltMode(HDC hdc, int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastErrorInvalidParameter();
        return 0;
    }
    return Exchange(hdc, 0, [&](DcState& s) { return std::exchange(s.stretchMode, mode); });
}

int GetStretchBltMode(HDC hdc) {
    return Exchange(hdc, 0, [&](DcState& s) { return s.stretchMode; });
}

COLORREF SetDCBrushColor(HDC hdc, COLORREF color) {
    return Exchange(hdc, static_cast<COLORREF>(CLR_INVALID),
                    [&](DcState& s) { return std::exchange(s.dcBrushColour, color & 0xFFFFFF); });
}

COLORREF SetDCPenColor(HDC hdc, COLORREF color) {
    return Exchange(hdc, static_cast<COLORREF>(CLR_INVALID),
                    [&](DcState& s) { return std::exchange(s.dcPenColour, color & 0xFFFFFF); });
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    if (old) *old = dc->state().viewport;
    dc->state().viewport = POINT{ClampCoord(x), ClampCoord(y)};
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    POINT& v = dc->state().viewport;
    if (old) *old = v;
    v = POINT{ClampCoord(static_cast<long long>(v.x) + dx),
              ClampCoord(static_cast<long long>(v.y) + dy)};
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT pt) {
    auto dc = GetDc(hdc);
    if (!dc || !pt) return FALSE;
    *pt = dc->state().viewport;
    return TRUE;
}

// ---- Clipping --------------------------------------------------------------------------------

namespace {

RECT LogicalToDevice(const Dc& dc, int left, int top, int right, int bottom) {
    POINT v = dc.state().viewport;
    return RECT{ClampCoord(static_cast<long long>(left) + v.x),
                ClampCoord(static_cast<long long>(top) + v.y),
                ClampCoord(static_cast<long long>(right) + v.x),
                ClampCoord(static_cast<long long>(bottom) + v.y)};
}

RegionData& OwnClip(Dc& dc) {
    DcState& s = dc.state();
    if (!s.clip) s.clip.emplace(dc.DeviceBounds());
    return *s.clip;
}

}  // namespace

int GetClipBox(HDC hdc, LPRECT rc) {
    auto dc = GetDc(hdc);
    if (!dc || !rc) return ERROR;
    RegionData clip = dc->EffectiveClip();
    POINT o = dc->logicalOrigin();
    clip.Offset(-o.x, -o.y);
    *rc = clip.Box();
    return clip.Type();
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = GetDc(hdc);
    if (!dc) return ERROR;
    OwnClip(*dc).Intersect(LogicalToDevice(*dc, left, top, right, bottom));
    return dc->EffectiveClip().Type();
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = GetDc(hdc);
    if (!dc) return ERROR;
    OwnClip(*dc).Subtract(LogicalToDevice(*dc, left, top, right, bottom));
    return dc->EffectiveClip().Type();
}

int SelectClipRgn(HDC hdc, HRGN hrgn) {
    return ExtSelectClipRgn(hdc, hrgn, RGN_COPY);
}

int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode) {
    auto dc = GetDc(hdc);
    if (!dc) return ERROR;
    std::shared_ptr<Region> region;
    if (hrgn) {
        region = Get<Region>(hrgn);
        if (!region) return ERROR;
    } else if (mode != RGN_COPY) {
        SetLastErrorInvalidParameter();
        return ERROR;
    }
    DcState& s = dc->state();
    cairo_region_t* other = region ? region->data().get() : nullptr;
    switch (mode) {
        case RGN_COPY:
            if (region)
                s.clip.emplace(other);
            else
                s.clip.reset();
            break;
        case RGN_AND:
            cairo_region_intersect(OwnClip(*dc).get(), other);
            break;
        case RGN_OR:
            cairo_region_union(OwnClip(*dc).get(), other);
            break;
        case RGN_XOR:
            cairo_region_xor(OwnClip(*dc).get(), other);
            break;
        case RGN_DIFF:
            cairo_region_subtract(OwnClip(*dc).get(), other);
            break;
        default:
            SetLastErrorInvalidParameter();
            return ERROR;
    }
    return dc->EffectiveClip().Type();
}

int GetClipRgn(HDC hdc, HRGN hrgn) {
    auto dc = GetDc(hdc);
    auto region = Get<Region>(hrgn);
    if (!dc || !region) return -1;
    if (!dc->state().clip) return 0;
    region->data() = *dc->state().clip;
    return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    POINT o = dc->logicalOrigin();
    return cairo_region_contains_point(dc->EffectiveClip().get(),
                                       ClampCoord(static_cast<long long>(x) + o.x),
                                       ClampCoord(static_cast<long long>(y) + o.y))
               ? TRUE
               : FALSE;
}

BOOL RectVisible(HDC hdc, LPCRECT rc) {
    auto dc = GetDc(hdc);
    if (!dc || !rc) return FALSE;
    POINT o = dc->logicalOrigin();
    cairo_rectangle_int_t r = ToCairoRect(ClampCoord(static_cast<long long>(rc->left) + o.x),
                                          ClampCoord(static_cast<long long>(rc->top) + o.y),
                                          ClampCoord(static_cast<long long>(rc->right) + o.x),
                                          ClampCoord(static_cast<long long>(rc->bottom) + o.y));
    if (r.width == 0) return FALSE;
    return cairo_region_contains_rectangle(dc->EffectiveClip().get(), &r) !=
                   CAIRO_REGION_OVERLAP_OUT
               ? TRUE
               : FALSE;
}

// ---- The window system's side ----------------------------------------------------------------

HDC CreateSurfaceDC(cairo_surface_t* target, POINT origin, const cairo_region_t* clip) {
    if (!UsableTarget(target)) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    return static_cast<HDC>(Register(std::make_shared<Dc>(target, origin, clip)));
}

BOOL ReleaseSurfaceDC(HDC hdc) {
    return DeleteDC(hdc);
}

BOOL SetSurfaceDCTarget(HDC hdc, cairo_surface_t* target, POINT origin,
                        const cairo_region_t* clip) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    if (dc->memory() || !UsableTarget(target)) {
        SetLastErrorInvalidParameter();
        return FALSE;
    }
    dc->Retarget(target, origin, clip);
    return TRUE;
}

BOOL SetWindowOfDC(HDC hdc, HWND hwnd) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    dc->window = hwnd;
    return TRUE;
}

HWND WindowOfDC(HDC hdc) {
    auto dc = GetDc(hdc);
    return dc ? dc->window : nullptr;
}

void SetScreenSizeOfDCs(int width, int height) {
    screenWidth = width;
    screenHeight = height;
}

bool IsSurfaceDC(HDC hdc) {
    auto dc = GetDc(hdc);
    return dc && !dc->memory();
}

cairo_surface_t* SurfaceOfDC(HDC hdc) {
    auto dc = GetDc(hdc);
    if (!dc) return nullptr;
    cairo_surface_t* surface = dc->surface().surface;
    cairo_surface_flush(surface);
    return surface;
}

POINT OriginOfDC(HDC hdc) {
    auto dc = GetDc(hdc);
    return dc ? dc->logicalOrigin() : POINT{0, 0};
}
