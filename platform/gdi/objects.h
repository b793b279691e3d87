// The drawing objects: bitmaps, brushes, pens and regions (fonts live in font.h).
#pragma once

#include <cairo.h>

#include "platform/gdi/gdi_object.h"
#include "platform/gdi/region_data.h"

namespace gdi {

class Bitmap : public Object {
  public:
    static constexpr Kind kKind = Kind::Bitmap;
    // Takes over the reference to an ARGB32 image surface.
    Bitmap(cairo_surface_t* surface, bool bottomUp, bool dib, const BITMAPINFOHEADER& header);
    ~Bitmap() override { cairo_surface_destroy(surface_); }

    cairo_surface_t* surface() const { return surface_; }
    int width() const { return cairo_image_surface_get_width(surface_); }
    int height() const { return cairo_image_surface_get_height(surface_); }
    int stride() const { return cairo_image_surface_get_stride(surface_); }
    unsigned char* bits() const { return cairo_image_surface_get_data(surface_); }
    // Logical row y lies at memory row height - 1 - y.
    bool bottomUp() const { return bottomUp_; }
    bool dib() const { return dib_; }
    const BITMAPINFOHEADER& header() const { return header_; }

  private:
    cairo_surface_t* surface_;
    bool bottomUp_;
    bool dib_;
    BITMAPINFOHEADER header_;
};

// A new zero-filled 32-bit bitmap, or null (with the last error set) when the size is unusable.
std::shared_ptr<Bitmap> NewBitmap(int width, int height, bool bottomUp, bool dib,
                                  const BITMAPINFOHEADER* header);

class Brush : public Object {
  public:
    static constexpr Kind kKind = Kind::Brush;
    explicit Brush(const LOGBRUSH& lb) : Object(kKind), log_(lb) {}
    const LOGBRUSH& log() const { return log_; }
    bool hollow() const { return log_.lbStyle == BS_NULL; }
    // The stock DC brush takes its colour from the DC.
    bool dcColour = false;

  private:
    LOGBRUSH log_;
};

class Pen : public Object {
  public:
    static constexpr Kind kKind = Kind::Pen;
    explicit Pen(const LOGPEN& lp) : Object(kKind), log_(lp) {}
    const LOGPEN& log() const { return log_; }
    int style() const { return static_cast<int>(log_.lopnStyle & 0x0F); }
    int width() const { return log_.lopnWidth.x < 1 ? 1 : log_.lopnWidth.x; }
    bool hollow() const { return style() == PS_NULL; }
    bool dcColour = false;

  private:
    LOGPEN log_;
};

class Region : public Object {
  public:
    static constexpr Kind kKind = Kind::Region;
    explicit Region(RegionData data) : Object(kKind), data_(std::move(data)) {}
    RegionData& data() { return data_; }

  private:
    RegionData data_;
};

// Stock objects, made once.
HGDIOBJ StockObject(int index);
std::shared_ptr<Bitmap> StockBitmap();

}  // namespace gdi
