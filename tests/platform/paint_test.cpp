// Painting: update regions, WM_PAINT and erasing, clipping, layered windows, captures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/display/capture.h"
#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "support/message_recorder.h"
#include "support/temp_dir.h"

namespace {

using Names = std::vector<std::string>;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void Fill(HDC dc, const RECT& r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

// Fills the whole client area through a window DC, as far as the DC's clip lets it.
void FillThroughGetDC(HWND h, COLORREF c) {
    HDC dc = GetDC(h);
    ASSERT_NE(dc, nullptr);
    RECT rc;
    GetClientRect(h, &rc);
    Fill(dc, rc, c);
    ReleaseDC(h, dc);
}

COLORREF ClientPixel(HWND h, int x, int y) {
    display::Capture cap;
    EXPECT_TRUE(display::CaptureWindow(h, &cap, true));
    return cap.ColorAt(x, y);
}

class PaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msgrec::RegisterClass(L"RecPaint", {}, 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        msgrec::RegisterClass(L"RecPaintBare", {}, 0, nullptr);
        msgrec::Log::Get().Clear();
    }
    void TearDown() override {
        msgrec::ClearHandlers();
        for (HWND h : made_) {
            if (IsWindow(h)) DestroyWindow(h);
        }
        msgrec::Pump();
    }
    HWND Make(const wchar_t* cls, DWORD style, int x, int y, int cx, int cy, HWND parent = nullptr,
              DWORD ex = 0) {
        HWND h = CreateWindowExW(ex, cls, L"Paint", style, x, y, cx, cy, parent, nullptr, nullptr,
                                 nullptr);
        made_.push_back(h);
        return h;
    }
    std::vector<HWND> made_;
};

TEST_F(PaintTest, ShowingPaintsFrameAndErasesWithTheClassBrush) {
    HWND h = Make(L"RecPaint", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(h, {WM_PAINT, WM_NCPAINT, WM_ERASEBKGND}),
              (Names{"WM_PAINT", "WM_NCPAINT", "WM_ERASEBKGND"}));
    EXPECT_EQ(ClientPixel(h, 5, 5), kWhite);
    display::Capture whole;
    ASSERT_TRUE(display::CaptureWindow(h, &whole));
    EXPECT_EQ(whole.width, 300);
    EXPECT_EQ(whole.ColorAt(150, 15), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(whole.AlphaAt(150, 15), 255);
}

TEST_F(PaintTest, InvalidationAccumulatesAndEraseIsOnlyWhenAsked) {
    HWND h = Make(L"RecPaint", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
    msgrec::Pump();
    RECT a{10, 10, 20, 20}, b{50, 60, 70, 80};
    InvalidateRect(h, &a, FALSE);
    InvalidateRect(h, &b, FALSE);
    RECT u;
    ASSERT_TRUE(GetUpdateRect(h, &u, FALSE));
    EXPECT_EQ(u.left, 10);
    EXPECT_EQ(u.bottom, 80);
    msgrec::Log::Get().Clear();
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(h, {WM_PAINT, WM_ERASEBKGND}), (Names{"WM_PAINT"}));
    EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));

    InvalidateRect(h, nullptr, TRUE);
    msgrec::Log::Get().Clear();
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(h, {WM_PAINT, WM_ERASEBKGND}),
              (Names{"WM_PAINT", "WM_ERASEBKGND"}));

    InvalidateRect(h, nullptr, TRUE);
    ValidateRect(h, nullptr);
    msgrec::Log::Get().Clear();
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Count(h, WM_PAINT), 0u);
    // Off the client area nothing is invalid.
    RECT outside{500, 500, 600, 600};
    InvalidateRect(h, &outside, TRUE);
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));
}

TEST_F(PaintTest, BeginPaintClipsToTheUpdateRegion) {
    HWND h = Make(L"RecPaint", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
    msgrec::Pump();
    RECT painted{};
    msgrec::SetHandler(h, [&](HWND w, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        painted = ps.rcPaint;
        RECT all{0, 0, 200, 200};
        Fill(dc, all, kRed);
        EndPaint(w, &ps);
        return 0;
    });
    RECT r{10, 10, 20, 20};
    InvalidateRect(h, &r, FALSE);
    msgrec::Pump();
    EXPECT_TRUE(EqualRect(&painted, &r));
    EXPECT_EQ(ClientPixel(h, 15, 15), kRed);
    EXPECT_EQ(ClientPixel(h, 25, 15), kWhite);
    EXPECT_EQ(ClientPixel(h, 9, 9), kWhite);
}

TEST_F(PaintTest, ChildrenAndSiblingsClipWhenTheirStylesSaySo) {
    for (bool clip : {false, true}) {
        HWND parent = Make(L"RecPaint", WS_POPUP | WS_VISIBLE | (clip ? WS_CLIPCHILDREN : 0), 100,
                           100, 200, 200);
        HWND upper = Make(L"RecPaint", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent);
        HWND lower = Make(L"RecPaint", WS_CHILD | WS_VISIBLE | (clip ? WS_CLIPSIBLINGS : 0), 40, 40,
                          50, 50, parent);
        msgrec::Pump();
        FillThroughGetDC(upper, kGreen);
        FillThroughGetDC(lower, kBlue);
        // Where the two children overlap, the lower one only draws without WS_CLIPSIBLINGS.
        EXPECT_EQ(ClientPixel(parent, 45, 45), clip ? kGreen : kBlue) << clip;
        FillThroughGetDC(parent, kRed);
        EXPECT_EQ(ClientPixel(parent, 20, 20), clip ? kGreen : kRed) << clip;
        EXPECT_EQ(ClientPixel(parent, 150, 150), kRed) << clip;
        // A child never draws outside its own client area.
        EXPECT_EQ(ClientPixel(parent, 95, 95), kRed) << clip;
    }
}

TEST_F(PaintTest, InvalidatingAParentRepaintsChildrenUnlessItClipsThem) {
    for (bool clip : {false, true}) {
        HWND parent = Make(L"RecPaint", WS_POPUP | WS_VISIBLE | (clip ? WS_CLIPCHILDREN : 0), 100,
                           100, 200, 200);
        HWND child = Make(L"RecPaint", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent);
        msgrec::Pump();
        msgrec::Log::Get().Clear();
        InvalidateRect(parent, nullptr, TRUE);
        msgrec::Pump();
        EXPECT_EQ(msgrec::Log::Get().Count(parent, WM_PAINT), 1u);
        EXPECT_EQ(msgrec::Log::Get().Count(child, WM_PAINT), clip ? 0u : 1u);
        // The parent paints before its children.
        if (!clip) {
            auto seq = msgrec::Log::Get().Sequence({WM_PAINT});
            EXPECT_EQ(seq.front().first, parent);
        }
    }
}

TEST_F(PaintTest, MovingAChildRepaintsWhereItWas) {
    HWND parent = Make(L"RecPaint", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
    HWND child = Make(L"RecPaintBare", WS_CHILD | WS_VISIBLE, 10, 10, 30, 30, parent);
    msgrec::Pump();
    FillThroughGetDC(child, kBlue);
    EXPECT_EQ(ClientPixel(parent, 15, 15), kBlue);
    MoveWindow(child, 100, 100, 30, 30, TRUE);
    msgrec::Pump();
    EXPECT_EQ(ClientPixel(parent, 15, 15), kWhite);  // the parent erased the old place
    RECT r;
    GetUpdateRect(child, &r, FALSE);
    EXPECT_EQ(msgrec::Log::Get().Count(child, WM_PAINT) >= 2, true);
}

TEST_F(PaintTest, TextAndBoxesLandInTheRightWindow) {
    HWND parent = Make(L"RecPaint", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 300, 200);
    HWND child = Make(L"RecPaint", WS_CHILD | WS_VISIBLE, 150, 20, 100, 100, parent);
    auto painter = [](COLORREF box, const wchar_t* text) {
        return [=](HWND w, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (m != WM_PAINT) return std::nullopt;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            RECT b{10, 10, 40, 40};
            Fill(dc, b, box);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 0));
            TextOutW(dc, 10, 50, text, static_cast<int>(wcslen(text)));
            EndPaint(w, &ps);
            return 0;
        };
    };
    msgrec::SetHandler(parent, painter(kRed, L"Parent"));
    msgrec::SetHandler(child, painter(kGreen, L"\u4E2D\u6587"));
    InvalidateRect(parent, nullptr, TRUE);
    InvalidateRect(child, nullptr, TRUE);
    msgrec::Pump();
    EXPECT_EQ(ClientPixel(parent, 20, 20), kRed);
    EXPECT_EQ(ClientPixel(child, 20, 20), kGreen);
    EXPECT_EQ(ClientPixel(parent, 170, 30), kGreen);  // the child's box, seen from the parent
    auto darkIn = [](HWND w, RECT r) {
        display::Capture cap;
        display::CaptureWindow(w, &cap, true);
        int dark = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                if ((cap.At(x, y) & 0xFFFFFF) < 0x404040) ++dark;
            }
        }
        return dark;
    };
    EXPECT_GT(darkIn(parent, RECT{10, 50, 140, 80}), 20);
    EXPECT_GT(darkIn(child, RECT{10, 50, 90, 80}), 20);  // the CJK text rendered too
    EXPECT_EQ(darkIn(child, RECT{50, 10, 90, 40}), 0);
}

TEST_F(PaintTest, WindowRegionClipsDrawingAndTheScreen) {
    HWND h = Make(L"RecPaint", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    SetWindowRgn(h, CreateEllipticRgn(0, 0, 100, 100), TRUE);
    msgrec::Pump();
    FillThroughGetDC(h, kBlue);
    EXPECT_EQ(ClientPixel(h, 50, 50), kBlue);
    EXPECT_NE(ClientPixel(h, 1, 1), kBlue);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(h, copy), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(copy, 50, 50));
    EXPECT_FALSE(PtInRegion(copy, 1, 1));
    DeleteObject(copy);
    display::Capture screen;
    ASSERT_TRUE(display::CaptureScreen(&screen));
    EXPECT_EQ(screen.width, 1920);
    EXPECT_EQ(screen.ColorAt(50, 50), kBlue);
    EXPECT_EQ(screen.ColorAt(1, 1), RGB(0, 0, 0));
}

TEST_F(PaintTest, LayeredWindowsShowTheirPixelsWithAlpha) {
    HWND h = Make(L"RecPaint", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, WS_EX_LAYERED);
    msgrec::Pump();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 40;
    bi.bmiHeader.biHeight = -30;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bmp, nullptr);
    HGDIOBJ old = SelectObject(mem, bmp);
    auto* px = static_cast<uint32_t*>(bits);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            // Left half: opaque red; right half: half-transparent blue (premultiplied).
            px[y * 40 + x] = x < 20 ? 0xFFFF0000u : 0x80000080u;
        }
    }
    POINT dst{300, 200}, src{0, 0};
    SIZE size{40, 30};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(UpdateLayeredWindow(h, nullptr, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA));
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.right, 340);
    display::Capture cap;
    ASSERT_TRUE(display::CaptureWindow(h, &cap));
    EXPECT_EQ(cap.At(5, 5), 0xFFFF0000u);
    EXPECT_EQ(cap.At(30, 5), 0x80000080u);
    // It still gets WM_PAINT: a skin repaints from there and hands the result over again.
    msgrec::Log::Get().Clear();
    InvalidateRect(h, nullptr, TRUE);
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Count(h, WM_PAINT), 1u);
    display::Capture screen;
    display::CaptureScreen(&screen);
    EXPECT_EQ(screen.ColorAt(330, 210), RGB(0, 0, 128));  // blue over black at half strength
    // A window that is not layered refuses.
    HWND plain = Make(L"RecPaint", WS_POPUP, 0, 0, 10, 10);
    EXPECT_FALSE(UpdateLayeredWindow(plain, nullptr, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

TEST_F(PaintTest, CapturesBecomePngFiles) {
    HWND h = Make(L"RecPaint", WS_POPUP | WS_VISIBLE, 0, 0, 64, 32);
    msgrec::Pump();
    FillThroughGetDC(h, kRed);
    display::Capture cap;
    ASSERT_TRUE(display::CaptureWindow(h, &cap));
    TempDir dir;
    std::string file = dir.File("window.png");
    ASSERT_TRUE(display::WritePng(cap, file));
    std::string bytes = TempDir::Read(file);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_FALSE(display::WritePng(display::Capture{}, file));
    EXPECT_FALSE(display::CaptureWindow(reinterpret_cast<HWND>(0x999), &cap));
}

TEST_F(PaintTest, UpdateWindowPaintsAtOnce) {
    HWND h = Make(L"RecPaint", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
    msgrec::Pump();
    InvalidateRect(h, nullptr, FALSE);
    msgrec::Log::Get().Clear();
    UpdateWindow(h);
    EXPECT_EQ(msgrec::Log::Get().Count(h, WM_PAINT), 1u);
    UpdateWindow(h);  // nothing left to paint
    EXPECT_EQ(msgrec::Log::Get().Count(h, WM_PAINT), 1u);
}

}  // namespace
