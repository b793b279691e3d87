// The skinned window base: creation from a layout, the fatal layout failure, the message chain,
// hit-testing, the maximised client area, size limits, the window region, system commands, the
// keyboard filter, default clicks and virtual windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win_gdi.h"
#include "window_skin_fixture.h"

namespace {

using wndtest::ClientRect;
using wndtest::CreateLikeStartUp;
using wndtest::Pump;
using wndtest::SkinWnd;
using wndtest::WindowRect;

constexpr UINT WM_TEST_CUSTOM = WM_USER + 9;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "}";
}

RECT ClientOnScreen(HWND hwnd) {
    RECT rc = ClientRect(hwnd);
    POINT lt = {rc.left, rc.top};
    POINT rb = {rc.right, rc.bottom};
    ::ClientToScreen(hwnd, &lt);
    ::ClientToScreen(hwnd, &rb);
    return {lt.x, lt.y, rb.x, rb.y};
}

class WindowImplBaseTest : public ::testing::Test {
  protected:
    void TearDown() override {
        Pump();
        while (wndtest::TakeQuit() != -1) {
        }
    }
    wndtest::WindowFixtureFolder folder_;
};

TEST_F(WindowImplBaseTest, CreationStripsTheCaptionAndAttachesTheLayoutBeforeCreateReturns) {
    SkinWnd wnd(L"hit_test.xml");
    HWND hwnd = CreateLikeStartUp(wnd);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(wnd.inits, 1);
    ASSERT_NE(wnd.rootAtInit, nullptr);
    EXPECT_EQ(wnd.rootAtInit, wnd.GetPaintManager().GetRoot());
    EXPECT_NE(wnd.Find(L"button"), nullptr);

    const DWORD style = static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u);
    EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_NE(style & WS_VISIBLE, 0u);
    EXPECT_EQ(static_cast<DWORD>(wnd.GetStyle()), style & ~WS_CAPTION);
    EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));

    // Placed at the origin with the layout's size, and all of it is client area.
    EXPECT_PRED2(SameRect, WindowRect(hwnd), (RECT{0, 0, 300, 200})) << Show(WindowRect(hwnd));
    EXPECT_PRED2(SameRect, ClientOnScreen(hwnd), (RECT{0, 0, 300, 200}));
}

TEST(WindowImplBaseDeathTest, ALayoutThatCannotBeBuiltShowsTheErrorBoxAndEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* name;
        LPCWSTR layout;
    };
    const Case cases[] = {
        {"missing file", L"no_such_layout.xml"},
        {"malformed markup", L"<Window><VerticalLayout></Window>"},
        {"no control in it", L"<Window size=\"10,10\" />"},
        {"no layout named", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(
            {
                wndtest::WindowFixtureFolder folder;
                SkinWnd wnd(c.layout);
                CreateLikeStartUp(wnd);
            },
            ::testing::ExitedWithCode(1), "MessageBox: Skin: 加载资源文件失败");
    }
}

struct CustomCase {
    const char* name;
    UINT msg;
    bool claim;
    bool offered;
    LRESULT expected;
};

TEST_F(WindowImplBaseTest, TheCustomHandlerSeesItsFlagFalseAndOnlyAClaimStopsTheChain) {
    const CustomCase cases[] = {
        {"unclaimed: the default procedure answers", WM_TEST_CUSTOM, false, true, 0},
        {"claimed: its result is the answer", WM_TEST_CUSTOM, true, true, 77},
        {"unclaimed: the paint manager answers", WM_ERASEBKGND, false, true, 1},
        {"a table handler that passes on", WM_SIZE, false, true, 0},
        {"a table handler that answers", WM_NCPAINT, false, false, 0},
    };
    for (const CustomCase& c : cases) {
        SCOPED_TRACE(c.name);
        SkinWnd wnd(L"hit_test.xml");
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        wnd.custom.clear();
        wnd.customHandler = [&](UINT, WPARAM, LPARAM, BOOL& bHandled) -> LRESULT {
            if (c.claim) {
                bHandled = TRUE;
                return 77;
            }
            return 55;  // a value without the flag counts for nothing
        };
        EXPECT_EQ(::SendMessageW(hwnd, c.msg, 0, 0), c.expected);
        EXPECT_EQ(wnd.CustomSaw(c.msg), c.offered);
        for (const wndtest::SeenMessage& m : wnd.custom) EXPECT_EQ(m.lParam, FALSE);
    }
}

struct HitCase {
    const char* name;
    POINT client;
    LRESULT expected;
};

TEST_F(WindowImplBaseTest, HitTestingFindsTheSizeBoxAndTheCaptionBandOverDraggableControls) {
    // 300 x 200, size box 5 on each side, caption band 40 high; in the band from the left:
    // Label, Button, Option, Text, Slider, Control (40 wide each), then nothing.
    const HitCase normal[] = {
        {"top-left corner", {4, 4}, HTTOPLEFT},
        {"top edge", {5, 0}, HTTOP},
        {"top edge over the caption band", {20, 3}, HTTOP},
        {"top edge at its right end", {295, 2}, HTTOP},
        {"top-right corner", {296, 2}, HTTOPRIGHT},
        {"bottom-left corner", {2, 196}, HTBOTTOMLEFT},
        {"bottom edge", {150, 199}, HTBOTTOM},
        {"bottom-right corner", {299, 199}, HTBOTTOMRIGHT},
        {"just above the bottom edge", {150, 195}, HTCLIENT},
        {"left edge", {2, 100}, HTLEFT},
        {"right edge", {298, 100}, HTRIGHT},
        {"band over a LabelUI", {20, 20}, HTCAPTION},
        {"band over a ButtonUI", {60, 20}, HTCLIENT},
        {"band over an OptionUI", {100, 20}, HTCLIENT},
        {"band over a TextUI", {140, 20}, HTCLIENT},
        {"band over a SliderUI", {180, 20}, HTCLIENT},
        {"band over a ControlUI", {220, 20}, HTCAPTION},
        {"band where no control is found", {270, 20}, HTCLIENT},
        {"last row of the band", {20, 39}, HTCAPTION},
        {"below the band", {20, 40}, HTCLIENT},
    };
    // Maximised to the 1920 x 1080 work area: no border codes anywhere.
    const HitCase maximised[] = {
        {"top-left corner", {1, 1}, HTCAPTION},
        {"left edge in the body", {1, 500}, HTCLIENT},
        {"bottom-right corner", {1919, 1079}, HTCLIENT},
        {"top-right corner", {1919, 1}, HTCLIENT},
        {"band over a ButtonUI", {60, 20}, HTCLIENT},
        {"band over a LabelUI", {30, 3}, HTCAPTION},
    };
    SkinWnd wnd(L"hit_test.xml");
    HWND hwnd = CreateLikeStartUp(wnd);
    ASSERT_NE(hwnd, nullptr);
    // Away from the origin, so screen and client coordinates differ.
    ::SetWindowPos(hwnd, nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    auto check = [&](const HitCase& c) {
        SCOPED_TRACE(c.name);
        POINT screen = c.client;
        ::ClientToScreen(hwnd, &screen);
        EXPECT_EQ(::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)),
                  c.expected);
    };
    for (const HitCase& c : normal) check(c);

    ::ShowWindow(hwnd, SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(::IsZoomed(hwnd));
    for (const HitCase& c : maximised) check(c);
}

struct WorkAreaCase {
    const char* name;
    RECT work;  // {0,0,0,0}: the whole screen
};

TEST_F(WindowImplBaseTest, AMaximisedWindowIsAllClientAreaAndFillsTheWorkArea) {
    const WorkAreaCase cases[] = {
        {"whole screen", {0, 0, 0, 0}},
        {"panel along the top", {0, 40, 1920, 1080}},
        {"panel along the left", {120, 0, 1920, 1080}},
        {"panels on every side", {50, 30, 1800, 1000}},
    };
    for (const WorkAreaCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<wndtest::ScopedWorkArea> area;
        if (c.work.right != 0) area.emplace(c.work);
        const RECT work = c.work.right != 0 ? c.work : RECT{0, 0, 1920, 1080};
        {
            SkinWnd wnd(L"sample.xml");
            HWND hwnd = CreateLikeStartUp(wnd);
            ASSERT_NE(hwnd, nullptr);
            wnd.CenterWindow();
            const RECT normal = WindowRect(hwnd);

            wnd.SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
            ASSERT_TRUE(::IsZoomed(hwnd));
            EXPECT_PRED2(SameRect, WindowRect(hwnd), work) << Show(WindowRect(hwnd));
            EXPECT_PRED2(SameRect, ClientOnScreen(hwnd), work) << Show(ClientOnScreen(hwnd));

            wnd.SendMessageW(WM_SYSCOMMAND, SC_RESTORE, 0);
            EXPECT_FALSE(::IsZoomed(hwnd));
            EXPECT_PRED2(SameRect, WindowRect(hwnd), normal);
            EXPECT_PRED2(SameRect, ClientOnScreen(hwnd), normal);
        }
        Pump();
    }
}

struct MinMaxCase {
    const char* name;
    LPCWSTR layout;
    RECT work;
    POINT maxPosition;
    POINT maxTrack;
    POINT minTrack;
};

TEST_F(WindowImplBaseTest, SizeLimitsComeFromTheWorkAreaAndTheLayout) {
    const MinMaxCase cases[] = {
        {"the layout's minimum, the work area as maximum",
         L"<Window size=\"300,200\" mininfo=\"240,160\"><Control /></Window>",
         {0, 0, 0, 0},
         {0, 0},
         {1920, 1080},
         {240, 160}},
        {"the layout's maximum overrides the work area",
         L"<Window size=\"300,200\" mininfo=\"240,160\" maxinfo=\"800,600\"><Control /></Window>",
         {0, 0, 0, 0},
         {0, 0},
         {800, 600},
         {240, 160}},
        {"a work area beside a panel",
         L"<Window size=\"300,200\"><Control /></Window>",
         {0, 40, 1920, 1080},
         {0, 40},
         {1920, 1040},
         {0, 0}},
    };
    for (const MinMaxCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<wndtest::ScopedWorkArea> area;
        if (c.work.right != 0) area.emplace(c.work);
        SkinWnd wnd(c.layout);
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        MINMAXINFO info = {};
        info.ptMaxSize = {111, 222};
        ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.ptMaxPosition.x, c.maxPosition.x);
        EXPECT_EQ(info.ptMaxPosition.y, c.maxPosition.y);
        EXPECT_EQ(info.ptMaxTrackSize.x, c.maxTrack.x);
        EXPECT_EQ(info.ptMaxTrackSize.y, c.maxTrack.y);
        EXPECT_EQ(info.ptMinTrackSize.x, c.minTrack.x);
        EXPECT_EQ(info.ptMinTrackSize.y, c.minTrack.y);
        EXPECT_EQ(info.ptMaxSize.x, 111);  // left as proposed
        EXPECT_EQ(info.ptMaxSize.y, 222);

        // Sizing keeps within the limits.
        ::SetWindowPos(hwnd, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
        RECT rc = WindowRect(hwnd);
        EXPECT_EQ(rc.right - rc.left, std::max<LONG>(10, c.minTrack.x));
        EXPECT_EQ(rc.bottom - rc.top, std::max<LONG>(10, c.minTrack.y));
        ::SetWindowPos(hwnd, nullptr, 0, 0, 5000, 5000, SWP_NOMOVE | SWP_NOZORDER);
        rc = WindowRect(hwnd);
        EXPECT_EQ(rc.right - rc.left, c.maxTrack.x);
        EXPECT_EQ(rc.bottom - rc.top, c.maxTrack.y);
    }
}

TEST_F(WindowImplBaseTest, NcActivateAnswersWithoutPaintingUnlessMinimised) {
    struct Case {
        const char* name;
        bool minimised;
        WPARAM active;
        LRESULT expected;
    };
    const Case cases[] = {
        {"deactivation", false, 0, TRUE},
        {"activation", false, 1, FALSE},
        {"minimised: the default answers", true, 1, TRUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SkinWnd wnd(L"hit_test.xml");
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        if (c.minimised) ::ShowWindow(hwnd, SW_MINIMIZE);
        wnd.custom.clear();
        EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, c.active, 0), c.expected);
        EXPECT_EQ(wnd.CustomSaw(WM_NCACTIVATE), c.minimised);
    }
}

TEST_F(WindowImplBaseTest, EverySizeChangeGivesTheWindowARegionOfItsSize) {
    struct Case {
        const char* name;
        LPCWSTR corner;  // the roundcorner attribute, or empty
        bool rounded;
    };
    const Case cases[] = {
        {"rounded corners", L" roundcorner=\"24,24\"", true},
        {"square corners", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SkinWnd wnd(CSkinString(L"<Window size=\"300,200\"") + c.corner + L"><Control /></Window>");
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        auto inside = [&](int x, int y) {
            EXPECT_NE(::GetWindowRgn(hwnd, rgn), ERROR);
            return ::PtInRegion(rgn, x, y) != FALSE;
        };
        EXPECT_TRUE(inside(150, 100));
        EXPECT_TRUE(inside(299, 100));
        EXPECT_EQ(inside(0, 0), !c.rounded);
        EXPECT_EQ(inside(299, 199), !c.rounded);
        EXPECT_FALSE(inside(150, 260));

        ::SetWindowPos(hwnd, nullptr, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_TRUE(inside(499, 175));
        EXPECT_TRUE(inside(250, 349));
        EXPECT_EQ(inside(499, 349), !c.rounded);
        EXPECT_TRUE(inside(298, 198));  // the old corner is inside now

        // Minimising leaves the region alone.
        ::ShowWindow(hwnd, SW_MINIMIZE);
        EXPECT_TRUE(inside(499, 175));
        ::DeleteObject(rgn);
    }
}

struct CloseCase {
    const char* name;
    void (*act)(SkinWnd& wnd);
    bool synchronous;
    WPARAM code;
};

TEST_F(WindowImplBaseTest, AltF4AndTheCloseCommandCloseAtOnceTheCloseButtonByAPostedMessage) {
    const CloseCase cases[] = {
        {"the close command", [](SkinWnd& w) { w.SendMessageW(WM_SYSCOMMAND, SC_CLOSE, 0); }, true,
         0},
        {"Alt+F4",
         [](SkinWnd&) {
             wndtest::Key(VK_MENU);
             wndtest::Key(VK_F4);
             wndtest::Key(VK_F4, true);
             wndtest::Key(VK_MENU, true);
             // The keys come out of the queue; closing happens while they are handled.
         },
         false, 0},
        {"a click on closebtn",
         [](SkinWnd& w) { w.GetPaintManager().SendNotify(w.Find(L"closebtn"), DUI_MSGTYPE_CLICK); },
         false, 1},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        SkinWnd wnd(L"sample.xml");
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        ::SetForegroundWindow(hwnd);
        ::SetFocus(hwnd);
        Pump();
        wnd.closes.clear();
        c.act(wnd);
        EXPECT_EQ(!wnd.closes.empty(), c.synchronous);
        Pump();
        EXPECT_EQ(wnd.closes, std::vector<WPARAM>{c.code});
        // Nobody refused: the default closing destroyed the window.
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(wnd.GetHWND(), nullptr);
    }
}

struct SwapCase {
    const char* name;
    bool withRestoreButton;
    std::vector<WPARAM> commands;
    bool zoomed;
    bool maxVisible;
    bool restoreVisible;
};

TEST_F(WindowImplBaseTest, MaximiseAndRestoreSwapTheTwoButtons) {
    const SwapCase cases[] = {
        {"maximise", true, {SC_MAXIMIZE}, true, false, true},
        {"maximise, restore", true, {SC_MAXIMIZE, SC_RESTORE}, false, true, false},
        {"minimise: no change of the maximised state", true, {SC_MINIMIZE}, false, true, false},
        {"maximise, minimise, restore",
         true,
         {SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE},
         true,
         false,
         true},
        {"without restorebtn neither is touched", false, {SC_MAXIMIZE}, true, true, false},
    };
    for (const SwapCase& c : cases) {
        SCOPED_TRACE(c.name);
        CSkinString layout =
            L"<Window size=\"300,200\"><HorizontalLayout><Button name=\"maxbtn\" />";
        if (c.withRestoreButton) layout += L"<Button name=\"restorebtn\" visible=\"false\" />";
        layout += L"<Button name=\"other\" /></HorizontalLayout></Window>";
        SkinWnd wnd(layout);
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        for (WPARAM command : c.commands) wnd.SendMessageW(WM_SYSCOMMAND, command, 0);
        EXPECT_EQ(::IsZoomed(hwnd) != FALSE, c.zoomed);
        EXPECT_EQ(wnd.Find(L"maxbtn")->IsVisible(), c.maxVisible);
        if (c.withRestoreButton) {
            EXPECT_EQ(wnd.Find(L"restorebtn")->IsVisible(), c.restoreVisible);
        }
        // Only a restore goes on down the chain after the default processing.
        for (WPARAM command : c.commands) {
            EXPECT_EQ(wnd.CustomSaw(WM_SYSCOMMAND, command), command == SC_RESTORE);
        }
    }
}

struct ClickCase {
    const char* name;
    LPCWSTR sender;  // null: a notification without a sender
    bool startMaximised;
    bool iconic;
    bool zoomed;
};

TEST_F(WindowImplBaseTest, ClicksOnTheWindowButtonsMinimiseMaximiseAndRestore) {
    const ClickCase cases[] = {
        {"minbtn", L"minbtn", false, true, false},
        {"maxbtn", L"maxbtn", false, false, true},
        {"restorebtn", L"restorebtn", true, false, false},
        {"another control", L"title", true, false, true},
        {"no sender", nullptr, true, false, true},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.name);
        SkinWnd wnd(L"sample.xml");
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        if (c.startMaximised) wnd.SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        CControlUI* sender = c.sender ? wnd.Find(c.sender) : nullptr;
        if (c.sender) {
            ASSERT_NE(sender, nullptr);
        }
        wnd.GetPaintManager().SendNotify(sender, DUI_MSGTYPE_CLICK);
        EXPECT_EQ(::IsIconic(hwnd) != FALSE, c.iconic);
        EXPECT_EQ(::IsZoomed(hwnd) != FALSE, c.zoomed);
        // The derived class's OnClick is the one the map calls.
        EXPECT_EQ(wnd.clicks, std::vector<std::wstring>{c.sender ? c.sender : L"-"});
        Pump();
        EXPECT_TRUE(wnd.closes.empty());
    }
}

TEST_F(WindowImplBaseTest, ReturnAndEscapeAreOfferedToTheDefaultKeyHandlerAndGoOn) {
    struct Case {
        const char* name;
        WORD vk;
        bool offered;
    };
    const Case cases[] = {
        {"Return", VK_RETURN, true},
        {"Escape", VK_ESCAPE, true},
        {"a letter", 'A', false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SkinWnd wnd(L"<Window size=\"200,100\"><KeyProbe name=\"probe\" /></Window>");
        HWND hwnd = CreateLikeStartUp(wnd);
        ASSERT_NE(hwnd, nullptr);
        auto* probe = dynamic_cast<wndtest::KeyProbe*>(wnd.Find(L"probe"));
        ASSERT_NE(probe, nullptr);  // made by the window's CreateControl
        ::SetForegroundWindow(hwnd);
        ::SetFocus(hwnd);
        wnd.GetPaintManager().SetFocus(probe);
        Pump();
        wndtest::Key(c.vk);
        wndtest::Key(c.vk, true);
        Pump();
        EXPECT_EQ(wnd.defaultKeys, c.offered ? std::vector<WPARAM>{c.vk} : std::vector<WPARAM>{});
        // The filter never claims the key: the focused control still gets it.
        EXPECT_EQ(probe->keys, std::vector<WORD>{c.vk});
    }

    SkinWnd wnd(L"<Window size=\"200,100\"><Control /></Window>");
    ASSERT_NE(CreateLikeStartUp(wnd), nullptr);
    BOOL handled = FALSE;
    EXPECT_EQ(wnd.MessageHandler(WM_KEYDOWN, VK_ESCAPE, 0, handled), TRUE);
    EXPECT_EQ(wnd.MessageHandler(WM_KEYDOWN, VK_RETURN, 0, handled), FALSE);
    EXPECT_EQ(wnd.MessageHandler(WM_KEYUP, VK_ESCAPE, 0, handled), 0);
    EXPECT_EQ(handled, FALSE);
}

TEST_F(WindowImplBaseTest, ANotificationForAVirtualWindowGoesThereWhenOneIsRegistered) {
    struct SubPump : CNotifyPump {
        static const SKIN_MSGMAP* GetThisMessageMap() {
            static const SKIN_MSGMAP_ENTRY entries[] = {
                SkinNotifyEntry<SubPump>(DUI_MSGTYPE_CLICK, L"", &SubPump::OnClick),
                SkinEndEntry(),
            };
            static const SKIN_MSGMAP map = {&CNotifyPump::GetThisMessageMap, entries};
            return &map;
        }
        const SKIN_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
        void OnClick(TNotifyUI&) { ++clicks; }
        int clicks = 0;
    };
    for (bool registered : {true, false}) {
        SCOPED_TRACE(registered ? "registered" : "not registered");
        SkinWnd wnd(L"<Window size=\"200,100\"><Button name=\"b\" virtualwnd=\"sub\" /></Window>");
        ASSERT_NE(CreateLikeStartUp(wnd), nullptr);
        wnd.GetPaintManager().UsedVirtualWnd(true);
        SubPump sub;
        if (registered) {
            ASSERT_TRUE(wnd.AddVirtualWnd(L"sub", &sub));
        }
        wnd.GetPaintManager().SendNotify(wnd.Find(L"b"), DUI_MSGTYPE_CLICK);
        EXPECT_EQ(sub.clicks, registered ? 1 : 0);
        EXPECT_EQ(wnd.clicks.size(), registered ? 0u : 1u);
    }
}

TEST_F(WindowImplBaseTest, TheFinalMessageUnregistersAndAnObjectGoneFirstLeavesItsWindow) {
    SkinWnd wnd(L"sample.xml");
    HWND hwnd = CreateLikeStartUp(wnd);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(::DestroyWindow(hwnd));
    EXPECT_EQ(wnd.GetHWND(), nullptr);
    EXPECT_FALSE(wnd.GetPaintManager().RemoveNotifier(&wnd));
    EXPECT_FALSE(wnd.GetPaintManager().RemovePreMessageFilter(&wnd));

    // The main window's object goes at exit while its window stays.
    struct Leaving : SkinWnd {
        Leaving() : SkinWnd(L"sample.xml") {}
        ~Leaving() override { DetachFromWindow(); }
    };
    auto leaving = std::make_unique<Leaving>();
    hwnd = CreateLikeStartUp(*leaving);
    ASSERT_NE(hwnd, nullptr);
    leaving.reset();
    ASSERT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    ::InvalidateRect(hwnd, nullptr, TRUE);
    Pump();  // painted by the default procedure now
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(::DestroyWindow(hwnd));
}

}  // namespace
