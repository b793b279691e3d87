// A view of a given size with a recording buffer handler, and pixel reading.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_gdi.h"
#include "support/temp_dir.h"
#include "webengine/web_engine.h"

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
    // Writes a page into a private folder and opens it.
    void OpenHtml(const std::string& html, int width = 400, int height = 200) {
        TempDir::Write(dir.File("page.html"), html);
        std::string path = dir.File("page.html");
        Open(std::wstring(path.begin(), path.end()), width, height);
    }
    // Read back through the view's device context, as the host window copies it.
    Rgb Pixel(int x, int y) {
        COLORREF c = GetPixel(view->getViewDC(), x, y);
        return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
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
    TempDir dir;
};
