// Text: fonts, metrics, extents and DrawText's flags, checked on the pixels drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/font.h"
#include "platform/win_gdi.h"
#include "tests/platform/gdi_fixture.h"

using gdi_test::Canvas;
using gdi_test::Opaque;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr uint32_t kClear = 0;

HFONT MakeFont(const wchar_t* face, LONG height, LONG weight = FW_NORMAL) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

// A white canvas with black text in the given font, transparent background mode.
class TextCanvas : public Canvas {
  public:
    TextCanvas(int w, int h, const wchar_t* face = L"Microsoft YaHei", LONG height = -16,
               bool topDown = true)
        : Canvas(w, h, topDown), font_(MakeFont(face, height)) {
        Fill(kWhite);
        old_ = SelectObject(dc(), font_);
        SetBkMode(dc(), TRANSPARENT);
    }
    ~TextCanvas() {
        SelectObject(dc(), old_);
        DeleteObject(font_);
    }
    Ink Ink() const { return InkOver(Opaque(kWhite)); }
    RECT Calc(const wchar_t* text, UINT flags, RECT r = {10, 10, 10, 10}) {
        DrawTextW(dc(), text, -1, &r, flags | DT_CALCRECT);
        return r;
    }

  private:
    HFONT font_;
    HGDIOBJ old_;
};

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

::testing::AssertionResult SamePixels(const Canvas& a, const Canvas& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.At(x, y) != b.At(x, y))
                return ::testing::AssertionFailure() << "differ at " << x << "," << y;
    return ::testing::AssertionSuccess();
}

TEST(GdiText, InkLiesInsideTheCalculatedRectangleAndFillsMostOfIt) {
    struct Case {
        const wchar_t* text;
        UINT flags;
        LONG width;  // of the rectangle given to DT_CALCRECT
    } cases[] = {
        {L"Repair finished", DT_SINGLELINE, 0},
        {L"修复完成，请重新打开浏览器", DT_SINGLELINE, 0},
        {L"IE 主页修复 tool", DT_SINGLELINE, 0},
        {L"first line\nsecond, longer line", 0, 0},
        {L"正在修复，请稍候。修复完成后请重新打开浏览器。", DT_WORDBREAK, 120},
        {L"words that wrap onto several lines here", DT_WORDBREAK, 90},
        {L"gjpqy ÅÉ", DT_SINGLELINE, 0},
    };
    for (const Case& c : cases) {
        TextCanvas canvas(320, 200);
        RECT calc = canvas.Calc(c.text, c.flags, RECT{10, 10, 10 + c.width, 10});
        EXPECT_EQ(calc.left, 10);
        EXPECT_EQ(calc.top, 10);
        EXPECT_GT(calc.right, calc.left);
        if (c.width > 0) {
            EXPECT_LE(calc.right - calc.left, c.width);
        }
        RECT room{10, 10, 10 + (c.width > 0 ? c.width : 300), 190};
        int height = DrawTextW(canvas.dc(), c.text, -1, &room, c.flags | DT_NOCLIP);
        EXPECT_EQ(height, calc.bottom - calc.top);
        auto ink = canvas.Ink();
        ASSERT_GT(ink.count, 0);
        EXPECT_TRUE(Inside(ink.box, calc))
            << "ink " << ink.box.left << "," << ink.box.top << "-" << ink.box.right << ","
            << ink.box.bottom << " calc " << calc.right << "," << calc.bottom;
        // Tight: the ink reaches close to the calculated edges.
        EXPECT_LE(calc.right - ink.box.right, 4);
        EXPECT_LE(ink.box.left - calc.left, 3);
        EXPECT_LE(calc.bottom - ink.box.bottom, (calc.bottom - calc.top) / 2);
    }
}

TEST(GdiText, ExtentsAgreeWithDrawTextAndGrowWithTheFont) {
    TextCanvas canvas(10, 10);
    const wchar_t* text = L"浏览器 Browser";
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc(), text, static_cast<int>(wcslen(text)), &size));
    RECT calc = canvas.Calc(text, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(size.cx, calc.right - calc.left);
    EXPECT_EQ(size.cy, calc.bottom - calc.top);

    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(canvas.dc(), &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight, 16);
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    SIZE empty{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc(), L"", 0, &empty));
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, tm.tmHeight);

    HFONT big = MakeFont(L"Microsoft YaHei", -32);
    HGDIOBJ old = SelectObject(canvas.dc(), big);
    SIZE bigSize{};
    GetTextExtentPoint32W(canvas.dc(), text, static_cast<int>(wcslen(text)), &bigSize);
    EXPECT_GT(bigSize.cx, size.cx * 3 / 2);
    EXPECT_GT(bigSize.cy, size.cy * 3 / 2);
    SelectObject(canvas.dc(), old);
    DeleteObject(big);

    // Bad arguments fail.
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc(), text, -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc(), nullptr, 3, &size));
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc(), text, 3, nullptr));
}

TEST(GdiText, HeightSignChoosesCellOrCharacterHeight) {
    TextCanvas canvas(4, 4);
    struct Case {
        const wchar_t* face;
        LONG height;
    } cases[] = {{L"Microsoft YaHei", 20}, {L"Tahoma", 20}, {L"SimSun", 24}, {L"Arial", 13}};
    for (const Case& c : cases) {
        HFONT cell = MakeFont(c.face, c.height), character = MakeFont(c.face, -c.height);
        TEXTMETRICW tmCell{}, tmChar{};
        HGDIOBJ old = SelectObject(canvas.dc(), cell);
        GetTextMetricsW(canvas.dc(), &tmCell);
        SelectObject(canvas.dc(), character);
        GetTextMetricsW(canvas.dc(), &tmChar);
        SelectObject(canvas.dc(), old);
        EXPECT_NEAR(tmCell.tmHeight, c.height, 1) << c.face;
        EXPECT_GT(tmChar.tmHeight, c.height) << c.face;
        EXPECT_EQ(tmChar.tmInternalLeading, tmChar.tmHeight - c.height) << c.face;
        DeleteObject(cell);
        DeleteObject(character);
    }
}

TEST(GdiText, WindowsFaceNamesReachInstalledFontsThatHaveChineseGlyphs) {
    const wchar_t* faces[] = {L"Microsoft YaHei", L"微软雅黑", L"SimSun", L"宋体",
                              L"Tahoma",          L"Arial",    L"",       L"No Such Face"};
    const char* text = "修复完成 Repair 浏览器";
    for (const wchar_t* face : faces) {
        LOGFONTW lf{};
        lf.lfHeight = -14;
        std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        gdi::Font font(lf);
        PangoLayout* layout = gdi::NewLayout(font, text);
        EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0) << "tofu with face index";
        g_object_unref(layout);
    }
    // The count does see a missing glyph.
    LOGFONTW lf{};
    lf.lfHeight = -14;
    gdi::Font font(lf);
    PangoLayout* layout = gdi::NewLayout(font, "\xF4\x8F\xBF\xBD");  // U+10FFFD
    EXPECT_GT(pango_layout_get_unknown_glyphs_count(layout), 0);
    g_object_unref(layout);

    EXPECT_EQ(gdi::FamiliesForFace(L"微软雅黑", 0), gdi::FamiliesForFace(L"MICROSOFT YAHEI", 0));
    EXPECT_EQ(gdi::FamiliesForFace(L"宋体", 0), gdi::FamiliesForFace(L"SimSun", 0));
    EXPECT_NE(gdi::FamiliesForFace(L"宋体", 0), gdi::FamiliesForFace(L"微软雅黑", 0));
    EXPECT_EQ(gdi::FamiliesForFace(L"", FIXED_PITCH), gdi::FamiliesForFace(L"Courier New", 0));
}

TEST(GdiText, ChineseTextDrawsDistinctGlyphsNotBoxes) {
    // Each character's ink differs from the others' and from the box of a missing glyph.
    const wchar_t* glyphs[] = {L"国", L"中", L"修", L"\U0010FFFD"};
    std::vector<std::vector<uint32_t>> inks;
    for (const wchar_t* g : glyphs) {
        TextCanvas canvas(32, 32, L"微软雅黑", -24);
        RECT r{0, 0, 32, 32};
        DrawTextW(canvas.dc(), g, -1, &r, DT_SINGLELINE | DT_NOPREFIX);
        ASSERT_GT(canvas.Ink().count, 20);
        inks.emplace_back(canvas.bits(), canvas.bits() + 32 * 32);
    }
    for (size_t i = 0; i < inks.size(); ++i)
        for (size_t j = i + 1; j < inks.size(); ++j) {
            int different = 0;
            for (size_t k = 0; k < inks[i].size(); ++k) different += inks[i][k] != inks[j][k];
            EXPECT_GT(different, 40) << i << " vs " << j;
        }
}

TEST(GdiText, TextDrawnOnAnOpaqueBackgroundStaysOpaque) {
    TextCanvas canvas(200, 40);
    SetTextColor(canvas.dc(), RGB(200, 30, 30));
    RECT r{0, 0, 200, 40};
    DrawTextW(canvas.dc(), L"透明 Alpha", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    ASSERT_GT(canvas.Ink().count, 0);
    for (int i = 0; i < 200 * 40; ++i) ASSERT_EQ(canvas.bits()[i] >> 24, 0xFFu) << i;

    // On a transparent bitmap the opaque background mode fills the text's cell.
    Canvas clear(200, 40);
    SelectObject(clear.dc(), GetStockObject(DEFAULT_GUI_FONT));
    SetBkColor(clear.dc(), RGB(0, 0, 255));
    SIZE size{};
    GetTextExtentPoint32W(clear.dc(), L"Cell", 4, &size);
    ASSERT_TRUE(TextOutW(clear.dc(), 5, 6, L"Cell", 4));
    RECT cell{5, 6, 5 + size.cx, 6 + size.cy};
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            bool in = x >= cell.left && x < cell.right && y >= cell.top && y < cell.bottom;
            ASSERT_EQ(clear.At(x, y) >> 24, in ? 0xFFu : 0u) << x << "," << y;
        }
}

TEST(GdiText, AlignmentFlagsPlaceTheText) {
    const RECT box{20, 10, 220, 70};
    struct Case {
        UINT flags;
        int wantLeft, wantRight, wantTop, wantBottom;  // -1: not checked
    } cases[] = {
        {DT_SINGLELINE | DT_LEFT | DT_TOP, 20, -1, 10, -1},
        {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, -1, 220, -1, 70},
    };
    for (const Case& c : cases) {
        TextCanvas canvas(240, 80);
        RECT r = box;
        DrawTextW(canvas.dc(), L"Align 对齐", -1, &r, c.flags);
        RECT calc = canvas.Calc(L"Align 对齐", c.flags);
        int w = calc.right - calc.left, h = calc.bottom - calc.top;
        auto ink = canvas.Ink();
        ASSERT_GT(ink.count, 0);
        // The text's cell sits against the named edges; its ink lies inside the cell.
        RECT cellBox{c.wantLeft >= 0 ? c.wantLeft : c.wantRight - w,
                     c.wantTop >= 0 ? c.wantTop : c.wantBottom - h, 0, 0};
        cellBox.right = cellBox.left + w;
        cellBox.bottom = cellBox.top + h;
        EXPECT_TRUE(Inside(ink.box, cellBox)) << c.flags;
        EXPECT_LE(cellBox.right - ink.box.right, 4) << c.flags;
    }

    // Centred both ways: the ink's centre is the box's centre, and the result is the offset from
    // the top to the text's bottom.
    TextCanvas canvas(240, 80);
    RECT r = box;
    UINT centred = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    int bottom = DrawTextW(canvas.dc(), L"居中 Centre", -1, &r, centred);
    RECT calc = canvas.Calc(L"居中 Centre", centred);
    int h = calc.bottom - calc.top;
    EXPECT_EQ(bottom, (60 - h) / 2 + h);
    auto ink = canvas.Ink();
    EXPECT_NEAR((ink.box.left + ink.box.right) / 2.0, 120, 3);
    EXPECT_NEAR((ink.box.top + ink.box.bottom) / 2.0, 40, 4);
}

TEST(GdiText, WordBreakWrapsAndNoClipDecidesWhetherOverflowShows) {
    const wchar_t* text = L"Please reopen the browser after the repair";
    TextCanvas canvas(400, 200);
    RECT one = canvas.Calc(text, 0, RECT{0, 0, 100, 0});
    RECT wrapped = canvas.Calc(text, DT_WORDBREAK, RECT{0, 0, 100, 0});
    EXPECT_GT(one.right, 100);  // without a break the line is as long as the text
    EXPECT_LE(wrapped.right, 100);
    EXPECT_GE(wrapped.bottom, 3 * one.bottom);

    // Clipped to the rectangle unless DT_NOCLIP.
    RECT r{0, 0, 100, 20};
    DrawTextW(canvas.dc(), text, -1, &r, DT_SINGLELINE);
    EXPECT_TRUE(Inside(canvas.Ink().box, RECT{0, 0, 100, 20}));
    canvas.Fill(kWhite);
    DrawTextW(canvas.dc(), text, -1, &r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(canvas.Ink().box.right, 150);
}

TEST(GdiText, EndEllipsisShortensTheLineToFit) {
    const wchar_t* text = L"C:\\Windows\\System32\\drivers\\etc\\hosts 文件已修复";
    TextCanvas canvas(400, 40);
    RECT fits = canvas.Calc(text, DT_SINGLELINE | DT_END_ELLIPSIS, RECT{0, 0, 150, 0});
    EXPECT_LE(fits.right, 150);
    EXPECT_GT(fits.right, 100);
    RECT r{0, 0, 150, 40};
    DrawTextW(canvas.dc(), text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    auto ellipsised = canvas.Ink();
    EXPECT_LE(ellipsised.box.right, 150);

    // Its last pixels differ from the plainly clipped line: the ellipsis is drawn.
    TextCanvas plain(400, 40);
    DrawTextW(plain.dc(), text, -1, &r, DT_SINGLELINE);
    EXPECT_FALSE(SamePixels(canvas, plain));
    // Measuring against an empty rectangle gives the whole text's size.
    RECT own = canvas.Calc(text, DT_SINGLELINE | DT_END_ELLIPSIS, RECT{0, 0, 0, 0});
    EXPECT_EQ(own.right, canvas.Calc(text, DT_SINGLELINE, RECT{0, 0, 0, 0}).right);
    // A text that fits is left whole.
    RECT whole = canvas.Calc(L"hosts", DT_SINGLELINE | DT_END_ELLIPSIS, RECT{0, 0, 150, 0});
    EXPECT_EQ(whole.right, canvas.Calc(L"hosts", DT_SINGLELINE, RECT{0, 0, 150, 0}).right);
}

TEST(GdiText, PrefixAmpersandsUnderlineOrEscapeUnlessNoPrefix) {
    auto draw = [](const wchar_t* text, UINT flags) {
        auto canvas = std::make_unique<TextCanvas>(120, 30);
        RECT r{2, 2, 120, 30};
        DrawTextW(canvas->dc(), text, -1, &r, DT_SINGLELINE | flags);
        return canvas;
    };
    EXPECT_TRUE(SamePixels(*draw(L"a&&b", 0), *draw(L"a&b", DT_NOPREFIX)));
    EXPECT_TRUE(SamePixels(*draw(L"&File", DT_HIDEPREFIX), *draw(L"File", 0)));
    auto underlined = draw(L"&File", 0);
    auto plain = draw(L"File", 0);
    EXPECT_GT(underlined->Ink().count, plain->Ink().count);
    EXPECT_GT(underlined->Ink().box.bottom, plain->Ink().box.bottom - 1);
    EXPECT_FALSE(SamePixels(*draw(L"&File", DT_NOPREFIX), *plain));
    TextCanvas measure(4, 4);
    EXPECT_EQ(measure.Calc(L"&File", 0).right, measure.Calc(L"File", 0).right);
}

TEST(GdiText, BottomUpBitmapsGetUprightText) {
    TextCanvas topDown(120, 30, L"Tahoma", -16, true);
    TextCanvas bottomUp(120, 30, L"Tahoma", -16, false);
    for (TextCanvas* c : {&topDown, &bottomUp}) {
        RECT r{0, 0, 120, 30};
        DrawTextW(c->dc(), L"Up 上", -1, &r, DT_SINGLELINE | DT_VCENTER);
    }
    EXPECT_GT(topDown.Ink().count, 0);
    // The same text, up to rounding in the antialiasing of mirrored glyph rendering.
    int worst = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x)
            for (int shift : {0, 8, 16, 24}) {
                int a = static_cast<int>((topDown.At(x, y) >> shift) & 0xFF);
                int b = static_cast<int>((bottomUp.At(x, y) >> shift) & 0xFF);
                worst = std::max(worst, std::abs(a - b));
            }
    EXPECT_LE(worst, 8);
}

TEST(GdiText, BadDrawTextArgumentsFailQuietly) {
    TextCanvas canvas(20, 20);
    RECT r{0, 0, 20, 20};
    EXPECT_EQ(DrawTextW(canvas.dc(), L"x", -1, nullptr, 0), 0);
    EXPECT_EQ(DrawTextW(canvas.dc(), L"x", -2, &r, 0), 0);
    EXPECT_EQ(DrawTextW(canvas.dc(), nullptr, 3, &r, 0), 0);
    EXPECT_EQ(DrawTextW(nullptr, L"x", -1, &r, 0), 0);
    EXPECT_FALSE(TextOutW(canvas.dc(), 0, 0, L"x", -1));
    EXPECT_EQ(canvas.Ink().count, 0);
    EXPECT_GT(DrawTextW(canvas.dc(), L"a\0b", 3, &r, DT_CALCRECT), 0);  // an embedded NUL
    // Only the given count is drawn.
    RECT calc{0, 0, 0, 0}, calcAll{0, 0, 0, 0};
    DrawTextW(canvas.dc(), L"abc", 1, &calc, DT_CALCRECT | DT_SINGLELINE);
    DrawTextW(canvas.dc(), L"a", -1, &calcAll, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.right, calcAll.right);
}

}  // namespace
