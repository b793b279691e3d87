// Reading back what windows show, for tests and diagnostics.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_user.h"

namespace display {

// Pixels as 32-bit values 0xAARRGGBB (premultiplied alpha), row after row.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const {
        return (x < 0 || y < 0 || x >= width || y >= height)
                   ? 0
                   : pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                            static_cast<size_t>(x)];
    }
    // The colour without alpha, as COLORREF (0x00BBGGRR) for comparing with RGB().
    COLORREF ColorAt(int x, int y) const {
        uint32_t p = At(x, y);
        return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
    }
    BYTE AlphaAt(int x, int y) const { return static_cast<BYTE>(At(x, y) >> 24); }
};

// The pixels of a window's rectangle (clientOnly: its client area) as its top-level window's
// backing store holds them. For a layered window these are the pixels it was given, alpha
// included. False for an unknown window.
bool CaptureWindow(HWND hwnd, Capture* out, bool clientOnly = false);
// The virtual screen: visible top-level windows composed bottom to top over black, with window
// regions and layered-window alpha applied.
bool CaptureScreen(Capture* out);
// Writes a capture as a PNG file.
bool WritePng(const Capture& capture, const std::string& path);

}  // namespace display
