#include "platform/gdi/region_data.h"

#include <algorithm>

#include "platform/win_gdi.h"

namespace gdi {

int ClampCoord(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -kCoordLimit, kCoordLimit));
}

cairo_rectangle_int_t ToCairoRect(int left, int top, int right, int bottom) {
    int l = ClampCoord(left), t = ClampCoord(top), r = ClampCoord(right), b = ClampCoord(bottom);
    if (r <= l || b <= t) return {l, t, 0, 0};
    return {l, t, r - l, b - t};
}

RegionData::RegionData(const RECT& rect) {
    cairo_rectangle_int_t r = ToCairoRect(rect.left, rect.top, rect.right, rect.bottom);
    region_ = cairo_region_create_rectangle(&r);
}

int RegionData::Type() const {
    int n = cairo_region_num_rectangles(region_);
    return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT RegionData::Box() const {
    if (cairo_region_is_empty(region_)) return RECT{0, 0, 0, 0};
    cairo_rectangle_int_t e;
    cairo_region_get_extents(region_, &e);
    return RECT{e.x, e.y, e.x + e.width, e.y + e.height};
}

void RegionData::Intersect(const RECT& rect) {
    cairo_rectangle_int_t r = ToCairoRect(rect.left, rect.top, rect.right, rect.bottom);
    cairo_region_intersect_rectangle(region_, &r);
}

void RegionData::Subtract(const RECT& rect) {
    cairo_rectangle_int_t r = ToCairoRect(rect.left, rect.top, rect.right, rect.bottom);
    cairo_region_subtract_rectangle(region_, &r);
}

}  // namespace gdi
