// Device contexts: what a DC draws into, its selected objects and attributes, its clip, and the
// cairo context set up for one drawing call.
#pragma once

#include <cairo.h>

#include <optional>
#include <vector>

#include "platform/gdi/font.h"
#include "platform/gdi/objects.h"

namespace gdi {

struct DcState {
    Held<Bitmap> bitmap;  // memory DCs only
    Held<Brush> brush;
    Held<Pen> pen;
    Held<Font> font;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF bkColour = RGB(255, 255, 255);
    COLORREF dcBrushColour = RGB(255, 255, 255);
    COLORREF dcPenColour = RGB(0, 0, 0);
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int stretchMode = BLACKONWHITE;
    POINT position{0, 0};
    POINT viewport{0, 0};
    // The DC's own clip in device coordinates; none means no clip of its own.
    std::optional<RegionData> clip;
};

// Where pixels go: an ARGB32 image surface, possibly stored bottom-up.
struct Surface {
    cairo_surface_t* surface = nullptr;
    bool bottomUp = false;
    int width = 0;
    int height = 0;
};

class Dc : public Object {
  public:
    static constexpr Kind kKind = Kind::Dc;
    Dc();                                                                   // a memory DC
    Dc(cairo_surface_t* target, POINT origin, const cairo_region_t* clip);  // a surface DC
    ~Dc() override;

    bool memory() const { return target_ == nullptr; }
    // A memory DC still holding the shared 1x1 stock bitmap: drawing there would only race
    // with every other such DC, so nothing is drawn.
    bool drawsNowhere() const { return memory() && state_.bitmap->stock(); }
    void Retarget(cairo_surface_t* target, POINT origin, const cairo_region_t* clip);
    HWND window = nullptr;

    DcState& state() { return state_; }
    const DcState& state() const { return state_; }
    std::vector<DcState>& saved() { return saved_; }

    Surface surface() const;
    // Device (0, 0) on the surface: the surface DC's origin, (0, 0) for a memory DC.
    POINT deviceOrigin() const { return memory() ? POINT{0, 0} : origin_; }
    // Logical (0, 0) on the surface.
    POINT logicalOrigin() const;
    // Everything the DC may touch, in surface coordinates: the target, its clip and the DC's own.
    RegionData EffectiveClip() const;
    // The area the DC could touch without a clip of its own, in device coordinates.
    RegionData DeviceBounds() const;

    COLORREF BrushColour(const Brush& brush) const;
    COLORREF PenColour(const Pen& pen) const;

  private:
    cairo_surface_t* target_ = nullptr;
    POINT origin_{0, 0};
    std::optional<RegionData> targetClip_;
    DcState state_;
    std::vector<DcState> saved_;
};

// One drawing call: a cairo context on the DC's surface, clipped, in logical coordinates. Flushes
// the surface when done so that the pixels behind a DIB pointer are current.
class Canvas {
  public:
    explicit Canvas(const Dc& dc);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    // Nothing can be drawn: the clip is empty.
    bool empty() const { return empty_; }

  private:
    cairo_t* cr_;
    cairo_surface_t* surface_;
    bool empty_;
};

void SetSourceColour(cairo_t* cr, COLORREF colour);
// A pattern showing src so that user point (x, y) shows surface-logical point
// (x * kx + ox, y * ky + oy) of the source. ignoreAlpha reads every pixel as opaque.
cairo_pattern_t* SourcePattern(const Surface& src, double kx, double ky, double ox, double oy,
                               bool ignoreAlpha);

std::shared_ptr<Dc> GetDc(HDC hdc);

// Fills [left, right) x [top, bottom) in logical coordinates with an opaque colour.
void FillLogicalRect(const Dc& dc, const RECT& rect, COLORREF colour);

}  // namespace gdi
