// Bitmaps, blits and single pixels.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/dc.h"
#include "platform/gdi/surface_dc.h"
#include "platform/win_kernel.h"

namespace gdi {

namespace {
constexpr int kMaxSide = 32767;              // cairo's limit for image surfaces
constexpr long long kMaxPixels = 1LL << 28;  // 1 GiB: anything larger is a mistake

BITMAPINFOHEADER StandardHeader(int width, int height) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = -height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    return h;
}
}  // namespace

Bitmap::Bitmap(cairo_surface_t* surface, bool bottomUp, bool dib, const BITMAPINFOHEADER& header)
    : Object(kKind), surface_(surface), bottomUp_(bottomUp), dib_(dib), header_(header) {}

std::shared_ptr<Bitmap> NewBitmap(int width, int height, bool bottomUp, bool dib,
                                  const BITMAPINFOHEADER* header) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<long long>(width) * height > kMaxPixels) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return std::make_shared<Bitmap>(surface, bottomUp, dib,
                                    header ? *header : StandardHeader(width, height));
}

}  // namespace gdi

using namespace gdi;

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    if (!GetDc(hdc)) return nullptr;
    if (cx == 0 || cy == 0) return static_cast<HBITMAP>(StockBitmap()->handle());
    return static_cast<HBITMAP>(Register(NewBitmap(cx, cy, false, false, nullptr)));
}

HBITMAP CreateBitmap(int cx, int cy, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    if (nPlanes != 1 || nBitCount != 32) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    if (cx == 0 || cy == 0) return static_cast<HBITMAP>(StockBitmap()->handle());
    auto bitmap = NewBitmap(cx, cy, false, false, nullptr);
    if (!bitmap) return nullptr;
    if (lpBits) {
        const auto* src = static_cast<const unsigned char*>(lpBits);
        for (int y = 0; y < cy; ++y)
            std::memcpy(bitmap->bits() + static_cast<size_t>(y) * bitmap->stride(),
                        src + static_cast<size_t>(y) * cx * 4, static_cast<size_t>(cx) * 4);
        cairo_surface_mark_dirty(bitmap->surface());
    }
    return static_cast<HBITMAP>(Register(bitmap));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                         DWORD) {
    if (ppvBits) *ppvBits = nullptr;
    if (!pbmi || hSection || usage > DIB_PAL_COLORS) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    bool standardMasks = false;
    if (h.biCompression == BI_BITFIELDS) {
        DWORD masks[3];
        std::memcpy(masks, pbmi->bmiColors, sizeof masks);  // the masks follow the header
        standardMasks = masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
    }
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 32 ||
        (h.biCompression != BI_RGB && !standardMasks) || h.biHeight == INT32_MIN) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    BITMAPINFOHEADER header = h;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biSizeImage = static_cast<DWORD>(h.biWidth) * static_cast<DWORD>(height) * 4;
    auto bitmap = NewBitmap(h.biWidth, height, h.biHeight > 0, true, &header);
    if (!bitmap) return nullptr;
    HBITMAP handle = static_cast<HBITMAP>(Register(bitmap));
    if (ppvBits) *ppvBits = bitmap->bits();
    return handle;
}

LONG GetBitmapBits(HBITMAP hbm, LONG cb, LPVOID lpvBits) {
    auto bitmap = Get<Bitmap>(hbm);
    if (!bitmap || cb < 0) return 0;
    size_t row = static_cast<size_t>(bitmap->width()) * 4;
    size_t total = row * static_cast<size_t>(bitmap->height());
    if (!lpvBits) return static_cast<LONG>(total);
    cairo_surface_flush(bitmap->surface());
    size_t wanted = std::min(total, static_cast<size_t>(cb));
    auto* out = static_cast<unsigned char*>(lpvBits);
    for (int y = 0; y < bitmap->height() && wanted > 0; ++y) {
        int memoryRow = bitmap->bottomUp() ? bitmap->height() - 1 - y : y;
        size_t n = std::min(row, wanted);
        std::memcpy(out, bitmap->bits() + static_cast<size_t>(memoryRow) * bitmap->stride(), n);
        out += n;
        wanted -= n;
    }
    return static_cast<LONG>(std::min(total, static_cast<size_t>(cb)));
}

namespace {

struct BlitSpec {
    int xDest, yDest, wDest, hDest;
    int xSrc, ySrc, wSrc, hSrc;
    cairo_operator_t op = CAIRO_OPERATOR_SOURCE;
    double alpha = 1.0;
    bool ignoreAlpha = false;
    bool smooth = false;
};

// A top-down copy of the part of src that a blit reads, for blits within one surface.
cairo_surface_t* CopyOfArea(const Surface& src, int x, int y, int w, int h) {
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(copy);
    cairo_pattern_t* p = SourcePattern(src, 1, 1, x, y, false);
    cairo_set_source(cr, p);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    cairo_destroy(cr);
    return copy;
}

bool Blit(const Dc& dst, const Dc& srcDc, const BlitSpec& b) {
    if (b.wDest == 0 || b.hDest == 0 || b.wSrc == 0 || b.hSrc == 0) return true;
    Surface src = srcDc.surface();
    POINT so = srcDc.logicalOrigin();
    // Source area in surface coordinates, normalised.
    int sx = std::min(b.xSrc, b.xSrc + b.wSrc) + so.x;
    int sy = std::min(b.ySrc, b.ySrc + b.hSrc) + so.y;
    int sw = std::abs(b.wSrc), sh = std::abs(b.hSrc);
    double kx = static_cast<double>(b.wSrc) / b.wDest;
    double ky = static_cast<double>(b.hSrc) / b.hDest;
    double ox = b.xSrc + so.x - b.xDest * kx;
    double oy = b.ySrc + so.y - b.yDest * ky;

    Canvas canvas(dst);
    if (canvas.empty()) return true;
    cairo_surface_t* copy = nullptr;
    if (src.surface == dst.surface().surface) {
        copy = CopyOfArea(src, sx, sy, sw, sh);
        src = Surface{copy, false, sw, sh};
        ox -= sx;
        oy -= sy;
    }
    bool stretched = kx != 1.0 || ky != 1.0;
    cairo_t* cr = canvas.cr();
    cairo_pattern_t* pattern = SourcePattern(src, kx, ky, ox, oy, b.ignoreAlpha);
    cairo_pattern_set_filter(pattern,
                             stretched && b.smooth ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, stretched ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    cairo_set_source(cr, pattern);
    cairo_set_operator(cr, b.op);
    int x = std::min(b.xDest, b.xDest + b.wDest), y = std::min(b.yDest, b.yDest + b.hDest);
    cairo_rectangle(cr, x, y, std::abs(b.wDest), std::abs(b.hDest));
    if (b.alpha < 1.0) {
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, b.alpha);
    } else {
        cairo_fill(cr);
    }
    cairo_pattern_destroy(pattern);
    if (copy) cairo_surface_destroy(copy);
    return true;
}

// The raster operations that need no source; false for any other.
bool FillRop(const Dc& dc, int x, int y, int w, int h, DWORD rop) {
    RECT r{std::min(x, x + w), std::min(y, y + h), std::max(x, x + w), std::max(y, y + h)};
    switch (rop) {
        case BLACKNESS:
            FillLogicalRect(dc, r, RGB(0, 0, 0));
            return true;
        case WHITENESS:
            FillLogicalRect(dc, r, RGB(255, 255, 255));
            return true;
        case PATCOPY: {
            const Brush* brush = dc.state().brush.get();
            if (!brush->hollow()) FillLogicalRect(dc, r, dc.BrushColour(*brush));
            return true;
        }
        default:
            return false;
    }
}

constexpr DWORD kRopFlags = CAPTUREBLT | NOMIRRORBITMAP;

}  // namespace

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop) {
    auto dst = GetDc(hdcDest);
    if (!dst) return FALSE;
    rop &= ~kRopFlags;
    if (rop != SRCCOPY) {
        if (FillRop(*dst, xDest, yDest, wDest, hDest, rop)) return TRUE;
        SetLastErrorInvalidParameter();
        return FALSE;
    }
    auto src = GetDc(hdcSrc);
    if (!src) return FALSE;
    BlitSpec b{xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc};
    b.smooth = dst->state().stretchMode == HALFTONE;
    return Blit(*dst, *src, b) ? TRUE : FALSE;
}

BOOL BitBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    if (cx < 0 || cy < 0) {
        if (!GetDc(hdcDest)) return FALSE;
        return TRUE;  // nothing to copy
    }
    return StretchBlt(hdcDest, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    if (FillRop(*dc, x, y, w, h, rop & ~kRopFlags)) return TRUE;
    SetLastErrorInvalidParameter();
    return FALSE;
}

BOOL AlphaBlend(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, BLENDFUNCTION blend) {
    auto dst = GetDc(hdcDest);
    auto src = GetDc(hdcSrc);
    if (!dst || !src) return FALSE;
    Surface s = src->surface();
    POINT so = src->logicalOrigin();
    long long sx = static_cast<long long>(xSrc) + so.x, sy = static_cast<long long>(ySrc) + so.y;
    bool badBlend = blend.BlendOp != AC_SRC_OVER || blend.BlendFlags != 0 ||
                    (blend.AlphaFormat & ~AC_SRC_ALPHA) != 0;
    bool outside = sx < 0 || sy < 0 || sx + wSrc > s.width || sy + hSrc > s.height;
    if (badBlend || wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0 || outside) {
        SetLastErrorInvalidParameter();
        return FALSE;
    }
    BlitSpec b{xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc};
    b.op = CAIRO_OPERATOR_OVER;
    b.alpha = blend.SourceConstantAlpha / 255.0;
    b.ignoreAlpha = (blend.AlphaFormat & AC_SRC_ALPHA) == 0;
    b.smooth = true;
    return Blit(*dst, *src, b) ? TRUE : FALSE;
}

namespace {

// The 32-bit pixel at a logical point, or null outside the clip.
uint32_t* PixelAt(const Dc& dc, int x, int y) {
    if (dc.drawsNowhere()) return nullptr;
    POINT o = dc.logicalOrigin();
    long long px = static_cast<long long>(x) + o.x, py = static_cast<long long>(y) + o.y;
    Surface s = dc.surface();
    if (px < 0 || py < 0 || px >= s.width || py >= s.height) return nullptr;
    if (!cairo_region_contains_point(dc.EffectiveClip().get(), static_cast<int>(px),
                                     static_cast<int>(py)))
        return nullptr;
    long long row = s.bottomUp ? s.height - 1 - py : py;
    unsigned char* data = cairo_image_surface_get_data(s.surface);
    int stride = cairo_image_surface_get_stride(s.surface);
    return reinterpret_cast<uint32_t*>(data + row * stride + px * 4);
}

}  // namespace

COLORREF GetPixel(HDC hdc, int x, int y) {
    auto dc = GetDc(hdc);
    if (!dc) return static_cast<COLORREF>(CLR_INVALID);
    cairo_surface_flush(dc->surface().surface);
    uint32_t* p = PixelAt(*dc, x, y);
    if (!p) return static_cast<COLORREF>(CLR_INVALID);
    return RGB((*p >> 16) & 0xFF, (*p >> 8) & 0xFF, *p & 0xFF);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    auto dc = GetDc(hdc);
    if (!dc) return static_cast<COLORREF>(CLR_INVALID);
    cairo_surface_t* surface = dc->surface().surface;
    cairo_surface_flush(surface);
    uint32_t* p = PixelAt(*dc, x, y);
    if (!p) return static_cast<COLORREF>(CLR_INVALID);
    *p = 0xFF000000u | (uint32_t{GetRValue(color)} << 16) | (uint32_t{GetGValue(color)} << 8) |
         GetBValue(color);
    cairo_surface_mark_dirty(surface);
    return color & 0xFFFFFF;
}

cairo_surface_t* SurfaceOfBitmap(HBITMAP hbm) {
    auto bitmap = Get<Bitmap>(hbm);
    if (!bitmap) return nullptr;
    cairo_surface_flush(bitmap->surface());
    return bitmap->surface();
}

bool IsBottomUpBitmap(HBITMAP hbm) {
    auto bitmap = Get<Bitmap>(hbm);
    return bitmap && bitmap->bottomUp();
}

HBITMAP CreateBitmapOnSurface(cairo_surface_t* surface) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = cairo_image_surface_get_width(surface);
    header.biHeight = -cairo_image_surface_get_height(surface);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    auto bitmap = std::make_shared<Bitmap>(cairo_surface_reference(surface), false, false, header);
    return static_cast<HBITMAP>(Register(bitmap));
}
