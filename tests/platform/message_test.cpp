// One thread's queue: retrieval order, filters, quit, paint and timer synthesis.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_kernel.h"
#include "platform/win_user.h"
#include "support/message_recorder.h"

namespace {

using Names = std::vector<std::string>;

class MessageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msgrec::RegisterClass(L"RecQueue");
        hwnd_ = CreateWindowExW(0, L"RecQueue", L"", WS_POPUP | WS_VISIBLE, 100, 100, 50, 50,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
        msgrec::Pump();
        msgrec::Log::Get().Clear();
    }
    void TearDown() override {
        msgrec::ClearHandlers();
        DestroyWindow(hwnd_);
        msgrec::Pump();
    }
    HWND hwnd_ = nullptr;
};

TEST_F(MessageTest, RetrievalOrderIsPostedInputQuitPaintTimer) {
    SetTimer(hwnd_, 5, 10, nullptr);
    Sleep(25);
    InvalidateRect(hwnd_, nullptr, FALSE);
    SetFocus(hwnd_);
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = 'A';
    SendInput(1, &key, sizeof(key));
    PostMessageW(hwnd_, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageW(hwnd_, WM_USER + 2, 0, 0);

    Names got;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        got.push_back(msgrec::Name(m.message));
        if (m.message == WM_QUIT) {
            EXPECT_EQ(m.wParam, 3u);
        }
        if (m.message == WM_PAINT) DispatchMessageW(&m);  // validates
        if (m.message == WM_TIMER) {
            EXPECT_EQ(m.wParam, 5u);
            EXPECT_EQ(m.hwnd, hwnd_);
            break;
        }
    }
    EXPECT_EQ(got,
              (Names{"WM_USER+", "WM_USER+", "WM_KEYDOWN", "WM_QUIT", "WM_PAINT", "WM_TIMER"}));
    KillTimer(hwnd_, 5);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &key, sizeof(key));
    msgrec::Pump();
}

TEST_F(MessageTest, PaintAndTimerAreMadeUpOncePerWindowAndTimer) {
    InvalidateRect(hwnd_, nullptr, FALSE);
    RECT r{1, 1, 5, 5};
    InvalidateRect(hwnd_, &r, FALSE);
    SetTimer(hwnd_, 9, 10, nullptr);
    Sleep(60);  // several periods go by unserviced
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Count(hwnd_, WM_PAINT), 1u);
    EXPECT_EQ(msgrec::Log::Get().Count(hwnd_, WM_TIMER), 1u);
    // The next tick comes a period later, not at once.
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Count(hwnd_, WM_TIMER), 1u);
    EXPECT_TRUE(msgrec::PumpUntil([&] { return msgrec::Log::Get().Count(hwnd_, WM_TIMER) >= 2; }));
    EXPECT_TRUE(KillTimer(hwnd_, 9));
    EXPECT_FALSE(KillTimer(hwnd_, 9));
    Sleep(25);
    msgrec::Log::Get().Clear();
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Count(hwnd_, WM_TIMER), 0u);
}

TEST_F(MessageTest, TimerProcAndThreadTimers) {
    static int calls = 0;
    static UINT_PTR seenId = 0;
    calls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR i, DWORD) {
        ++calls;
        seenId = i;
    });
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(msgrec::PumpUntil([] { return calls > 0; }));
    EXPECT_EQ(seenId, id);
    EXPECT_TRUE(KillTimer(nullptr, id));
    // A window of another thread, or no window at all, cannot carry a timer.
    EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(0x12345678), 1, 10, nullptr), 0u);
}

TEST_F(MessageTest, FiltersLeaveOtherMessagesQueued) {
    HWND other = CreateWindowExW(0, L"RecQueue", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND child = CreateWindowExW(0, L"RecQueue", L"", WS_CHILD, 0, 0, 1, 1, hwnd_, nullptr, nullptr,
                                 nullptr);
    PostMessageW(other, WM_USER + 1, 0, 0);
    PostMessageW(child, WM_USER + 2, 0, 0);
    PostMessageW(nullptr, WM_USER + 3, 0, 0);  // a thread message
    PostMessageW(hwnd_, WM_APP, 0, 0);
    MSG m;
    // A window filter takes the window's children too.
    ASSERT_TRUE(PeekMessageW(&m, hwnd_, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 2);
    ASSERT_TRUE(PeekMessageW(&m, hwnd_, WM_APP, WM_APP, PM_REMOVE));
    EXPECT_EQ(m.hwnd, hwnd_);
    ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 3);
    EXPECT_EQ(m.hwnd, nullptr);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 1);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 2);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER, WM_APP, PM_REMOVE));
    // Messages posted to a window die with it.
    PostMessageW(other, WM_USER + 4, 0, 0);
    DestroyWindow(other);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER, WM_APP, PM_REMOVE));
    EXPECT_EQ(GetMessageW(&m, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
}

TEST_F(MessageTest, QuitEndsGetMessageWithItsCode) {
    PostMessageW(hwnd_, WM_USER, 0, 0);
    PostQuitMessage(7);
    MSG m;
    EXPECT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, SendToOwnThreadCallsTheProcedureDirectly) {
    msgrec::SetHandler(hwnd_, [](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
        if (m == WM_USER) return static_cast<LRESULT>(w + static_cast<WPARAM>(l));
        return std::nullopt;
    });
    EXPECT_EQ(SendMessageW(hwnd_, WM_USER, 40, 2), 42);
    EXPECT_FALSE(InSendMessage());
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(hwnd_, WM_USER, 1, 1, SMTO_NORMAL, 100, &result));
    EXPECT_EQ(result, 2u);
}

}  // namespace
