// The tooltip control as a paint manager drives it: add a tool, size it, track it, stop.
#include <gtest/gtest.h>

#include <string>

#include "platform/display/capture.h"
#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "support/input_inject.h"
#include "support/message_recorder.h"

namespace {

class TooltipTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msgrec::RegisterClass(L"RecTipOwner");
        owner_ = CreateWindowExW(0, L"RecTipOwner", L"", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        tip_ = CreateWindowExW(0, L"tooltips_class32", nullptr, 0x80000003, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(tip_, nullptr);
        tool_ = TOOLINFOW{};
        tool_.cbSize = 48;  // as a 32-bit caller sets it
        tool_.uFlags = TTF_IDISHWND;
        tool_.hwnd = owner_;
        tool_.uId = reinterpret_cast<UINT_PTR>(owner_);
        tool_.lpszText = const_cast<LPWSTR>(L"First tip");
        tool_.rect = RECT{10, 10, 60, 40};
        msgrec::Pump();
    }
    void TearDown() override {
        DestroyWindow(tip_);
        DestroyWindow(owner_);
        msgrec::Pump();
    }
    std::wstring TipText() {
        wchar_t buf[64];
        GetWindowTextW(tip_, buf, 64);
        return buf;
    }
    HWND owner_ = nullptr, tip_ = nullptr;
    TOOLINFOW tool_{};
};

TEST_F(TooltipTest, ToolsAreKeptAndTrackingShowsTheText) {
    EXPECT_EQ(GetWindow(tip_, GW_OWNER), owner_);
    EXPECT_TRUE(GetWindowLongPtrW(tip_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_)));
    EXPECT_EQ(SendMessageW(tip_, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(tip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    EXPECT_EQ(SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 200), -1);
    EXPECT_EQ(SendMessageW(tip_, TTM_GETMAXTIPWIDTH, 0, 0), 200);
    EXPECT_FALSE(IsWindowVisible(tip_));

    tool_.lpszText = const_cast<LPWSTR>(L"Second tip");
    SendMessageW(tip_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool_));
    inject::MoveTo(150, 150);
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_));
    EXPECT_TRUE(IsWindowVisible(tip_));
    EXPECT_EQ(TipText(), L"Second tip");
    EXPECT_EQ(GetActiveWindow(), owner_);  // a tip never takes activation
    RECT r;
    GetWindowRect(tip_, &r);
    EXPECT_GE(r.top, 150);  // below the pointer
    EXPECT_GT(r.right - r.left, 20);
    EXPECT_LE(r.right - r.left, 200 + 8);
    msgrec::Pump();
    display::Capture cap;
    ASSERT_TRUE(display::CaptureWindow(tip_, &cap, true));
    EXPECT_EQ(cap.ColorAt(r.right - r.left - 3, 2), GetSysColor(COLOR_INFOBK));
    // The mouse passes through a tip to the window below.
    EXPECT_EQ(SendMessageW(tip_, WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2)),
              HTTRANSPARENT);

    wchar_t text[80] = {};
    TOOLINFOW query = tool_;
    query.lpszText = text;
    EXPECT_EQ(SendMessageW(tip_, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&query)), 10);
    EXPECT_STREQ(text, L"Second tip");

    SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool_));
    EXPECT_FALSE(IsWindowVisible(tip_));
    SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
    EXPECT_EQ(SendMessageW(tip_, TTM_GETTOOLCOUNT, 0, 0), 0);
    // Tracking a tool that is not there does nothing.
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_));
    EXPECT_FALSE(IsWindowVisible(tip_));
}

TEST_F(TooltipTest, DelaysAndTrackPosition) {
    SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 1000);
    EXPECT_EQ(SendMessageW(tip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 1000);
    EXPECT_EQ(SendMessageW(tip_, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 10000);
    EXPECT_EQ(SendMessageW(tip_, TTM_GETDELAYTIME, TTDT_RESHOW, 0), 200);
    SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_INITIAL, -1);  // back to the default
    EXPECT_EQ(SendMessageW(tip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);

    tool_.uFlags |= TTF_TRACK | TTF_ABSOLUTE;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
    SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(700, 500));
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_));
    RECT r;
    GetWindowRect(tip_, &r);
    EXPECT_EQ(r.left, 700);
    EXPECT_EQ(r.top, 500);
    SendMessageW(tip_, TTM_ACTIVATE, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(tip_));
}

}  // namespace
