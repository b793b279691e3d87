#include "platform/display/capture.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "platform/display/backend.h"
#include "platform/user_internal.h"

namespace display {
namespace {

void CopyOut(cairo_surface_t* s, const RECT& r, Capture* out) {
    cairo_surface_flush(s);
    int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    out->width = std::max<int>(0, r.right - r.left);
    out->height = std::max<int>(0, r.bottom - r.top);
    out->pixels.assign(static_cast<size_t>(out->width) * static_cast<size_t>(out->height), 0);
    for (int y = 0; y < out->height; ++y) {
        int sy = r.top + y;
        if (sy < 0 || sy >= sh) continue;
        const auto* row =
            reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(sy) * stride);
        for (int x = 0; x < out->width; ++x) {
            int sx = r.left + x;
            if (sx < 0 || sx >= sw) continue;
            out->pixels[static_cast<size_t>(y) * out->width + x] = row[sx];
        }
    }
}

}  // namespace

bool CaptureWindow(HWND hwnd, Capture* out, bool clientOnly) {
    if (!out) return false;
    user::TreeGuard g(user::TreeLock());
    user::Window* w = user::FindLiveLocked(hwnd);
    if (!w) return false;
    user::Window* root = user::RootLocked(w);
    if (!root->backing) return false;
    RECT r = clientOnly ? user::ClientRectInRootLocked(w) : user::WindowRectInRootLocked(w);
    CopyOut(root->backing, r, out);
    return true;
}

bool CaptureScreen(Capture* out) {
    if (!out) return false;
    RECT screen = Current().ScreenRect();
    int cx = screen.right - screen.left, cy = screen.bottom - screen.top;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cx, cy);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    {
        user::TreeGuard g(user::TreeLock());
        auto& tops = user::TopLevelsLocked();
        for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
            user::Window* w = *it;
            if (!(w->style & WS_VISIBLE) || !w->backing) continue;
            cairo_save(cr);
            cairo_translate(cr, w->rcWindow.left - screen.left, w->rcWindow.top - screen.top);
            if (w->regionRects) {
                int n = cairo_region_num_rectangles(w->regionRects);
                for (int i = 0; i < n; ++i) {
                    cairo_rectangle_int_t r;
                    cairo_region_get_rectangle(w->regionRects, i, &r);
                    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
                }
                cairo_clip(cr);
            }
            cairo_surface_flush(w->backing);
            cairo_set_source_surface(cr, w->backing, 0, 0);
            bool layered = (w->exStyle & WS_EX_LAYERED) != 0;
            if (layered) {
                cairo_paint_with_alpha(cr, w->layeredAlpha / 255.0);
            } else {
                cairo_paint(cr);
            }
            cairo_restore(cr);
        }
    }
    cairo_destroy(cr);
    CopyOut(s, RECT{0, 0, cx, cy}, out);
    cairo_surface_destroy(s);
    return true;
}

bool WritePng(const Capture& capture, const std::string& path) {
    if (capture.width <= 0 || capture.height <= 0) return false;
    cairo_surface_t* s =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, capture.width, capture.height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return false;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < capture.height; ++y) {
        std::memcpy(data + static_cast<size_t>(y) * stride,
                    capture.pixels.data() + static_cast<size_t>(y) * capture.width,
                    static_cast<size_t>(capture.width) * 4);
    }
    cairo_surface_mark_dirty(s);
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

}  // namespace display
