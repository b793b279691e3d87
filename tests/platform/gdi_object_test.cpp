// Handles, selection and lifetime of GDI objects, DIB creation and the records GetObject gives.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win_gdi.h"
#include "platform/win_kernel.h"
#include "tests/platform/gdi_fixture.h"

using gdi_test::Canvas;
using gdi_test::DibInfo;

namespace {

TEST(GdiHandles, StaleForeignAndNullHandlesFailWithoutHarm) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_TRUE(brush);
    ASSERT_TRUE(DeleteObject(brush));
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(dc);
    int dummy = 0;
    HGDIOBJ foreign = &dummy;
    for (HGDIOBJ bad : {static_cast<HGDIOBJ>(brush), foreign, static_cast<HGDIOBJ>(nullptr)}) {
        SetLastError(0);
        EXPECT_FALSE(DeleteObject(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(SelectObject(dc, bad), nullptr);
        EXPECT_EQ(GetObjectType(bad), 0u);
        RECT r{0, 0, 4, 4};
        EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(bad)), 0);
        EXPECT_EQ(
            FillRect(static_cast<HDC>(bad), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))),
            0);
    }
    // A DC handle is not an object for DeleteObject, and an object is not a DC.
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_EQ(SaveDC(static_cast<HDC>(GetStockObject(WHITE_BRUSH))), 0);
    ASSERT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SetTextColor(dc, 0), static_cast<COLORREF>(CLR_INVALID));
}

TEST(GdiHandles, ObjectSelectedIntoADcCannotBeDeletedUntilDeselected) {
    Canvas canvas(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
    HGDIOBJ oldPen = SelectObject(canvas.dc(), pen);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);  // still alive
    EXPECT_EQ(SelectObject(canvas.dc(), oldPen), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);

    // The selected bitmap too; deleting the DC releases it.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    SelectObject(dc, bitmap);
    EXPECT_FALSE(DeleteObject(bitmap));
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(GdiHandles, BitmapBelongsToOneMemoryDcAndNeverToAWindowDc) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(first, 2, 2);
    HGDIOBJ stock = SelectObject(first, bitmap);
    ASSERT_TRUE(stock);
    EXPECT_EQ(GetObjectType(stock), OBJ_BITMAP);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_EQ(SelectObject(first, bitmap), bitmap);  // again into the same DC is fine
    SelectObject(first, stock);
    EXPECT_EQ(SelectObject(second, bitmap), stock);
    EXPECT_EQ(GetCurrentObject(second, OBJ_BITMAP), bitmap);
    DeleteDC(first);
    DeleteDC(second);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(GdiHandles, StockObjectsSurviveDeleteAndAreOfTheirKind) {
    struct Case {
        int index;
        DWORD type;
    } cases[] = {{WHITE_BRUSH, OBJ_BRUSH},     {NULL_BRUSH, OBJ_BRUSH},
                 {BLACK_PEN, OBJ_PEN},         {NULL_PEN, OBJ_PEN},
                 {DEFAULT_GUI_FONT, OBJ_FONT}, {SYSTEM_FONT, OBJ_FONT},
                 {DC_BRUSH, OBJ_BRUSH},        {DC_PEN, OBJ_PEN}};
    for (const Case& c : cases) {
        HGDIOBJ object = GetStockObject(c.index);
        ASSERT_TRUE(object) << c.index;
        EXPECT_TRUE(DeleteObject(object));
        EXPECT_EQ(GetObjectType(object), c.type) << c.index;
    }
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), GetStockObject(DEFAULT_GUI_FONT));
}

TEST(GdiDc, NewMemoryDcHasTheDocumentedDefaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetObjectType(dc), OBJ_MEMDC);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm), int{sizeof bm});
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    DeleteDC(dc);
}

TEST(GdiDc, RestoreDcBringsBackObjectsAttributesAndClip) {
    Canvas canvas(10, 10);
    HDC dc = canvas.dc();
    HFONT font = CreateFontW(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));

    SetTextColor(dc, RGB(10, 0, 0));
    int level1 = SaveDC(dc);
    EXPECT_EQ(level1, 1);
    SelectObject(dc, font);
    SetTextColor(dc, RGB(20, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, 2, 2, 5, 5);
    int level2 = SaveDC(dc);
    EXPECT_EQ(level2, 2);
    SelectObject(dc, brush);
    SetTextColor(dc, RGB(30, 0, 0));

    // A saved state still holds the font: it cannot be deleted yet.
    ASSERT_TRUE(RestoreDC(dc, -1));
    EXPECT_EQ(GetTextColor(dc), RGB(20, 0, 0));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.right, 5);

    SaveDC(dc);
    SaveDC(dc);
    ASSERT_TRUE(RestoreDC(dc, level1));  // several levels at once
    EXPECT_EQ(GetTextColor(dc), RGB(10, 0, 0));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 10);
    EXPECT_TRUE(DeleteObject(font));

    // Nothing left to restore, and level 0 is never valid.
    EXPECT_FALSE(RestoreDC(dc, -1));
    EXPECT_FALSE(RestoreDC(dc, 1));
    EXPECT_FALSE(RestoreDC(dc, 0));
}

TEST(GdiBitmap, DibSectionGivesItsPixelsAndDescribesItself) {
    BITMAPINFO bi = DibInfo(5, -3);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(dib);
    ASSERT_TRUE(bits);
    const auto* p = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(p[i], 0u);  // zero-filled

    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(dib, sizeof ds, &ds), int{sizeof ds});
    EXPECT_EQ(ds.dsBm.bmWidth, 5);
    EXPECT_EQ(ds.dsBm.bmHeight, 3);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 20);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBmih.biHeight, -3);

    BITMAP bm{};
    ASSERT_EQ(GetObjectW(dib, sizeof bm, &bm), int{sizeof bm});
    EXPECT_EQ(bm.bmBits, bits);
    EXPECT_EQ(GetObjectW(dib, 0, nullptr), int{sizeof(DIBSECTION)});
    EXPECT_EQ(GetObjectW(dib, 4, &bm), 0);  // too small for a BITMAP
    DeleteObject(dib);

    // A compatible bitmap does not show its pixels, as on Windows.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP ddb = CreateCompatibleBitmap(dc, 7, 2);
    ASSERT_EQ(GetObjectW(ddb, sizeof bm, &bm), int{sizeof bm});
    EXPECT_EQ(bm.bmWidth, 7);
    EXPECT_EQ(bm.bmBits, nullptr);
    DeleteObject(ddb);
    DeleteDC(dc);
}

TEST(GdiBitmap, UnsupportedOrBrokenDibRequestsFail) {
    struct Case {
        const char* what;
        LONG width, height;
        WORD bits, planes;
        DWORD compression;
        bool section;
    } cases[] = {
        {"24 bits", 4, -4, 24, 1, BI_RGB, false},
        {"zero width", 0, -4, 32, 1, BI_RGB, false},
        {"zero height", 4, 0, 32, 1, BI_RGB, false},
        {"negative width", -4, -4, 32, 1, BI_RGB, false},
        {"too wide", 40000, -1, 32, 1, BI_RGB, false},
        {"too many pixels", 30000, -30000, 32, 1, BI_RGB, false},
        {"two planes", 4, -4, 32, 2, BI_RGB, false},
        {"compressed", 4, -4, 32, 1, 1 /* BI_RLE8 */, false},
        {"file mapping", 4, -4, 32, 1, BI_RGB, true},
    };
    for (const Case& c : cases) {
        BITMAPINFO bi = DibInfo(c.width, c.height);
        bi.bmiHeader.biBitCount = c.bits;
        bi.bmiHeader.biPlanes = c.planes;
        bi.bmiHeader.biCompression = c.compression;
        void* bits = reinterpret_cast<void*>(1);
        int section = 0;
        EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits,
                                   c.section ? &section : nullptr, 0),
                  nullptr)
            << c.what;
        EXPECT_EQ(bits, nullptr) << c.what;
    }
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(GdiFont, GetObjectReturnsTheLogfontAsGiven) {
    LOGFONTW lf{};
    lf.lfHeight = -15;
    lf.lfWeight = FW_BOLD;
    lf.lfUnderline = 1;
    lf.lfCharSet = GB2312_CHARSET;
    std::wcscpy(lf.lfFaceName, L"微软雅黑");
    HFONT font = CreateFontIndirectW(&lf);
    ASSERT_TRUE(font);
    LOGFONTW back{};
    ASSERT_EQ(GetObjectW(font, sizeof back, &back), int{sizeof back});
    EXPECT_EQ(std::memcmp(&lf, &back, sizeof lf), 0);
    DeleteObject(font);

    LOGFONTW gui{};
    ASSERT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui), int{sizeof gui});
    EXPECT_LT(gui.lfHeight, 0);
    EXPECT_NE(gui.lfFaceName[0], L'\0');
}

TEST(GdiArithmetic, MulDivRoundsHalfAwayFromZeroAndReportsOverflow) {
    struct Case {
        int a, b, c, want;
    } cases[] = {
        {9, 96, 72, 12}, {-9, 96, 72, -12}, {5, 1, 2, 3},   {-5, 1, 2, -3}, {7, 1, 2, 4},
        {1, 1, 3, 0},    {2, 1, 3, 1},      {5, 1, -2, -3}, {1, 1, 0, -1},  {INT32_MAX, 2, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
}

}  // namespace
