// Pixels drawn by fills, lines, shapes and blits, through clips, origins and row orders.
#include <cairo.h>
#include <gtest/gtest.h>

#include "platform/gdi/surface_dc.h"
#include "platform/win_gdi.h"
#include "tests/platform/gdi_fixture.h"

using gdi_test::Canvas;
using gdi_test::Opaque;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr uint32_t kClear = 0;

class Brush {
  public:
    explicit Brush(COLORREF c) : h_(CreateSolidBrush(c)) {}
    ~Brush() { DeleteObject(h_); }
    operator HBRUSH() const { return h_; }

  private:
    HBRUSH h_;
};

TEST(GdiFill, FillRectCoversExactlyItsRectangleOpaque) {
    for (bool topDown : {true, false}) {
        Canvas canvas(12, 10, topDown);
        RECT r{2, 3, 7, 9};
        ASSERT_TRUE(FillRect(canvas.dc(), &r, Brush(kRed)));
        EXPECT_TRUE(canvas.Only(r, Opaque(kRed), kClear)) << (topDown ? "top-down" : "bottom-up");
    }
}

TEST(GdiFill, EmptyOrInvertedRectanglesAndHollowBrushDrawNothing) {
    Canvas canvas(6, 6);
    RECT empty{3, 3, 3, 5}, inverted{5, 5, 1, 1}, all{0, 0, 6, 6};
    EXPECT_TRUE(FillRect(canvas.dc(), &empty, Brush(kRed)));
    EXPECT_TRUE(FillRect(canvas.dc(), &inverted, Brush(kRed)));
    EXPECT_TRUE(FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))));
    EXPECT_EQ(canvas.InkOver(kClear).count, 0);
}

TEST(GdiFill, DcBrushTakesTheDcColour) {
    Canvas canvas(4, 4);
    SetDCBrushColor(canvas.dc(), kBlue);
    RECT r{0, 0, 2, 2};
    FillRect(canvas.dc(), &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    EXPECT_TRUE(canvas.Only(r, Opaque(kBlue), kClear));
}

TEST(GdiClip, ClipRectanglesRegionsAndViewportOriginLimitWhatIsDrawn) {
    Canvas canvas(10, 10);
    HDC dc = canvas.dc();
    RECT all{0, 0, 10, 10};

    EXPECT_EQ(IntersectClipRect(dc, 2, 2, 8, 8), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(dc, 4, 0, 10, 10), SIMPLEREGION);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.right, 4);
    EXPECT_EQ(box.bottom, 8);
    FillRect(dc, &all, Brush(kRed));
    EXPECT_TRUE(canvas.Only(RECT{2, 2, 4, 8}, Opaque(kRed), kClear));
    EXPECT_FALSE(PtVisible(dc, 5, 5));
    EXPECT_TRUE(PtVisible(dc, 3, 3));

    // A selected region replaces the clip, in device units.
    canvas.Fill(kWhite);
    HRGN rgn = CreateRectRgn(6, 6, 9, 9);
    EXPECT_EQ(SelectClipRgn(dc, rgn), SIMPLEREGION);
    OffsetRgn(rgn, -6, -6);  // the DC keeps its own copy
    SetViewportOrgEx(dc, 5, 5, nullptr);
    RECT logical{0, 0, 3, 3};  // device 5..8
    FillRect(dc, &logical, Brush(kBlue));
    EXPECT_TRUE(canvas.Only(RECT{6, 6, 8, 8}, Opaque(kBlue), Opaque(kWhite)));
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 1);  // logical
    EXPECT_EQ(box.right, 4);
    EXPECT_EQ(GetClipRgn(dc, rgn), 1);
    RECT rgnBox;
    GetRgnBox(rgn, &rgnBox);
    EXPECT_EQ(rgnBox.left, 6);

    EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, rgn), 0);
    DeleteObject(rgn);
}

TEST(GdiLines, LineToLeavesOutTheEndPointAndMovesThePosition) {
    Canvas canvas(10, 10);
    HDC dc = canvas.dc();
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    SelectObject(dc, pen);
    MoveToEx(dc, 1, 2, nullptr);
    LineTo(dc, 6, 2);
    EXPECT_TRUE(canvas.Only(RECT{1, 2, 6, 3}, Opaque(kRed), kClear));
    LineTo(dc, 6, 0);  // upwards from (6,2): (6,2) and (6,1), not (6,0)
    EXPECT_EQ(canvas.At(6, 2), Opaque(kRed));
    EXPECT_EQ(canvas.At(6, 1), Opaque(kRed));
    EXPECT_EQ(canvas.At(6, 0), kClear);
    POINT pos;
    MoveToEx(dc, 0, 0, &pos);
    EXPECT_EQ(pos.x, 6);
    EXPECT_EQ(pos.y, 0);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(GdiShapes, RectangleFramesWithThePenAndFillsWithTheBrush) {
    Canvas canvas(10, 10);
    HDC dc = canvas.dc();
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    Brush blue(kBlue);
    SelectObject(dc, pen);
    SelectObject(dc, blue);
    Rectangle(dc, 1, 1, 7, 6);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 1 && x < 7 && y >= 1 && y < 6;
            bool edge = inside && (x == 1 || x == 6 || y == 1 || y == 5);
            uint32_t want = !inside ? kClear : edge ? Opaque(kRed) : Opaque(kBlue);
            ASSERT_EQ(canvas.At(x, y), want) << x << "," << y;
        }

    // Without a pen the filled area loses its right column and bottom row.
    canvas.Fill(kWhite);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 1, 1, 7, 6);
    EXPECT_TRUE(canvas.Only(RECT{1, 1, 6, 5}, Opaque(kBlue), Opaque(kWhite)));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
}

TEST(GdiShapes, RoundRectAndEllipseStayInsideTheirBoxAndCutTheCorners) {
    Canvas canvas(20, 20);
    HDC dc = canvas.dc();
    Brush blue(kBlue);
    SelectObject(dc, blue);
    SelectObject(dc, GetStockObject(NULL_PEN));
    RoundRect(dc, 2, 2, 18, 18, 8, 8);
    auto ink = canvas.InkOver(kClear);
    EXPECT_GE(ink.box.left, 2);
    EXPECT_GE(ink.box.top, 2);
    EXPECT_LE(ink.box.right, 18);
    EXPECT_LE(ink.box.bottom, 18);
    EXPECT_EQ(canvas.At(2, 2), kClear);
    EXPECT_EQ(canvas.At(10, 10), Opaque(kBlue));
    canvas.Fill(kWhite);
    Ellipse(dc, 0, 0, 20, 20);
    EXPECT_EQ(canvas.At(1, 1), Opaque(kWhite));
    EXPECT_EQ(canvas.At(10, 10), Opaque(kBlue));
    EXPECT_EQ(canvas.At(10, 1), Opaque(kBlue));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
}

TEST(GdiBlit, BitBltCopiesPixelsAlphaIncludedAcrossRowOrders) {
    Canvas src(8, 8, /*topDown=*/false);
    Canvas dst(8, 8);
    src.At(1, 1) = 0x80402010;  // half-transparent, premultiplied
    src.At(2, 1) = Opaque(kRed);
    src.At(1, 2) = Opaque(kBlue);
    ASSERT_TRUE(BitBlt(dst.dc(), 4, 5, 2, 2, src.dc(), 1, 1, SRCCOPY));
    EXPECT_EQ(dst.At(4, 5), 0x80402010u);
    EXPECT_EQ(dst.At(5, 5), Opaque(kRed));
    EXPECT_EQ(dst.At(4, 6), Opaque(kBlue));
    EXPECT_EQ(dst.At(5, 6), kClear);
    EXPECT_EQ(dst.InkOver(kClear).count, 3);

    // Source pixels replace destination pixels, transparent ones included.
    dst.Fill(kWhite);
    BitBlt(dst.dc(), 0, 0, 8, 8, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), kClear);
    EXPECT_EQ(dst.At(2, 1), Opaque(kRed));
}

TEST(GdiBlit, BlitWithinOneBitmapReadsTheOriginalPixels) {
    Canvas canvas(8, 1);
    for (int x = 0; x < 8; ++x) canvas.At(x, 0) = 0xFF000000u | static_cast<uint32_t>(x);
    BitBlt(canvas.dc(), 1, 0, 6, 1, canvas.dc(), 0, 0, SRCCOPY);  // overlapping, shifted right
    for (int x = 1; x < 7; ++x) EXPECT_EQ(canvas.At(x, 0), 0xFF000000u | (x - 1u)) << x;
}

TEST(GdiBlit, StretchBltScalesAndMirrors) {
    Canvas src(2, 1);
    src.At(0, 0) = Opaque(kRed);
    src.At(1, 0) = Opaque(kBlue);
    Canvas dst(4, 2);
    StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), Opaque(kRed));
    EXPECT_EQ(dst.At(1, 1), Opaque(kRed));
    EXPECT_EQ(dst.At(2, 0), Opaque(kBlue));
    EXPECT_EQ(dst.At(3, 1), Opaque(kBlue));
    StretchBlt(dst.dc(), 4, 0, -4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), Opaque(kBlue));
    EXPECT_EQ(dst.At(3, 0), Opaque(kRed));
}

TEST(GdiBlit, AlphaBlendMixesPremultipliedSourceOverDestination) {
    Canvas src(2, 1);
    src.At(0, 0) = 0x80800000;  // red at half coverage, premultiplied
    src.At(1, 0) = kClear;
    Canvas dst(2, 1);
    dst.Fill(kBlue);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(AlphaBlend(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, blend));
    uint32_t mixed = dst.At(0, 0);
    EXPECT_EQ(mixed >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((mixed >> 16) & 0xFF), 0x80, 1);
    EXPECT_NEAR(static_cast<int>(mixed & 0xFF), 0x7F, 1);
    EXPECT_EQ(dst.At(1, 0), Opaque(kBlue));  // a transparent source leaves the destination

    // Constant alpha on an opaque source; a source rectangle outside the bitmap fails.
    dst.Fill(kBlue);
    src.At(0, 0) = Opaque(kRed);
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    ASSERT_TRUE(AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, half));
    EXPECT_NEAR(static_cast<int>((dst.At(0, 0) >> 16) & 0xFF), 128, 1);
    EXPECT_NEAR(static_cast<int>(dst.At(0, 0) & 0xFF), 127, 1);
    EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 2, 1, src.dc(), 1, 0, 2, 1, half));
    BLENDFUNCTION badOp{1, 0, 255, 0};
    EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, badOp));
}

TEST(GdiBlit, PixelsWrittenThroughTheDibPointerAreSeenByTheNextBlit) {
    Canvas src(2, 2);
    Canvas dst(2, 2);
    BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, SRCCOPY);
    src.bits()[3] = Opaque(kRed);
    BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.At(1, 1), Opaque(kRed));
    EXPECT_EQ(GetPixel(src.dc(), 1, 1), kRed);
    EXPECT_EQ(SetPixel(dst.dc(), 0, 0, kBlue), kBlue);
    EXPECT_EQ(dst.At(0, 0), Opaque(kBlue));
    EXPECT_EQ(GetPixel(dst.dc(), 5, 5), static_cast<COLORREF>(CLR_INVALID));
}

// A window backing store: the DC's origin is the client origin, its clip is in surface pixels.
TEST(GdiSurfaceDc, DrawsAtItsOriginInsideItsClipOnly) {
    cairo_surface_t* store = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20);
    cairo_rectangle_int_t visible{10, 10, 5, 5};
    cairo_region_t* clip = cairo_region_create_rectangle(&visible);
    HDC dc = CreateSurfaceDC(store, POINT{8, 8}, clip);
    cairo_region_destroy(clip);
    ASSERT_TRUE(dc);
    EXPECT_TRUE(IsSurfaceDC(dc));
    EXPECT_EQ(GetObjectType(dc), OBJ_DC);
    RECT box;
    GetClipBox(dc, &box);
    EXPECT_EQ(box.left, 2);  // client coordinates
    EXPECT_EQ(box.bottom, 7);
    RECT client{0, 0, 20, 20};
    FillRect(dc, &client, Brush(kRed));
    // A bitmap cannot go into a window DC.
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
    DeleteObject(bitmap);

    cairo_surface_t* surface = SurfaceOfDC(dc);
    ASSERT_EQ(surface, store);
    const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
    int stride = cairo_image_surface_get_stride(surface) / 4;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            bool in = x >= 10 && x < 15 && y >= 10 && y < 15;
            ASSERT_EQ(px[y * stride + x], in ? Opaque(kRed) : kClear) << x << "," << y;
        }

    // Moved and resized: a new store and origin, the DC's own state kept.
    cairo_surface_t* bigger = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 30, 30);
    SetTextColor(dc, kBlue);
    ASSERT_TRUE(SetSurfaceDCTarget(dc, bigger, POINT{1, 1}, nullptr));
    EXPECT_EQ(GetTextColor(dc), kBlue);
    EXPECT_EQ(SurfaceOfDC(dc), bigger);
    SetPixel(dc, 0, 0, kBlue);
    cairo_surface_flush(bigger);
    const auto* bp = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(bigger));
    EXPECT_EQ(bp[cairo_image_surface_get_stride(bigger) / 4 + 1], Opaque(kBlue));
    ASSERT_TRUE(ReleaseSurfaceDC(dc));
    cairo_surface_destroy(store);
    cairo_surface_destroy(bigger);

    cairo_surface_t* rgb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
    EXPECT_EQ(CreateSurfaceDC(rgb, POINT{0, 0}, nullptr), nullptr);
    EXPECT_EQ(CreateSurfaceDC(nullptr, POINT{0, 0}, nullptr), nullptr);
    cairo_surface_destroy(rgb);
}

TEST(GdiSurfaceDc, BitmapsShowTheirSurfaceAndRowOrder) {
    Canvas topDown(3, 2);
    Canvas bottomUp(3, 2, false);
    cairo_surface_t* s = SurfaceOfBitmap(topDown.bitmap());
    ASSERT_TRUE(s);
    EXPECT_EQ(cairo_image_surface_get_data(s), reinterpret_cast<unsigned char*>(topDown.bits()));
    EXPECT_FALSE(IsBottomUpBitmap(topDown.bitmap()));
    EXPECT_TRUE(IsBottomUpBitmap(bottomUp.bitmap()));
    EXPECT_EQ(SurfaceOfDC(topDown.dc()), s);

    cairo_surface_t* own = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    HBITMAP wrapped = CreateBitmapOnSurface(own);
    cairo_surface_destroy(own);  // the bitmap keeps it
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, wrapped);
    SetPixel(dc, 3, 3, kRed);
    EXPECT_EQ(GetPixel(dc, 3, 3), kRed);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(wrapped));
    EXPECT_EQ(SurfaceOfBitmap(wrapped), nullptr);
}

}  // namespace
