// Regions: combination, hit tests and the rounded shapes windows are cut to.
#include <cairo.h>
#include <gtest/gtest.h>

#include "platform/gdi/surface_dc.h"
#include "platform/win_gdi.h"

namespace {

class Rgn {
  public:
    explicit Rgn(HRGN h) : h_(h) {}
    ~Rgn() { DeleteObject(h_); }
    operator HRGN() const { return h_; }

  private:
    HRGN h_;
};

RECT Box(HRGN rgn) {
    RECT r{};
    GetRgnBox(rgn, &r);
    return r;
}

TEST(GdiRegion, CombineGivesTheDocumentedShapeAndType) {
    struct Case {
        int mode;
        int type;
        POINT in, out;
    } cases[] = {
        {RGN_AND, SIMPLEREGION, {7, 7}, {2, 2}},    {RGN_OR, COMPLEXREGION, {2, 2}, {2, 12}},
        {RGN_XOR, COMPLEXREGION, {2, 2}, {7, 7}},   {RGN_DIFF, COMPLEXREGION, {2, 2}, {12, 12}},
        {RGN_COPY, SIMPLEREGION, {7, 7}, {12, 12}},
    };
    for (const Case& c : cases) {
        Rgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(5, 5, 15, 15)),
            dst(CreateRectRgn(0, 0, 0, 0));
        EXPECT_EQ(CombineRgn(dst, a, b, c.mode), c.type) << c.mode;
        EXPECT_TRUE(PtInRegion(dst, c.in.x, c.in.y)) << c.mode;
        EXPECT_FALSE(PtInRegion(dst, c.out.x, c.out.y)) << c.mode;
    }
    // The destination may be a source.
    Rgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(0, 0, 4, 10));
    EXPECT_EQ(CombineRgn(a, a, b, RGN_DIFF), SIMPLEREGION);
    RECT box = Box(a);
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(CombineRgn(a, a, a, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(a, a, b, 99), ERROR);
    EXPECT_EQ(CombineRgn(a, a, nullptr, RGN_OR), ERROR);
}

TEST(GdiRegion, RectRegionEdgesOffsetAndEquality) {
    Rgn r(CreateRectRgn(10, 20, 4, 2));  // corners in any order
    RECT box = Box(r);
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 20);
    EXPECT_TRUE(PtInRegion(r, 4, 2));
    EXPECT_FALSE(PtInRegion(r, 10, 5));  // right and bottom edges are outside
    EXPECT_FALSE(PtInRegion(r, 5, 20));
    RECT touching{10, 0, 12, 30}, crossing{9, 0, 12, 30};
    EXPECT_FALSE(RectInRegion(r, &touching));
    EXPECT_TRUE(RectInRegion(r, &crossing));

    EXPECT_EQ(OffsetRgn(r, 100, -2), SIMPLEREGION);
    Rgn moved(CreateRectRgn(104, 0, 110, 18));
    EXPECT_TRUE(EqualRgn(r, moved));
    EXPECT_EQ(OffsetRgn(r, INT32_MAX, 0), ERROR);  // would leave the coordinate range
    EXPECT_TRUE(EqualRgn(r, moved));

    Rgn empty(CreateRectRgn(3, 3, 3, 9));
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    EXPECT_EQ(box.right, 0);
    EXPECT_TRUE(SetRectRgn(empty, 0, 0, 2, 2));
    EXPECT_TRUE(PtInRegion(empty, 1, 1));
}

TEST(GdiRegion, RoundRectRegionLeavesOutTheLastColumnAndRowAndCutsItsCorners) {
    // A window of 100 x 60 is cut with the rectangle grown by one, as the window base does.
    Rgn square(CreateRoundRectRgn(0, 0, 101, 61, 0, 0));
    RECT box = Box(square);
    EXPECT_EQ(box.right, 100);
    EXPECT_EQ(box.bottom, 60);
    EXPECT_EQ(cairo_region_num_rectangles(RegionRects(square)), 1);

    Rgn round(CreateRoundRectRgn(0, 0, 101, 61, 10, 10));
    box = Box(round);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 100);
    EXPECT_EQ(box.bottom, 60);
    for (POINT corner : {POINT{0, 0}, POINT{99, 0}, POINT{0, 59}, POINT{99, 59}, POINT{0, 1}})
        EXPECT_FALSE(PtInRegion(round, corner.x, corner.y)) << corner.x << "," << corner.y;
    for (POINT inside :
         {POINT{5, 0}, POINT{0, 5}, POINT{50, 30}, POINT{94, 59}, POINT{99, 54}, POINT{3, 3}})
        EXPECT_TRUE(PtInRegion(round, inside.x, inside.y)) << inside.x << "," << inside.y;
    // The shape is symmetric.
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(PtInRegion(round, x, y), PtInRegion(round, 99 - x, 59 - y)) << x << "," << y;

    // An ellipse larger than the rectangle is clamped to it.
    Rgn pill(CreateRoundRectRgn(0, 0, 21, 11, 1000, 1000));
    Rgn ellipse(CreateEllipticRgn(0, 0, 21, 11));
    EXPECT_TRUE(EqualRgn(pill, ellipse));
    EXPECT_TRUE(PtInRegion(ellipse, 10, 5));
    EXPECT_FALSE(PtInRegion(ellipse, 0, 0));
}

TEST(GdiRegion, RectsRoundTripThroughTheWindowSystemInterface) {
    cairo_region_t* rects = cairo_region_create();
    cairo_rectangle_int_t a{0, 0, 5, 5}, b{10, 10, 5, 5};
    cairo_region_union_rectangle(rects, &a);
    cairo_region_union_rectangle(rects, &b);
    Rgn rgn(CreateRegionFromRects(rects));
    cairo_region_destroy(rects);
    EXPECT_TRUE(PtInRegion(rgn, 12, 12));
    EXPECT_FALSE(PtInRegion(rgn, 7, 7));
    EXPECT_EQ(cairo_region_num_rectangles(RegionRects(rgn)), 2);
    EXPECT_TRUE(SetRegionRects(rgn, nullptr));
    EXPECT_TRUE(cairo_region_is_empty(RegionRects(rgn)));
    EXPECT_EQ(RegionRects(nullptr), nullptr);
}

TEST(GdiRegion, FillRgnPaintsTheRegionInLogicalUnits) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    SetViewportOrgEx(dc, 2, 2, nullptr);
    Rgn rgn(CreateRectRgn(0, 0, 2, 1));
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    ASSERT_TRUE(FillRgn(dc, rgn, brush));
    const auto* px = static_cast<const uint32_t*>(bits);
    int painted = 0;
    for (int i = 0; i < 64; ++i) painted += px[i] != 0;
    EXPECT_EQ(painted, 2);
    EXPECT_EQ(px[2 * 8 + 2], 0xFF00FF00u);
    EXPECT_EQ(px[2 * 8 + 3], 0xFF00FF00u);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    DeleteObject(brush);
}

}  // namespace
