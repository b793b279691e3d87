// Injected input: mouse routing through hit-testing and capture, tracking, wheel, context menu,
// keys, characters and key state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "support/input_inject.h"
#include "support/message_recorder.h"

namespace {

using Names = std::vector<std::string>;

// A captioned top-level window at (100, 100), 400x300 outside, with children:
// `child` at client (50, 50) 100x50, `disabled` at (200, 50), `glass` (HTTRANSPARENT) at
// (50, 150). The client area starts at screen (103, 126).
class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msgrec::RegisterClass(L"RecInput", {}, CS_DBLCLKS, nullptr, LoadCursorW(nullptr, IDC_HAND));
        msgrec::RegisterClass(L"RecInputNoDbl", {}, 0);
        msgrec::RegisterClass(L"RecGlass",
                              [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
                                  if (m == WM_NCHITTEST) return HTTRANSPARENT;
                                  return std::nullopt;
                              });
        top_ = Make(L"RecInput", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 400, 300, nullptr);
        child_ = Make(L"RecInput", WS_CHILD | WS_VISIBLE, 50, 50, 100, 50, top_);
        disabled_ = Make(L"RecInput", WS_CHILD | WS_VISIBLE | WS_DISABLED, 200, 50, 100, 50, top_);
        glass_ = Make(L"RecGlass", WS_CHILD | WS_VISIBLE, 50, 150, 100, 50, top_);
        inject::MoveTo(5, 5);
        msgrec::Pump();
        msgrec::Log::Get().Clear();
    }
    void TearDown() override {
        msgrec::ClearHandlers();
        if (GetCapture()) ReleaseCapture();
        for (HWND h : made_) {
            if (IsWindow(h)) DestroyWindow(h);
        }
        inject::MoveTo(5, 5);
        msgrec::Pump();
    }
    HWND Make(const wchar_t* cls, DWORD style, int x, int y, int cx, int cy, HWND parent) {
        HWND h =
            CreateWindowExW(0, cls, L"", style, x, y, cx, cy, parent, nullptr, nullptr, nullptr);
        made_.push_back(h);
        return h;
    }
    static std::vector<msgrec::Record> Got(HWND h, UINT msg) {
        return msgrec::Log::Get().Of(h, {msg});
    }
    HWND top_ = nullptr, child_ = nullptr, disabled_ = nullptr, glass_ = nullptr;
    std::vector<HWND> made_;
};

struct RouteCase {
    const char* name;
    POINT screen;
    HWND target;  // null: nobody
    UINT msg;
    LPARAM lParam;
};

TEST_F(InputTest, MovesGoToTheDeepestEnabledWindowUnderThePoint) {
    const RouteCase cases[] = {
        {"child", {163, 186}, child_, WM_MOUSEMOVE, MAKELPARAM(10, 10)},
        {"client", {110, 130}, top_, WM_MOUSEMOVE, MAKELPARAM(7, 4)},
        {"caption", {200, 110}, top_, WM_NCMOUSEMOVE, MAKELPARAM(200, 110)},
        {"disabled child", {310, 180}, top_, WM_MOUSEMOVE, MAKELPARAM(207, 54)},
        {"transparent child", {160, 280}, top_, WM_MOUSEMOVE, MAKELPARAM(57, 154)},
        {"outside", {700, 700}, nullptr, 0, 0},
    };
    for (const auto& c : cases) {
        msgrec::Log::Get().Clear();
        inject::MoveTo(c.screen.x, c.screen.y);
        msgrec::Pump();
        auto moves = msgrec::Log::Get().Of(nullptr, {WM_MOUSEMOVE, WM_NCMOUSEMOVE});
        if (!c.target) {
            EXPECT_TRUE(moves.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(moves.size(), 1u) << c.name;
        EXPECT_EQ(moves[0].hwnd, c.target) << c.name;
        EXPECT_EQ(moves[0].msg, c.msg) << c.name;
        EXPECT_EQ(moves[0].lParam, c.lParam) << c.name;
        if (c.msg == WM_NCMOUSEMOVE) {
            EXPECT_EQ(moves[0].wParam, static_cast<WPARAM>(HTCAPTION));
        }
    }
}

TEST_F(InputTest, HitTestAndCursorComeBeforeTheMouseMessage) {
    inject::MoveTo(163, 186);
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(child_),
              (Names{"WM_NCHITTEST", "WM_SETCURSOR", "WM_MOUSEMOVE"}));
    // The parent is asked about the cursor first (DefWindowProc passes it up).
    auto parentAsked = Got(top_, WM_SETCURSOR);
    ASSERT_EQ(parentAsked.size(), 1u);
    EXPECT_EQ(parentAsked[0].wParam, reinterpret_cast<WPARAM>(child_));
    EXPECT_EQ(parentAsked[0].lParam, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));  // the class cursor
    inject::MoveTo(200, 110);
    msgrec::Pump();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(InputTest, CaptureTakesEveryMouseMessageInClientCoordinates) {
    msgrec::SetHandler(child_, [](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_LBUTTONDOWN) SetCapture(h);
        if (m == WM_LBUTTONUP) ReleaseCapture();
        return std::nullopt;
    });
    inject::MoveTo(163, 186);
    inject::Buttons(MOUSEEVENTF_LEFTDOWN);
    inject::MoveTo(20, 30);  // far outside every window
    inject::Buttons(MOUSEEVENTF_LEFTUP);
    inject::MoveTo(110, 130);
    msgrec::Pump();
    auto names = msgrec::Log::Get().Names(
        child_, {WM_NCHITTEST, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_CAPTURECHANGED});
    EXPECT_EQ(names, (Names{"WM_NCHITTEST", "WM_MOUSEMOVE", "WM_NCHITTEST", "WM_LBUTTONDOWN",
                            "WM_MOUSEMOVE", "WM_LBUTTONUP", "WM_CAPTURECHANGED"}));
    auto moves = Got(child_, WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(GET_X_LPARAM(moves[1].lParam), 20 - 153);
    EXPECT_EQ(GET_Y_LPARAM(moves[1].lParam), 30 - 176);
    EXPECT_EQ(Got(child_, WM_LBUTTONDOWN)[0].wParam, MK_LBUTTON);
    EXPECT_EQ(Got(child_, WM_LBUTTONUP)[0].wParam, 0u);
    // Once released, the move goes where the pointer is.
    EXPECT_EQ(Got(top_, WM_MOUSEMOVE).size(), 1u);
}

TEST_F(InputTest, AClickActivatesAnInactiveWindowBeforeTheButtonMessage) {
    HWND other = Make(L"RecInput", WS_POPUP | WS_VISIBLE, 600, 100, 100, 100, nullptr);
    msgrec::Pump();
    ASSERT_EQ(GetActiveWindow(), other);
    msgrec::Log::Get().Clear();
    inject::Click(163, 186);
    msgrec::Pump();
    auto seq = msgrec::Log::Get().Sequence(
        {WM_MOUSEACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_LBUTTONDOWN, WM_LBUTTONUP});
    std::vector<std::pair<HWND, std::string>> expected = {
        {child_, "WM_MOUSEACTIVATE"}, {top_, "WM_MOUSEACTIVATE"}, {other, "WM_ACTIVATE"},
        {top_, "WM_ACTIVATE"},        {top_, "WM_SETFOCUS"},      {child_, "WM_LBUTTONDOWN"},
        {child_, "WM_LBUTTONUP"},
    };
    EXPECT_EQ(seq, expected);
    EXPECT_EQ(LOWORD(Got(top_, WM_ACTIVATE)[0].wParam), WA_CLICKACTIVE);
    EXPECT_EQ(GetActiveWindow(), top_);
}

TEST_F(InputTest, DoubleClicksNeedTheClassStyleAndQuickCloseClicks) {
    HWND plain = Make(L"RecInputNoDbl", WS_CHILD | WS_VISIBLE, 200, 150, 100, 50, top_);
    msgrec::Pump();
    msgrec::Log::Get().Clear();
    const UINT only[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    std::vector<UINT> buttons(std::begin(only), std::end(only));
    inject::Click(163, 186, 1000);
    inject::Click(164, 186, 1100);
    inject::Click(164, 186, 1200);  // a third click starts again
    inject::Click(164, 186, 5000);
    inject::Click(164, 186, 6000);
    inject::Click(190, 186, 6100);  // too far from the last one
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(child_, buttons),
              (Names{"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDBLCLK", "WM_LBUTTONUP",
                     "WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDOWN", "WM_LBUTTONUP",
                     "WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDOWN", "WM_LBUTTONUP"}));
    inject::Click(313, 286, 7000);
    inject::Click(313, 286, 7100);
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(plain, buttons),
              (Names{"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDOWN", "WM_LBUTTONUP"}));
}

TEST_F(InputTest, RightButtonReleaseBringsAContextMenuUpTheParentChain) {
    inject::RightClick(163, 186);
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(child_, {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}),
              (Names{"WM_RBUTTONDOWN", "WM_RBUTTONUP", "WM_CONTEXTMENU"}));
    auto menus = Got(nullptr, WM_CONTEXTMENU);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[1].hwnd, top_);
    for (const auto& m : menus) {
        EXPECT_EQ(m.wParam, reinterpret_cast<WPARAM>(child_));
        EXPECT_EQ(m.lParam, MAKELPARAM(163, 186));  // screen coordinates
    }
    // From the keyboard the point is (-1, -1).
    SetFocus(child_);
    msgrec::Log::Get().Clear();
    inject::Press(VK_APPS);
    msgrec::Pump();
    auto keyMenus = Got(child_, WM_CONTEXTMENU);
    ASSERT_EQ(keyMenus.size(), 1u);
    EXPECT_EQ(keyMenus[0].lParam, MAKELPARAM(-1, -1));
}

TEST_F(InputTest, WheelGoesToTheFocusWithAScreenPointAndClimbs) {
    SetFocus(child_);
    inject::MoveTo(300, 350);
    msgrec::Log::Get().Clear();
    inject::Wheel(-WHEEL_DELTA);
    msgrec::Pump();
    auto wheels = Got(child_, WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -120);
    EXPECT_EQ(wheels[0].lParam, MAKELPARAM(300, 350));
    EXPECT_EQ(Got(top_, WM_MOUSEWHEEL).size(), 1u);  // not handled: passed to the parent
}

TEST_F(InputTest, HoverAfterStillnessAndLeaveOnExit) {
    inject::MoveTo(163, 186);
    msgrec::Pump();
    TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, child_, 20};
    ASSERT_TRUE(TrackMouseEvent(&tme));
    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    EXPECT_EQ(query.hwndTrack, child_);
    EXPECT_EQ(query.dwFlags, TME_HOVER | TME_LEAVE);
    EXPECT_TRUE(msgrec::PumpUntil([&] { return !Got(child_, WM_MOUSEHOVER).empty(); }));
    EXPECT_EQ(Got(child_, WM_MOUSEHOVER)[0].lParam, MAKELPARAM(10, 10));
    EXPECT_TRUE(Got(child_, WM_MOUSELEAVE).empty());
    inject::MoveTo(110, 130);
    msgrec::Pump();
    EXPECT_EQ(Got(child_, WM_MOUSELEAVE).size(), 1u);
    // Asking for a leave report while elsewhere reports it at once.
    TrackMouseEvent(&tme);
    msgrec::Pump();
    EXPECT_EQ(Got(child_, WM_MOUSELEAVE).size(), 2u);
    EXPECT_EQ(Got(child_, WM_MOUSEHOVER).size(), 1u);  // leaving ended the hover request too
}

TEST_F(InputTest, WindowRegionDecidesWhatTheWindowCovers) {
    HWND back = Make(L"RecInput", WS_POPUP | WS_VISIBLE, 50, 50, 600, 500, nullptr);
    SetWindowPos(top_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_EQ(SetWindowRgn(top_, CreateRoundRectRgn(0, 0, 401, 301, 80, 80), TRUE), 1);
    msgrec::Pump();
    msgrec::Log::Get().Clear();
    inject::MoveTo(101, 101);  // a corner cut away by the region: the window behind gets it
    inject::MoveTo(300, 250);
    msgrec::Pump();
    auto moves = msgrec::Log::Get().Of(nullptr, {WM_MOUSEMOVE, WM_NCMOUSEMOVE});
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].hwnd, back);
    EXPECT_EQ(moves[1].hwnd, top_);
    EXPECT_EQ(SendMessageW(top_, WM_NCHITTEST, 0, MAKELPARAM(101, 101)), HTNOWHERE);
    EXPECT_EQ(WindowFromPoint(POINT{101, 101}), back);
}

TEST_F(InputTest, DraggingTheCaptionMovesTheWindow) {
    inject::MoveTo(200, 110);
    inject::Buttons(MOUSEEVENTF_LEFTDOWN);
    inject::MoveTo(230, 150);
    inject::MoveTo(250, 170);
    inject::Buttons(MOUSEEVENTF_LEFTUP);
    msgrec::Pump();
    RECT r;
    GetWindowRect(top_, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 160);
    EXPECT_EQ(msgrec::Log::Get().Names(top_, {WM_ENTERSIZEMOVE, WM_MOVING, WM_EXITSIZEMOVE}),
              (Names{"WM_ENTERSIZEMOVE", "WM_MOVING", "WM_MOVING", "WM_EXITSIZEMOVE"}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Got(top_, WM_MOUSEMOVE).empty());  // the system kept the moves
}

TEST_F(InputTest, KeysReachTheFocusWithTheirFlags) {
    SetFocus(child_);
    msgrec::Log::Get().Clear();
    inject::Key('A', false);
    inject::Key('A', false);  // held: a repeat
    inject::Key('A', true);
    inject::Press(VK_LEFT);
    msgrec::Pump();
    auto downs = Got(child_, WM_KEYDOWN);
    auto ups = Got(child_, WM_KEYUP);
    ASSERT_EQ(downs.size(), 3u);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(static_cast<DWORD>(downs[0].lParam), 0x001E0001u);
    EXPECT_EQ(static_cast<DWORD>(downs[1].lParam), 0x401E0001u);  // previous state: down
    EXPECT_EQ(static_cast<DWORD>(ups[0].lParam), 0xC01E0001u);
    EXPECT_EQ(downs[2].wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_TRUE(downs[2].lParam & (1 << 24));  // the separate arrow block is extended
    // Alt turns keys into system keys; Alt+F4 closes the top-level window.
    msgrec::SetHandler(top_, [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_CLOSE) return 0;  // keep the window
        return std::nullopt;
    });
    inject::Key(VK_MENU, false);
    inject::Press(VK_F4);
    inject::Key(VK_MENU, true);
    msgrec::Pump();
    EXPECT_EQ(Got(child_, WM_SYSKEYDOWN).size(), 2u);
    auto cmds = Got(top_, WM_SYSCOMMAND);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].wParam, SC_CLOSE);
    EXPECT_EQ(Got(top_, WM_CLOSE).size(), 1u);
}

TEST_F(InputTest, TranslateMessageMakesCharactersFromKeys) {
    SetFocus(child_);
    struct Case {
        std::vector<WORD> held;
        WORD vk;
        wchar_t ch;
    };
    const Case cases[] = {
        {{}, 'A', L'a'},          {{VK_SHIFT}, 'A', L'A'},      {{}, '1', L'1'},
        {{VK_SHIFT}, '1', L'!'},  {{}, VK_RETURN, L'\r'},       {{VK_CONTROL}, 'C', 3},
        {{}, VK_OEM_MINUS, L'-'}, {{VK_SHIFT}, VK_OEM_2, L'?'}, {{}, VK_SPACE, L' '},
    };
    for (const auto& c : cases) {
        msgrec::Log::Get().Clear();
        for (WORD k : c.held) inject::Key(k, false);
        inject::Press(c.vk);
        for (WORD k : c.held) inject::Key(k, true);
        msgrec::Pump();
        auto chars = Got(child_, WM_CHAR);
        ASSERT_EQ(chars.size(), 1u) << c.vk;
        EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(c.ch)) << c.vk;
    }
    msgrec::Log::Get().Clear();
    inject::Press(VK_LEFT);   // no character
    inject::Type(L"\u4E2D");  // a packet carries any character
    msgrec::Pump();
    auto chars = Got(child_, WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(L'\u4E2D'));
}

TEST_F(InputTest, KeyStateFollowsRetrievalAsyncStateFollowsInput) {
    SetFocus(child_);
    bool downWhenHandled = false;
    msgrec::SetHandler(child_, [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_KEYDOWN) downWhenHandled = GetKeyState(VK_SHIFT) < 0;
        return std::nullopt;
    });
    inject::Key(VK_LSHIFT, false);
    EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetAsyncKeyState(VK_LSHIFT), 0);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);  // not retrieved yet
    msgrec::Pump();
    EXPECT_TRUE(downWhenHandled);
    EXPECT_EQ(Got(child_, WM_KEYDOWN)[0].wParam, static_cast<WPARAM>(VK_SHIFT));
    inject::Key(VK_LSHIFT, true);
    msgrec::Pump();
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);
    // The caps-lock toggle shows in the low bit.
    SHORT before = GetKeyState(VK_CAPITAL) & 1;
    inject::Press(VK_CAPITAL);
    msgrec::Pump();
    EXPECT_NE(GetKeyState(VK_CAPITAL) & 1, before);
    inject::Press(VK_CAPITAL);
    msgrec::Pump();
}

TEST_F(InputTest, CursorPositionAndBadInput) {
    EXPECT_TRUE(SetCursorPos(40, 50));
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 50);
    SetCursorPos(-100, 99999);  // kept on the screen
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 1079);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in.mi.dx = 32768;
    in.mi.dy = 32768;
    EXPECT_EQ(SendInput(1, &in, sizeof(in)), 1u);
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 960);
    EXPECT_EQ(p.y, 540);
    EXPECT_EQ(SendInput(1, &in, 4), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
