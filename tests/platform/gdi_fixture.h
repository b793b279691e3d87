// A memory DC over a top-down 32-bit DIB whose pixels the tests read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "platform/win_gdi.h"

namespace gdi_test {

inline BITMAPINFO DibInfo(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

constexpr uint32_t Opaque(COLORREF c) {
    return 0xFF000000u | (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) |
           GetBValue(c);
}

class Canvas {
  public:
    // height > 0 gives a bottom-up DIB, as BITMAPINFO does.
    Canvas(int width, int height, bool topDown = true)
        : width_(width), height_(height), topDown_(topDown) {
        BITMAPINFO bi = DibInfo(width, topDown ? -height : height);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t* bits() const { return pixels_; }
    // The pixel at (x, y) counted from the top, whatever the row order in memory.
    uint32_t& At(int x, int y) const {
        int row = topDown_ ? y : height_ - 1 - y;
        return pixels_[row * width_ + x];
    }
    void Fill(COLORREF c) {
        for (int i = 0; i < width_ * height_; ++i) pixels_[i] = Opaque(c);
    }
    // Pixels that differ from the background, and their bounding box.
    struct Ink {
        int count = 0;
        RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    };
    Ink InkOver(uint32_t background) const {
        Ink ink;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) != background) {
                    ++ink.count;
                    ink.box.left = std::min<LONG>(ink.box.left, x);
                    ink.box.top = std::min<LONG>(ink.box.top, y);
                    ink.box.right = std::max<LONG>(ink.box.right, x + 1);
                    ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
                }
        return ink;
    }
    // Every pixel inside r (and, with outside, every pixel outside r) has the value.
    ::testing::AssertionResult Only(const RECT& r, uint32_t inside, uint32_t outside) const {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                uint32_t want = in ? inside : outside;
                if (At(x, y) != want)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << "," << y << ") is " << std::hex << At(x, y)
                           << ", expected " << want;
            }
        return ::testing::AssertionSuccess();
    }

  private:
    int width_, height_;
    bool topDown_;
    HBITMAP bitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace gdi_test
