// Keyboard focus, activation of top-level windows and mouse capture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_user.h"
#include "support/message_recorder.h"

namespace {

using Seq = std::vector<std::pair<HWND, std::string>>;

class FocusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msgrec::RegisterClass(L"RecFocus");
        a_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
        b_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
        childA_ = Make(WS_CHILD | WS_VISIBLE, a_);
        msgrec::Pump();
        msgrec::Log::Get().Clear();
    }
    void TearDown() override {
        msgrec::ClearHandlers();
        for (HWND h : made_) {
            if (IsWindow(h)) DestroyWindow(h);
        }
        msgrec::Pump();
    }
    HWND Make(DWORD style, HWND parent) {
        HWND h = CreateWindowExW(0, L"RecFocus", L"", style, 10, 10, 200, 150, parent, nullptr,
                                 nullptr, nullptr);
        made_.push_back(h);
        return h;
    }
    static Seq Focusing() {
        return msgrec::Log::Get().Sequence(
            {WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_CAPTURECHANGED});
    }
    HWND a_ = nullptr, b_ = nullptr, childA_ = nullptr;
    std::vector<HWND> made_;
};

TEST_F(FocusTest, ShowingAWindowActivatesAndFocusesIt) {
    EXPECT_EQ(GetActiveWindow(), b_);
    EXPECT_EQ(GetFocus(), b_);
    EXPECT_EQ(GetForegroundWindow(), b_);
}

TEST_F(FocusTest, ActivationMovesBetweenTopLevelWindowsInOrder) {
    std::vector<WPARAM> activateArgs;
    std::vector<LPARAM> activateOthers;
    for (HWND h : {a_, b_}) {
        msgrec::SetHandler(h, [&](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
            if (m == WM_ACTIVATE) {
                activateArgs.push_back(w);
                activateOthers.push_back(l);
            }
            return std::nullopt;
        });
    }
    EXPECT_EQ(SetActiveWindow(a_), b_);
    EXPECT_EQ(Focusing(), (Seq{{b_, "WM_NCACTIVATE"},
                               {b_, "WM_ACTIVATE"},
                               {a_, "WM_NCACTIVATE"},
                               {a_, "WM_ACTIVATE"},
                               {b_, "WM_KILLFOCUS"},
                               {a_, "WM_SETFOCUS"}}));
    EXPECT_EQ(activateArgs, (std::vector<WPARAM>{WA_INACTIVE, WA_ACTIVE}));
    EXPECT_EQ(activateOthers,
              (std::vector<LPARAM>{reinterpret_cast<LPARAM>(a_), reinterpret_cast<LPARAM>(b_)}));
    EXPECT_EQ(GetFocus(), a_);
}

TEST_F(FocusTest, FocusingAChildActivatesItsTopLevelWindowFirst) {
    EXPECT_EQ(SetFocus(childA_), b_);
    EXPECT_EQ(GetActiveWindow(), a_);
    EXPECT_EQ(GetFocus(), childA_);
    auto seq = Focusing();
    ASSERT_FALSE(seq.empty());
    EXPECT_EQ(seq.back(), (std::pair<HWND, std::string>{childA_, "WM_SETFOCUS"}));
    // The focus leaves a window exactly once before reaching another one.
    msgrec::Log::Get().Clear();
    std::vector<WPARAM> killArgs, setArgs;
    msgrec::SetHandler(childA_, [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_KILLFOCUS) killArgs.push_back(w);
        return std::nullopt;
    });
    msgrec::SetHandler(a_, [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_SETFOCUS) setArgs.push_back(w);
        return std::nullopt;
    });
    EXPECT_EQ(SetFocus(a_), childA_);
    EXPECT_EQ(killArgs, (std::vector<WPARAM>{reinterpret_cast<WPARAM>(a_)}));
    EXPECT_EQ(setArgs, (std::vector<WPARAM>{reinterpret_cast<WPARAM>(childA_)}));
    EXPECT_EQ(SetFocus(a_), a_);  // no change, no messages
    EXPECT_EQ(Focusing().size(), 2u);
}

TEST_F(FocusTest, LosingTheFocusWindowMovesTheFocusOn) {
    SetFocus(childA_);
    EnableWindow(childA_, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EnableWindow(childA_, TRUE);
    SetFocus(childA_);
    DestroyWindow(childA_);
    EXPECT_EQ(GetFocus(), a_);  // a destroyed child hands the focus to its parent
    EXPECT_EQ(GetActiveWindow(), a_);
    ShowWindow(a_, SW_HIDE);  // hiding the active window activates the next one
    EXPECT_EQ(GetActiveWindow(), b_);
    EXPECT_EQ(GetFocus(), b_);
    DestroyWindow(b_);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(FocusTest, CaptureChangesAreReportedToTheWindowThatLosesIt) {
    EXPECT_EQ(SetCapture(a_), nullptr);
    EXPECT_EQ(GetCapture(), a_);
    EXPECT_EQ(SetCapture(b_), a_);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    auto recs = msgrec::Log::Get().Of(nullptr, {WM_CAPTURECHANGED});
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].hwnd, a_);
    EXPECT_EQ(recs[0].lParam, reinterpret_cast<LPARAM>(b_));
    EXPECT_EQ(recs[1].hwnd, b_);
    EXPECT_EQ(recs[1].lParam, 0);
    SetCapture(childA_);
    DestroyWindow(childA_);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
