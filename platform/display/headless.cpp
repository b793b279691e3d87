// The headless display: a virtual screen with nothing to show on. Window pixels stay in the
// windows' backing stores, where tests read them back.
#include "platform/display/backend.h"

namespace display {
namespace {

class Headless : public Backend {
  public:
    Headless(int width, int height) : width_(width), height_(height) {}

    const char* Name() const override { return "headless"; }
    RECT ScreenRect() const override { return RECT{0, 0, width_, height_}; }
    RECT WorkArea() const override { return RECT{0, 0, width_, height_}; }

    void WindowCreated(HWND) override {}
    void WindowChanged(HWND, const RECT&, bool) override {}
    void WindowTitleChanged(HWND, const std::wstring&) override {}
    void WindowDestroyed(HWND) override {}
    void Present(HWND, cairo_surface_t*, const RECT&, bool, BYTE) override {}
    void CursorMoved(POINT) override {}
    void CursorChanged(HCURSOR) override {}

  private:
    int width_;
    int height_;
};

}  // namespace

Backend* CreateHeadless(int width, int height) {
    return new Headless(width, height);
}

}  // namespace display
