// An owned, copyable set of integer rectangles (a cairo region) with the few helpers the DC and
// region code share.
#pragma once

#include <cairo.h>

#include <utility>

#include "platform/win_base.h"

namespace gdi {

class RegionData {
  public:
    RegionData() : region_(cairo_region_create()) {}
    explicit RegionData(const RECT& rect);
    explicit RegionData(const cairo_region_t* source)
        : region_(source ? cairo_region_copy(source) : cairo_region_create()) {}
    RegionData(const RegionData& other) : region_(cairo_region_copy(other.region_)) {}
    RegionData(RegionData&& other) noexcept : region_(other.region_) { other.region_ = nullptr; }
    RegionData& operator=(RegionData other) noexcept {
        std::swap(region_, other.region_);
        return *this;
    }
    ~RegionData() {
        if (region_) cairo_region_destroy(region_);
    }

    cairo_region_t* get() const { return region_; }
    bool ok() const { return region_ && cairo_region_status(region_) == CAIRO_STATUS_SUCCESS; }
    bool empty() const { return cairo_region_is_empty(region_); }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Type() const;
    RECT Box() const;
    void Offset(int dx, int dy) { cairo_region_translate(region_, dx, dy); }
    void Intersect(const RegionData& other) { cairo_region_intersect(region_, other.region_); }
    void Intersect(const RECT& rect);
    void Subtract(const RECT& rect);

  private:
    cairo_region_t* region_;
};

// Coordinates are kept well inside the range where pixel arithmetic cannot overflow.
constexpr int kCoordLimit = 1 << 27;
int ClampCoord(long long v);
// A rectangle with clamped, ordered-or-empty coordinates as cairo wants it.
cairo_rectangle_int_t ToCairoRect(int left, int top, int right, int bottom);

}  // namespace gdi
