// A message sent to a window of another thread and answered (SendMessageW across threads),
// against the plainest peer: two threads handing a turn back and forth with a mutex and a
// condition variable, in the same run. The goal is to stay within twice the peer's time.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/win_kernel.h"
#include "platform/win_user.h"

namespace {

void BM_CondVarPingPong(benchmark::State& state) {
    std::mutex m;
    std::condition_variable cv;
    long request = 0, reply = 0;
    bool stop = false;
    std::thread peer([&] {
        std::unique_lock<std::mutex> l(m);
        for (;;) {
            cv.wait(l, [&] { return request != reply || stop; });
            if (stop) return;
            reply = request;
            cv.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock<std::mutex> l(m);
        ++request;
        cv.notify_all();
        cv.wait(l, [&] { return reply == request; });
    }
    {
        std::lock_guard<std::mutex> l(m);
        stop = true;
    }
    cv.notify_all();
    peer.join();
}
BENCHMARK(BM_CondVarPingPong)->UseRealTime();

LRESULT EchoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER) return static_cast<LRESULT>(wParam + 1);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void BM_SendMessageAcrossThreads(benchmark::State& state) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = EchoProc;
    wc.lpszClassName = L"BenchEcho";
    RegisterClassW(&wc);
    std::mutex m;
    std::condition_variable cv;
    HWND target = nullptr;
    DWORD ownerThread = 0;
    std::thread owner([&] {
        HWND h = CreateWindowExW(0, L"BenchEcho", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
        {
            std::lock_guard<std::mutex> l(m);
            target = h;
            ownerThread = GetCurrentThreadId();
        }
        cv.notify_all();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
        DestroyWindow(h);
    });
    {
        std::unique_lock<std::mutex> l(m);
        cv.wait(l, [&] { return target != nullptr; });
    }
    WPARAM i = 0;
    for (auto _ : state) {
        LRESULT r = SendMessageW(target, WM_USER, i, 0);
        if (r != static_cast<LRESULT>(i + 1)) state.SkipWithError("wrong answer");
        ++i;
    }
    PostThreadMessageW(ownerThread, WM_QUIT, 0, 0);
    owner.join();
}
BENCHMARK(BM_SendMessageAcrossThreads)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
