// The view's pixels: a 32-bit bitmap in a memory device context, and a second buffer that each
// frame is drawn into first so that only the pixels that changed are copied and reported.
#pragma once

#include <cairo.h>

#include <vector>

#include "platform/win_base.h"
#include "webengine/geometry.h"

namespace webengine {

class ViewSurface {
  public:
    ViewSurface();
    ~ViewSurface();
    ViewSurface(const ViewSurface&) = delete;
    ViewSurface& operator=(const ViewSurface&) = delete;

    // False when the bitmap could not be made (the view then draws nothing).
    bool resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    // Where the next frame is drawn.
    cairo_surface_t* back() { return back_; }
    // The bitmap that holds what the view shows.
    cairo_surface_t* image() { return front_; }
    HDC dc() { return dc_; }

    // Copies the changed part of the back buffer to the bitmap and returns the changed areas
    // (all of it when everything is asked for).
    std::vector<Box> present(bool everything);

  private:
    void release();

    int width_ = 0;
    int height_ = 0;
    cairo_surface_t* back_ = nullptr;
    cairo_surface_t* front_ = nullptr;
    // The bitmap wraps front_'s pixels; the memory DC keeps it selected.
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ initialBitmap_ = nullptr;
    HDC dc_ = nullptr;
};

}  // namespace webengine
