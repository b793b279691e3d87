#include "webengine/view_surface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gdi/surface_dc.h"
#include "platform/win_gdi.h"

namespace webengine {

namespace {

constexpr int kMaxSide = 16384;
constexpr size_t kMaxRects = 16;

}  // namespace

ViewSurface::ViewSurface() : dc_(CreateCompatibleDC(nullptr)) {}

ViewSurface::~ViewSurface() {
    release();
    if (dc_ != nullptr) DeleteDC(dc_);
}

void ViewSurface::release() {
    if (dc_ != nullptr && initialBitmap_ != nullptr) {
        SelectObject(dc_, initialBitmap_);
        initialBitmap_ = nullptr;
    }
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    if (back_ != nullptr) cairo_surface_destroy(back_);
    if (front_ != nullptr) cairo_surface_destroy(front_);
    back_ = nullptr;
    front_ = nullptr;
    width_ = 0;
    height_ = 0;
}

bool ViewSurface::resize(int width, int height) {
    width = std::clamp(width, 0, kMaxSide);
    height = std::clamp(height, 0, kMaxSide);
    if (width == width_ && height == height_ && front_ != nullptr) return true;
    release();
    if (width == 0 || height == 0) return false;
    back_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    front_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(back_) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_status(front_) != CAIRO_STATUS_SUCCESS) {
        release();
        return false;
    }
    if (dc_ != nullptr) {
        bitmap_ = CreateBitmapOnSurface(front_);
        if (bitmap_ != nullptr) initialBitmap_ = SelectObject(dc_, bitmap_);
    }
    width_ = width;
    height_ = height;
    return true;
}

std::vector<Box> ViewSurface::present(bool everything) {
    std::vector<Box> changed;
    if (front_ == nullptr) return changed;
    cairo_surface_flush(back_);
    cairo_surface_flush(front_);
    const unsigned char* src = cairo_image_surface_get_data(back_);
    unsigned char* dst = cairo_image_surface_get_data(front_);
    int srcStride = cairo_image_surface_get_stride(back_);
    int dstStride = cairo_image_surface_get_stride(front_);
    size_t rowBytes = static_cast<size_t>(width_) * 4;
    if (everything) {
        for (int y = 0; y < height_; ++y) {
            std::memcpy(dst + static_cast<ptrdiff_t>(y) * dstStride,
                        src + static_cast<ptrdiff_t>(y) * srcStride, rowBytes);
        }
        cairo_surface_mark_dirty(front_);
        changed.push_back({0, 0, width_, height_});
        return changed;
    }
    // Runs of changed rows become one rectangle spanning the columns that changed in them.
    Box band;
    bool open = false;
    for (int y = 0; y < height_; ++y) {
        const auto* s =
            reinterpret_cast<const uint32_t*>(src + static_cast<ptrdiff_t>(y) * srcStride);
        auto* d = reinterpret_cast<uint32_t*>(dst + static_cast<ptrdiff_t>(y) * dstStride);
        if (std::memcmp(s, d, rowBytes) == 0) {
            if (open) {
                changed.push_back(band);
                open = false;
            }
            continue;
        }
        int left = 0;
        while (s[left] == d[left]) ++left;
        int right = width_ - 1;
        while (s[right] == d[right]) --right;
        std::memcpy(d + left, s + left, static_cast<size_t>(right - left + 1) * 4);
        if (!open) {
            band = {left, y, right - left + 1, 1};
            open = true;
        } else {
            int x0 = std::min(band.x, left);
            int x1 = std::max(band.x + band.w, right + 1);
            band.x = x0;
            band.w = x1 - x0;
            band.h = y - band.y + 1;
        }
    }
    if (open) changed.push_back(band);
    cairo_surface_mark_dirty(front_);
    if (changed.size() > kMaxRects) {
        int x0 = width_, y0 = height_, x1 = 0, y1 = 0;
        for (const Box& b : changed) {
            x0 = std::min(x0, b.x);
            y0 = std::min(y0, b.y);
            x1 = std::max(x1, b.x + b.w);
            y1 = std::max(y1, b.y + b.h);
        }
        changed.assign(1, Box{x0, y0, x1 - x0, y1 - y0});
    }
    return changed;
}

}  // namespace webengine
