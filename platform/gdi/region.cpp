// Regions: sets of integer rectangles kept as cairo regions.
#include <algorithm>
#include <cmath>

#include "platform/gdi/objects.h"
#include "platform/gdi/surface_dc.h"

using namespace gdi;

namespace {

HRGN NewRegion(RegionData data) {
    if (!data.ok()) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    return static_cast<HRGN>(Register(std::make_shared<Region>(std::move(data))));
}

// A rectangle [l, r) x [t, b) whose corners are cut by quarter ellipses w x h, row by row as a
// pixel grid shows them; consecutive rows of the same width become one rectangle.
RegionData RoundedRows(int l, int t, int r, int b, int w, int h) {
    int width = r - l, height = b - t;
    if (width <= 0 || height <= 0) return RegionData();
    w = std::min(std::abs(w), width);
    h = std::min(std::abs(h), height);
    if (w < 2 || h < 2) return RegionData(RECT{l, t, r, b});
    double rx = w / 2.0, ry = h / 2.0;
    RegionData out;
    int runStart = 0, runInset = -1;
    auto flush = [&](int end) {
        if (runInset < 0) return;
        cairo_rectangle_int_t row = ToCairoRect(l + runInset, t + runStart, r - runInset, t + end);
        if (row.width > 0) cairo_region_union_rectangle(out.get(), &row);
    };
    for (int i = 0; i < height; ++i) {
        double yc = i + 0.5, dy = 0;
        if (yc < ry)
            dy = ry - yc;
        else if (yc > height - ry)
            dy = yc - (height - ry);
        int inset = 0;
        if (dy > 0) {
            double q = dy / ry;
            inset =
                static_cast<int>(std::lround(rx * (1.0 - std::sqrt(std::max(0.0, 1.0 - q * q)))));
        }
        if (inset != runInset) {
            flush(i);
            runStart = i;
            runInset = inset;
        }
    }
    flush(height);
    return out;
}

bool Within(long long v) {
    return v >= -2LL * kCoordLimit && v <= 2LL * kCoordLimit;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return NewRegion(RegionData(RECT{std::min(left, right), std::min(top, bottom),
                                     std::max(left, right), std::max(top, bottom)}));
}

HRGN CreateRectRgnIndirect(const RECT* lprect) {
    if (!lprect) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
    int l = ClampCoord(std::min(left, right)), r = ClampCoord(std::max(left, right));
    int t = ClampCoord(std::min(top, bottom)), b = ClampCoord(std::max(top, bottom));
    return NewRegion(RoundedRows(l, t, r - 1, b - 1, width, height));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    int l = ClampCoord(std::min(left, right)), r = ClampCoord(std::max(left, right));
    int t = ClampCoord(std::min(top, bottom)), b = ClampCoord(std::max(top, bottom));
    return NewRegion(RoundedRows(l, t, r - 1, b - 1, r - 1 - l, b - 1 - t));
}

HRGN CreateEllipticRgnIndirect(const RECT* lprect) {
    if (!lprect) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    return CreateEllipticRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
    auto region = Get<Region>(hrgn);
    if (!region) return FALSE;
    region->data() = RegionData(RECT{std::min(left, right), std::min(top, bottom),
                                     std::max(left, right), std::max(top, bottom)});
    return TRUE;
}

int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int mode) {
    auto dst = Get<Region>(hrgnDst);
    auto src1 = Get<Region>(hrgnSrc1);
    if (!dst || !src1) return ERROR;
    if (mode == RGN_COPY) {
        dst->data() = RegionData(src1->data());
        return dst->data().Type();
    }
    auto src2 = Get<Region>(hrgnSrc2);
    if (!src2) return ERROR;
    RegionData result(src1->data());
    cairo_status_t status;
    switch (mode) {
        case RGN_AND:
            status = cairo_region_intersect(result.get(), src2->data().get());
            break;
        case RGN_OR:
            status = cairo_region_union(result.get(), src2->data().get());
            break;
        case RGN_XOR:
            status = cairo_region_xor(result.get(), src2->data().get());
            break;
        case RGN_DIFF:
            status = cairo_region_subtract(result.get(), src2->data().get());
            break;
        default:
            SetLastErrorInvalidParameter();
            return ERROR;
    }
    if (status != CAIRO_STATUS_SUCCESS) return ERROR;
    dst->data() = std::move(result);
    return dst->data().Type();
}

int OffsetRgn(HRGN hrgn, int x, int y) {
    auto region = Get<Region>(hrgn);
    if (!region) return ERROR;
    RegionData& data = region->data();
    if (!data.empty()) {
        RECT box = data.Box();
        if (!Within(static_cast<long long>(box.left) + x) ||
            !Within(static_cast<long long>(box.right) + x) ||
            !Within(static_cast<long long>(box.top) + y) ||
            !Within(static_cast<long long>(box.bottom) + y)) {
            SetLastErrorInvalidParameter();
            return ERROR;
        }
        data.Offset(x, y);
    }
    return data.Type();
}

int GetRgnBox(HRGN hrgn, LPRECT lprc) {
    auto region = Get<Region>(hrgn);
    if (!region || !lprc) return ERROR;
    *lprc = region->data().Box();
    return region->data().Type();
}

BOOL PtInRegion(HRGN hrgn, int x, int y) {
    auto region = Get<Region>(hrgn);
    if (!region) return FALSE;
    return cairo_region_contains_point(region->data().get(), x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN hrgn, const RECT* lprect) {
    auto region = Get<Region>(hrgn);
    if (!region || !lprect) return FALSE;
    cairo_rectangle_int_t r =
        ToCairoRect(std::min(lprect->left, lprect->right), std::min(lprect->top, lprect->bottom),
                    std::max(lprect->left, lprect->right), std::max(lprect->top, lprect->bottom));
    if (r.width == 0) return FALSE;
    return cairo_region_contains_rectangle(region->data().get(), &r) != CAIRO_REGION_OVERLAP_OUT
               ? TRUE
               : FALSE;
}

BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2) {
    auto a = Get<Region>(hrgn1);
    auto b = Get<Region>(hrgn2);
    if (!a || !b) return FALSE;
    return cairo_region_equal(a->data().get(), b->data().get()) ? TRUE : FALSE;
}

const cairo_region_t* RegionRects(HRGN hrgn) {
    auto region = Get<Region>(hrgn);
    return region ? region->data().get() : nullptr;
}

HRGN CreateRegionFromRects(const cairo_region_t* rects) {
    return NewRegion(RegionData(rects));
}

BOOL SetRegionRects(HRGN hrgn, const cairo_region_t* rects) {
    auto region = Get<Region>(hrgn);
    if (!region) return FALSE;
    region->data() = RegionData(rects);
    return TRUE;
}
