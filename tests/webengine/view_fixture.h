// A view of a given size with a recording buffer handler, and pixel reading.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "webengine/web_engine.h"
#include "webengine/web_view.h"

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}

class RecordingBufHandler : public _wvBufHandler {
  public:
    struct Update {
        int x, y, w, h;
    };
    void onBufUpdated(HDC, int x, int y, int cx, int cy) override {
        updates.push_back({x, y, cx, cy});
    }
    // True when some reported rectangle covers the point.
    bool covers(int x, int y) const {
        for (const auto& u : updates) {
            if (x >= u.x && x < u.x + u.w && y >= u.y && y < u.y + u.h) return true;
        }
        return false;
    }
    std::vector<Update> updates;
};

class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wvInit();
        view = wvCreateWebView();
        ASSERT_NE(view, nullptr);
        view->setBufHandler(&buffer);
    }
    void TearDown() override {
        wvDestroyWebView(view);
        wvShutdown();
    }
    static std::wstring Fixture(const char* name) {
        std::string path = std::string(WEBENGINE_FIXTURES) + name;
        return std::wstring(path.begin(), path.end());
    }
    void Open(const std::wstring& path, int width = 400, int height = 200) {
        view->resize(width, height);
        view->loadFile(path.c_str());
        view->tick();
    }
    Rgb Pixel(int x, int y) {
        cairo_surface_t* s = static_cast<webengine::WebView*>(view)->surface();
        cairo_surface_flush(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        int stride = cairo_image_surface_get_stride(s);
        uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
        return Rgb{static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                   static_cast<int>(p & 0xFF)};
    }
    std::wstring Text(jsValue v) {
        const wchar_t* text = jsToStringW(view->globalExec(), v);
        return text != nullptr ? std::wstring(text) : std::wstring();
    }
    std::wstring Eval(const wchar_t* script) { return Text(view->runJS(script)); }
    void Click(int x, int y) {
        view->mouseEvent(0x0200, x, y, 0);
        view->mouseEvent(0x0201, x, y, WV_LBUTTON);
        view->mouseEvent(0x0202, x, y, 0);
    }

    wvWebView* view = nullptr;
    RecordingBufHandler buffer;
};
