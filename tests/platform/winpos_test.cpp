// Placement: frames, coordinates, SetWindowPos, show states, monitors and metrics.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "support/message_recorder.h"

namespace {

using Names = std::vector<std::string>;

class WinposTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msgrec::RegisterClass(L"RecPos");
        msgrec::Log::Get().Clear();
    }
    void TearDown() override {
        msgrec::ClearHandlers();
        for (HWND h : made_) {
            if (IsWindow(h)) DestroyWindow(h);
        }
        msgrec::Pump();
    }
    HWND Make(DWORD style, int x, int y, int cx, int cy, HWND parent = nullptr, DWORD ex = 0) {
        HWND h = CreateWindowExW(ex, L"RecPos", L"", style, x, y, cx, cy, parent, nullptr, nullptr,
                                 nullptr);
        made_.push_back(h);
        return h;
    }
    std::vector<HWND> made_;
};

struct FrameCase {
    const char* name;
    DWORD style;
    DWORD ex;
    BOOL menu;
    RECT inset;  // left, top, right, bottom added around the client area
};

TEST_F(WinposTest, FramesAgreeBetweenAdjustWindowRectAndTheWindows) {
    const FrameCase cases[] = {
        {"bare popup", WS_POPUP, 0, FALSE, {0, 0, 0, 0}},
        {"bordered popup", WS_POPUP | WS_BORDER, 0, FALSE, {1, 1, 1, 1}},
        {"caption", WS_POPUP | WS_CAPTION, 0, FALSE, {3, 26, 3, 3}},
        {"overlapped window", WS_OVERLAPPEDWINDOW, 0, FALSE, {8, 31, 8, 8}},
        {"with a menu", WS_OVERLAPPEDWINDOW, 0, TRUE, {8, 51, 8, 8}},
        {"client edge", WS_POPUP, WS_EX_CLIENTEDGE, FALSE, {2, 2, 2, 2}},
    };
    for (const auto& c : cases) {
        RECT r{100, 100, 400, 300};
        ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, c.menu, c.ex));
        EXPECT_EQ(r.left, 100 - c.inset.left) << c.name;
        EXPECT_EQ(r.top, 100 - c.inset.top) << c.name;
        EXPECT_EQ(r.right, 400 + c.inset.right) << c.name;
        EXPECT_EQ(r.bottom, 300 + c.inset.bottom) << c.name;
        if (c.menu) continue;
        // A window of that outer rectangle gets exactly that client area.
        HWND h = Make(c.style, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, c.ex);
        RECT client;
        GetClientRect(h, &client);
        POINT origin{0, 0};
        ClientToScreen(h, &origin);
        EXPECT_EQ(client.right, 300) << c.name;
        EXPECT_EQ(client.bottom, 200) << c.name;
        EXPECT_EQ(origin.x, 100) << c.name;
        EXPECT_EQ(origin.y, 100) << c.name;
    }
}

TEST_F(WinposTest, ChildCoordinatesAreRelativeToTheParentClientArea) {
    HWND top = Make(WS_POPUP | WS_BORDER, 100, 50, 300, 200);
    HWND child = Make(WS_CHILD, 10, 20, 40, 30, top);
    HWND grandchild = Make(WS_CHILD, 5, 5, 10, 10, child);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 111);  // 100 + border 1 + 10
    EXPECT_EQ(r.top, 71);
    EXPECT_EQ(r.right, 151);
    POINT p{0, 0};
    ClientToScreen(grandchild, &p);
    EXPECT_EQ(p.x, 116);
    EXPECT_EQ(p.y, 76);
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 25);
    POINT q{1, 2};
    MapWindowPoints(grandchild, top, &q, 1);
    EXPECT_EQ(q.x, 16);
    EXPECT_EQ(q.y, 27);
    MapWindowPoints(top, nullptr, &q, 1);
    EXPECT_EQ(q.x, 117);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{12, 22}), child);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{1, 1}), top);
}

struct PosCase {
    const char* name;
    int x, y, cx, cy;
    UINT flags;
    Names expected;
};

TEST_F(WinposTest, SetWindowPosSendsWhatChanged) {
    const PosCase cases[] = {
        {"move",
         20,
         30,
         0,
         0,
         SWP_NOSIZE | SWP_NOZORDER,
         {"WM_WINDOWPOSCHANGING", "WM_WINDOWPOSCHANGED", "WM_MOVE"}},
        {"size",
         0,
         0,
         90,
         70,
         SWP_NOMOVE | SWP_NOZORDER,
         {"WM_WINDOWPOSCHANGING", "WM_NCCALCSIZE", "WM_WINDOWPOSCHANGED", "WM_SIZE"}},
        {"frame only",
         0,
         0,
         0,
         0,
         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED,
         {"WM_WINDOWPOSCHANGING", "WM_NCCALCSIZE", "WM_WINDOWPOSCHANGED"}},
        {"nothing",
         0,
         0,
         0,
         0,
         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER,
         {"WM_WINDOWPOSCHANGING", "WM_WINDOWPOSCHANGED"}},
        {"silent change",
         1,
         1,
         0,
         0,
         SWP_NOSIZE | SWP_NOZORDER | SWP_NOSENDCHANGING,
         {"WM_WINDOWPOSCHANGED", "WM_MOVE"}},
    };
    HWND h = Make(WS_POPUP, 0, 0, 50, 50);
    for (const auto& c : cases) {
        msgrec::Log::Get().Clear();
        ASSERT_TRUE(SetWindowPos(h, nullptr, c.x, c.y, c.cx, c.cy, c.flags)) << c.name;
        EXPECT_EQ(msgrec::Log::Get().Names(h), c.expected) << c.name;
    }
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.right, 91);
}

TEST_F(WinposTest, FrameChangedRecomputesTheClientAreaAfterAStyleChange) {
    // As a caption-less skin window does at creation: drop the caption, then SWP_FRAMECHANGED.
    HWND h = Make(WS_OVERLAPPEDWINDOW, 100, 100, 400, 300);
    RECT before;
    GetClientRect(h, &before);
    EXPECT_EQ(before.bottom, 300 - 31 - 8);
    SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) & ~WS_CAPTION);
    msgrec::Log::Get().Clear();
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT after;
    GetClientRect(h, &after);
    EXPECT_EQ(after.bottom, 300 - 16);
    EXPECT_EQ(msgrec::Log::Get().Names(h), (Names{"WM_WINDOWPOSCHANGING", "WM_NCCALCSIZE",
                                                  "WM_WINDOWPOSCHANGED", "WM_SIZE", "WM_MOVE"}));
}

TEST_F(WinposTest, ResizingIsHeldToTheTrackSizes) {
    HWND h = Make(WS_OVERLAPPEDWINDOW, 0, 0, 300, 300);
    msgrec::SetHandler(h, [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
        if (m != WM_GETMINMAXINFO) return std::nullopt;
        auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
        mmi->ptMinTrackSize = POINT{200, 150};
        mmi->ptMaxTrackSize = POINT{500, 400};
        return 0;
    });
    MoveWindow(h, 0, 0, 50, 50, TRUE);
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 150);
    MoveWindow(h, 0, 0, 5000, 5000, TRUE);
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 400);
}

TEST_F(WinposTest, MinimiseMaximiseRestoreReportTheirSizeKinds) {
    HWND h = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
    msgrec::Pump();
    std::vector<WPARAM> kinds;
    std::vector<LPARAM> sizes;
    msgrec::SetHandler(h, [&](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
        if (m == WM_SIZE) {
            kinds.push_back(w);
            sizes.push_back(l);
        }
        return std::nullopt;
    });
    ShowWindow(h, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(h));
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, -8);  // the frame lies just off the work area
    EXPECT_EQ(r.right, 1928);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    EXPECT_EQ(origin.y, 23);  // the caption stays on screen

    SendMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(h));
    EXPECT_FALSE(IsZoomed(h));
    GetClientRect(h, &r);
    EXPECT_TRUE(IsRectEmpty(&r));

    ShowWindow(h, SW_RESTORE);  // back to maximised, where it was minimised from
    EXPECT_TRUE(IsZoomed(h));
    ShowWindow(h, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(h));
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.bottom, 400);

    EXPECT_EQ(kinds,
              (std::vector<WPARAM>{SIZE_MAXIMIZED, SIZE_MINIMIZED, SIZE_MAXIMIZED, SIZE_RESTORED}));
    EXPECT_EQ(sizes[0], MAKELPARAM(1920, 1080 - 23));
    EXPECT_EQ(sizes[1], 0);
    EXPECT_EQ(sizes[3], MAKELPARAM(400 - 16, 300 - 39));

    msgrec::Log::Get().Clear();
    EXPECT_TRUE(ShowWindow(h, SW_HIDE));  // was visible
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_FALSE(ShowWindow(h, SW_HIDE));
    EXPECT_EQ(msgrec::Log::Get().Names(h, {WM_SHOWWINDOW}), (Names{"WM_SHOWWINDOW"}));
}

TEST_F(WinposTest, ZOrderFollowsSetWindowPos) {
    HWND top = Make(WS_POPUP, 0, 0, 100, 100);
    HWND a = Make(WS_CHILD, 0, 0, 10, 10, top);
    HWND b = Make(WS_CHILD, 0, 0, 10, 10, top);
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);  // children line up in creation order
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), b);
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    SetWindowPos(a, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
}

TEST_F(WinposTest, OneMonitorWithTheWholeScreenAsWorkArea) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    HWND h = Make(WS_POPUP, 10, 10, 10, 10);
    HMONITOR m = MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(MonitorFromPoint(POINT{5000, 5000}, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorFromPoint(POINT{5000, 5000}, MONITOR_DEFAULTTONEAREST), m);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ASSERT_TRUE(GetMonitorInfoW(m, &mi));
    EXPECT_EQ(mi.rcWork.right, 1920);
    EXPECT_EQ(mi.rcWork.bottom, 1080);
    EXPECT_EQ(mi.dwFlags, MONITORINFOF_PRIMARY);
    mi.cbSize = 4;
    EXPECT_FALSE(GetMonitorInfoW(m, &mi));
    RECT work;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.bottom, 1080);
}

TEST(Rectangles, HelpersKeepWin32EdgeRules) {
    RECT r{0, 0, 10, 10};
    EXPECT_TRUE(PtInRect(&r, POINT{0, 0}));
    EXPECT_FALSE(PtInRect(&r, POINT{10, 5}));  // right and bottom are outside
    RECT a{0, 0, 5, 5}, b{5, 5, 8, 8}, out;
    EXPECT_FALSE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE(IsRectEmpty(&out));
    EXPECT_TRUE(UnionRect(&out, &a, &b));
    EXPECT_EQ(out.right, 8);
    RECT cut{0, 0, 10, 4};
    EXPECT_TRUE(SubtractRect(&out, &r, &cut));
    EXPECT_EQ(out.top, 4);
    RECT middle{2, 2, 4, 4};
    EXPECT_TRUE(SubtractRect(&out, &r, &middle));
    EXPECT_TRUE(EqualRect(&out, &r));  // a hole cannot be expressed: unchanged
}

}  // namespace
