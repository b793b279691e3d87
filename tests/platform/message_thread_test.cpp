// Messages between threads: blocking sends, nested sends back to the sender, thread queues.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win_kernel.h"
#include "platform/win_user.h"
#include "support/message_recorder.h"

namespace {

HWND MakeWindow(const wchar_t* cls = L"RecThread") {
    msgrec::RegisterClass(cls);
    return CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

TEST(MessageThreads, SendWaitsForTheOwnerToRetrieveAndRunsOnTheOwnerThread) {
    HWND h = MakeWindow();
    DWORD mainThread = GetCurrentThreadId();
    std::atomic<DWORD> handledOn{0};
    msgrec::SetHandler(h, [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_USER) return std::nullopt;
        handledOn = GetCurrentThreadId();
        return static_cast<LRESULT>(w * 2);
    });
    std::atomic<bool> returned{false};
    std::atomic<LRESULT> result{0};
    std::thread worker([&] {
        result = SendMessageW(h, WM_USER, 21, 0);
        returned = true;
    });
    Sleep(30);  // the owner is not retrieving: the sender must still be waiting
    EXPECT_FALSE(returned.load());
    EXPECT_TRUE(msgrec::PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(handledOn.load(), mainThread);
    DestroyWindow(h);
}

TEST(MessageThreads, ABlockedSenderHandlesWhatIsSentToIt) {
    HWND mainWnd = MakeWindow();
    std::atomic<HWND> workerWnd{nullptr};
    std::atomic<bool> done{false};
    std::vector<std::pair<UINT, DWORD>> order;  // touched only on the thread that handles
    std::mutex orderLock;
    auto note = [&](UINT m) {
        std::lock_guard<std::mutex> l(orderLock);
        order.emplace_back(m, GetCurrentThreadId());
    };
    msgrec::SetHandler(mainWnd, [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_USER) return std::nullopt;
        note(m);
        // Back to the worker, which is blocked in its own send to us.
        return SendMessageW(workerWnd.load(), WM_USER + 1, 0, 0) + 1;
    });
    DWORD workerThread = 0;
    LRESULT result = 0;
    std::thread worker([&] {
        workerThread = GetCurrentThreadId();
        HWND w = MakeWindow();
        msgrec::SetHandler(w, [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (m != WM_USER + 1) return std::nullopt;
            note(m);
            return 10;
        });
        workerWnd = w;
        result = SendMessageW(mainWnd, WM_USER, 0, 0);
        DestroyWindow(w);
        done = true;
    });
    EXPECT_TRUE(msgrec::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result, 11);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0].first, static_cast<UINT>(WM_USER));
    EXPECT_EQ(order[0].second, GetCurrentThreadId());
    EXPECT_EQ(order[1].first, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(order[1].second, workerThread);
    DestroyWindow(mainWnd);
}

TEST(MessageThreads, SentMessagesAreHandledBeforePostedOnes) {
    HWND mainWnd = MakeWindow();
    std::atomic<HWND> workerWnd{nullptr};
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        HWND w = MakeWindow();
        msgrec::SetHandler(w, [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (m != WM_USER) return std::nullopt;
            // The main thread waits in its send to us: queue a post, then a send, for it.
            PostMessageW(mainWnd, WM_USER + 2, 0, 0);
            SendMessageW(mainWnd, WM_USER + 3, 0, 0);
            return 0;
        });
        workerWnd = w;
        msgrec::PumpUntil([&] { return stop.load(); }, 10000);
        DestroyWindow(w);
    });
    while (!workerWnd.load()) Sleep(1);
    msgrec::Log::Get().Clear();
    SendMessageW(workerWnd.load(), WM_USER, 0, 0);
    msgrec::Pump();
    stop = true;
    worker.join();
    EXPECT_EQ(msgrec::Log::Get().Names(mainWnd, {WM_USER + 2, WM_USER + 3}),
              (std::vector<std::string>{"WM_USER+", "WM_USER+"}));
    auto recs = msgrec::Log::Get().Of(mainWnd, {WM_USER + 2, WM_USER + 3});
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].msg, static_cast<UINT>(WM_USER + 3));
    EXPECT_EQ(recs[1].msg, static_cast<UINT>(WM_USER + 2));
    DestroyWindow(mainWnd);
}

TEST(MessageThreads, SendsToAGoneThreadOrDeadWindowReturnAtOnce) {
    std::atomic<HWND> w{nullptr};
    std::atomic<bool> senderQueued{false};
    std::thread owner([&] {
        w = MakeWindow();
        while (!senderQueued.load()) Sleep(1);
        Sleep(20);  // let the send arrive; this thread never retrieves it
    });
    while (!w.load()) Sleep(1);
    std::thread sender([&] {
        senderQueued = true;
        EXPECT_EQ(SendMessageW(w.load(), WM_USER, 0, 0), 0);
    });
    owner.join();
    sender.join();
    EXPECT_FALSE(IsWindow(w.load()));  // a thread's windows go with it
    EXPECT_EQ(SendMessageW(w.load(), WM_USER, 0, 0), 0);
}

TEST(MessageThreads, SendTimeoutGivesUpOnAThreadThatDoesNotRetrieve) {
    std::atomic<HWND> w{nullptr};
    std::atomic<bool> release{false};
    std::thread owner([&] {
        w = MakeWindow();
        while (!release.load()) Sleep(1);
        msgrec::Pump();  // the late message is still delivered, its answer dropped
    });
    while (!w.load()) Sleep(1);
    DWORD_PTR result = 99;
    EXPECT_EQ(SendMessageTimeoutW(w.load(), WM_USER, 0, 0, SMTO_NORMAL, 30, &result), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_EQ(result, 0u);
    release = true;
    owner.join();
}

TEST(MessageThreads, ThreadMessagesAndQuitReachAThreadLoop) {
    std::atomic<DWORD> tid{0};
    std::vector<UINT> got;
    int exitCode = -1;
    std::thread loop([&] {
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
        tid = GetCurrentThreadId();
        while (GetMessageW(&m, nullptr, 0, 0)) {
            EXPECT_EQ(m.hwnd, nullptr);
            got.push_back(m.message);
            if (m.message == WM_APP) PostQuitMessage(static_cast<int>(m.wParam));
        }
        exitCode = static_cast<int>(m.wParam);
    });
    while (!tid.load()) Sleep(1);
    EXPECT_TRUE(PostThreadMessageW(tid.load(), WM_USER, 0, 0));
    EXPECT_TRUE(PostThreadMessageW(tid.load(), WM_APP, 5, 0));
    loop.join();
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER, WM_APP}));
    EXPECT_EQ(exitCode, 5);
    EXPECT_FALSE(PostThreadMessageW(tid.load(), WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST(MessageThreads, PlacementFromAnotherThreadRunsOnTheOwner) {
    HWND h = MakeWindow();
    std::atomic<DWORD> changingOn{0};
    msgrec::SetHandler(h, [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_WINDOWPOSCHANGING) changingOn = GetCurrentThreadId();
        return std::nullopt;
    });
    std::atomic<bool> done{false};
    std::thread worker([&] {
        EXPECT_TRUE(MoveWindow(h, 5, 6, 70, 80, TRUE));
        EXPECT_TRUE(ShowWindow(h, SW_SHOWNA) == FALSE);
        EXPECT_TRUE(SetTimer(h, 1, 10, nullptr) == 0);  // timers only on the owner thread
        done = true;
    });
    EXPECT_TRUE(msgrec::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(changingOn.load(), GetCurrentThreadId());
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.bottom, 86);
    EXPECT_TRUE(IsWindowVisible(h));
    DestroyWindow(h);
}

TEST(MessageThreads, ManySendersOneReceiver) {
    HWND h = MakeWindow();
    std::atomic<int> handled{0};
    msgrec::SetHandler(h, [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_USER) return std::nullopt;
        ++handled;
        return static_cast<LRESULT>(w + 1);
    });
    constexpr int kThreads = 4, kSends = 200;
    std::atomic<int> finished{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < kSends; ++i) {
                WPARAM v = static_cast<WPARAM>(t * 1000 + i);
                if (SendMessageW(h, WM_USER, v, 0) != static_cast<LRESULT>(v + 1)) ++wrong;
                if (i % 50 == 0) PostMessageW(h, WM_USER + 1, 0, 0);
            }
            ++finished;
        });
    }
    EXPECT_TRUE(msgrec::PumpUntil([&] { return finished.load() == kThreads; }, 20000));
    for (auto& s : senders) s.join();
    EXPECT_EQ(handled.load(), kThreads * kSends);
    EXPECT_EQ(wrong.load(), 0);
    DestroyWindow(h);
    msgrec::Log::Get().Clear();
}

}  // namespace
