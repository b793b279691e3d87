// A sample skinned window driven only through the display's input, the way a user handles it:
// opened, dragged by its caption band, resized by its size box, maximised, restored and closed
// with its own buttons. What the user would see is read back from the screen.
#include <gtest/gtest.h>

#include <vector>

#include "window_skin_fixture.h"

namespace {

using wndtest::Click;
using wndtest::Drag;
using wndtest::Pump;
using wndtest::SkinWnd;
using wndtest::WindowRect;

// The colours of sample.xml.
constexpr COLORREF kDesktop = RGB(0, 0, 0);
constexpr COLORREF kCaption = RGB(0x20, 0x50, 0xA0);
constexpr COLORREF kBody = RGB(0xF0, 0xF0, 0xF0);
constexpr COLORREF kMinButton = RGB(0x30, 0xA0, 0x30);
constexpr COLORREF kMaxButton = RGB(0xA0, 0xA0, 0x30);
constexpr COLORREF kRestoreButton = RGB(0x30, 0xA0, 0xA0);
constexpr COLORREF kCloseButton = RGB(0xC0, 0x30, 0x30);

display::Capture Screen() {
    display::Capture capture;
    EXPECT_TRUE(display::CaptureScreen(&capture));
    return capture;
}

// Checks what a user sees of the window at rc: its parts, its buttons (the fourth from the
// right shows maximise or restore) and its four rounded corners cut off against the desktop.
void ExpectWindowShown(const RECT& rc, COLORREF maxOrRestore) {
    const display::Capture screen = Screen();
    const int midX = (rc.left + rc.right) / 2;
    EXPECT_EQ(screen.ColorAt(midX, rc.top + 16), kCaption);
    EXPECT_EQ(screen.ColorAt(midX, (rc.top + rc.bottom) / 2), kBody);
    EXPECT_EQ(screen.ColorAt(rc.right - 16, rc.top + 16), kCloseButton);
    EXPECT_EQ(screen.ColorAt(rc.right - 48, rc.top + 16), maxOrRestore);
    EXPECT_EQ(screen.ColorAt(rc.right - 80, rc.top + 16), kMinButton);
    // Rounded corners: the desktop shows through at each corner, the window just inside it.
    EXPECT_EQ(screen.ColorAt(rc.left + 1, rc.top + 1), kDesktop);
    EXPECT_EQ(screen.ColorAt(rc.right - 2, rc.top + 1), kDesktop);
    EXPECT_EQ(screen.ColorAt(rc.left + 1, rc.bottom - 2), kDesktop);
    EXPECT_EQ(screen.ColorAt(rc.right - 2, rc.bottom - 2), kDesktop);
    EXPECT_EQ(screen.ColorAt(rc.right - 8, rc.top + 8), kCloseButton);
    EXPECT_EQ(screen.ColorAt(rc.left + 8, rc.bottom - 8), kBody);
    EXPECT_EQ(screen.ColorAt(rc.right - 8, rc.bottom - 8), kBody);
    // Nothing of the window beyond its rectangle.
    EXPECT_EQ(screen.ColorAt(rc.left - 1, rc.top + 50), kDesktop);
    EXPECT_EQ(screen.ColorAt(rc.right, rc.top + 50), kDesktop);
    EXPECT_EQ(screen.ColorAt(midX, rc.bottom), kDesktop);
}

std::vector<WPARAM> WParams(const SkinWnd& wnd, UINT msg) {
    std::vector<WPARAM> out;
    for (const wndtest::SeenMessage& m : wnd.Seen(msg)) out.push_back(m.wParam);
    return out;
}

TEST(WindowSampleTest, AUserDragsResizesMaximisesRestoresAndClosesASkinnedWindow) {
    wndtest::WindowFixtureFolder folder;
    SkinWnd wnd(L"sample.xml");
    HWND hwnd = wndtest::CreateLikeStartUp(wnd);
    ASSERT_NE(hwnd, nullptr);
    wnd.CenterWindow();
    ::SetForegroundWindow(hwnd);
    Pump();

    // Opened: 400 x 300, centred on the 1920 x 1080 screen.
    RECT rc = WindowRect(hwnd);
    ASSERT_EQ(rc.left, 760);
    ASSERT_EQ(rc.top, 390);
    ASSERT_EQ(rc.right, 1160);
    ASSERT_EQ(rc.bottom, 690);
    {
        SCOPED_TRACE("opened");
        ExpectWindowShown(rc, kMaxButton);
    }

    // Dragged by the title in the caption band.
    wnd.seen.clear();
    Drag({rc.left + 150, rc.top + 16}, {rc.left + 210, rc.top + 56});
    const RECT moved = WindowRect(hwnd);
    EXPECT_EQ(moved.left, rc.left + 60);
    EXPECT_EQ(moved.top, rc.top + 40);
    EXPECT_EQ(moved.right - moved.left, 400);
    EXPECT_EQ(moved.bottom - moved.top, 300);
    EXPECT_EQ(WParams(wnd, WM_NCLBUTTONDOWN), std::vector<WPARAM>{HTCAPTION});
    EXPECT_EQ(WParams(wnd, WM_SYSCOMMAND), std::vector<WPARAM>{SC_MOVE | HTCAPTION});
    EXPECT_EQ(wnd.Seen(WM_ENTERSIZEMOVE).size(), 1u);
    EXPECT_EQ(wnd.Seen(WM_EXITSIZEMOVE).size(), 1u);
    EXPECT_TRUE(wnd.Seen(WM_LBUTTONDOWN).empty());  // the content never saw the press
    {
        SCOPED_TRACE("dragged");
        ExpectWindowShown(moved, kMaxButton);
        EXPECT_EQ(Screen().ColorAt(rc.left + 30, rc.top + 100), kDesktop);  // uncovered
    }

    // Resized by the bottom-right corner of the size box, just inside the rounded corner.
    wnd.seen.clear();
    Drag({moved.right - 5, moved.bottom - 5}, {moved.right + 75, moved.bottom + 45});
    const RECT grown = WindowRect(hwnd);
    EXPECT_EQ(grown.left, moved.left);
    EXPECT_EQ(grown.top, moved.top);
    EXPECT_EQ(grown.right - grown.left, 480);
    EXPECT_EQ(grown.bottom - grown.top, 350);
    EXPECT_EQ(WParams(wnd, WM_NCLBUTTONDOWN), std::vector<WPARAM>{HTBOTTOMRIGHT});
    EXPECT_EQ(WParams(wnd, WM_SYSCOMMAND), std::vector<WPARAM>{SC_SIZE + 8});
    ASSERT_FALSE(wnd.Seen(WM_SIZE).empty());
    EXPECT_EQ(wnd.Seen(WM_SIZE).back().lParam, MAKELPARAM(480, 350));
    {
        SCOPED_TRACE("grown");
        ExpectWindowShown(grown, kMaxButton);
    }

    // The right edge cannot be dragged below the layout's minimum width.
    const int midY = (grown.top + grown.bottom) / 2;
    Drag({grown.right - 3, midY}, {grown.right - 403, midY});
    const RECT shrunk = WindowRect(hwnd);
    EXPECT_EQ(shrunk.right - shrunk.left, 240);
    EXPECT_EQ(shrunk.bottom - shrunk.top, 350);
    {
        SCOPED_TRACE("shrunk");
        ExpectWindowShown(shrunk, kMaxButton);
    }

    // Maximised with its button: the work area, the restore button in place of maximise.
    wnd.seen.clear();
    Click({shrunk.right - 48, shrunk.top + 16});
    ASSERT_TRUE(::IsZoomed(hwnd));
    EXPECT_EQ(wnd.clicks.back(), L"maxbtn");
    EXPECT_EQ(WParams(wnd, WM_SYSCOMMAND), std::vector<WPARAM>{SC_MAXIMIZE});
    const RECT full = WindowRect(hwnd);
    EXPECT_EQ(full.left, 0);
    EXPECT_EQ(full.top, 0);
    EXPECT_EQ(full.right, 1920);
    EXPECT_EQ(full.bottom, 1080);
    EXPECT_FALSE(wnd.Find(L"maxbtn")->IsVisible());
    EXPECT_TRUE(wnd.Find(L"restorebtn")->IsVisible());
    {
        SCOPED_TRACE("maximised");
        const display::Capture screen = Screen();
        EXPECT_EQ(screen.ColorAt(960, 16), kCaption);
        EXPECT_EQ(screen.ColorAt(960, 540), kBody);
        EXPECT_EQ(screen.ColorAt(1920 - 16, 16), kCloseButton);
        EXPECT_EQ(screen.ColorAt(1920 - 48, 16), kRestoreButton);
        EXPECT_EQ(screen.ColorAt(1920 - 80, 16), kMinButton);
    }

    // Restored with the restore button: back where it was, maximise in its place again.
    wnd.seen.clear();
    Click({1920 - 48, 16});
    EXPECT_FALSE(::IsZoomed(hwnd));
    EXPECT_EQ(wnd.clicks.back(), L"restorebtn");
    EXPECT_EQ(WParams(wnd, WM_SYSCOMMAND), std::vector<WPARAM>{SC_RESTORE});
    const RECT restored = WindowRect(hwnd);
    EXPECT_EQ(restored.left, shrunk.left);
    EXPECT_EQ(restored.top, shrunk.top);
    EXPECT_EQ(restored.right, shrunk.right);
    EXPECT_EQ(restored.bottom, shrunk.bottom);
    EXPECT_TRUE(wnd.Find(L"maxbtn")->IsVisible());
    EXPECT_FALSE(wnd.Find(L"restorebtn")->IsVisible());
    {
        SCOPED_TRACE("restored");
        ExpectWindowShown(restored, kMaxButton);
        EXPECT_EQ(Screen().ColorAt(1900, 1060), kDesktop);
    }

    // Closed with its button: a posted close with IDOK, then the window is gone.
    wnd.seen.clear();
    Click({restored.right - 16, restored.top + 16});
    EXPECT_EQ(wnd.closes, std::vector<WPARAM>{IDOK});
    EXPECT_EQ(wnd.Seen(WM_DESTROY).size(), 1u);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(wnd.GetHWND(), nullptr);
    EXPECT_EQ(Screen().ColorAt((restored.left + restored.right) / 2, restored.top + 16), kDesktop);
}

}  // namespace
