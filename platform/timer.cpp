// Timers: WM_TIMER is made up when the queue is otherwise empty, at most one per timer.
#include <algorithm>
#include <atomic>
#include <chrono>

#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace user {

uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool NextTimerMessage(ThreadQueue& q, HWND filter, UINT, UINT, bool remove, MSG* out,
                      uint64_t* nextDue) {
    uint64_t now = NowMs();
    std::lock_guard<std::mutex> l(q.mutex);
    TimerEntry* best = nullptr;
    for (auto& t : q.timers) {
        if (filter == reinterpret_cast<HWND>(-1)) {
            if (t.hwnd) continue;
        } else if (filter && t.hwnd != filter) {
            continue;
        }
        if (t.due <= now) {
            if (!best || t.due < best->due) best = &t;
        } else {
            *nextDue = std::min(*nextDue, t.due);
        }
    }
    if (!best) return false;
    *out = MSG{};
    out->hwnd = best->hwnd;
    out->message = WM_TIMER;
    out->wParam = best->id;
    out->lParam = reinterpret_cast<LPARAM>(best->proc);
    out->time = GetTickCount();
    // Ticks missed while the thread was busy collapse into this one.
    if (remove) best->due = now + std::max<UINT>(best->period, 1);
    return true;
}

void KillTimersOf(ThreadQueue& q, HWND hwnd) {
    std::lock_guard<std::mutex> l(q.mutex);
    q.timers.erase(std::remove_if(q.timers.begin(), q.timers.end(),
                                  [&](const TimerEntry& t) { return t.hwnd == hwnd; }),
                   q.timers.end());
}

}  // namespace user

using namespace user;

// Periods below 10 ms are raised to 10 ms, as on Windows.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    ThreadQueue& q = CurrentQueue();
    if (hwnd) {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->queue.get() != &q) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    UINT period = std::max<UINT>(elapseMs, 10);
    std::lock_guard<std::mutex> l(q.mutex);
    if (!hwnd) {
        // Thread timers get an id of their own.
        static std::atomic<UINT_PTR> next{0x7F00};
        bool replace = id && std::any_of(q.timers.begin(), q.timers.end(),
                                         [&](auto& t) { return !t.hwnd && t.id == id; });
        if (!replace) id = ++next;
    }
    for (auto& t : q.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.period = period;
            t.proc = proc;
            t.due = NowMs() + period;
            q.signal++;
            q.wake.notify_one();
            return hwnd ? 1 : id;
        }
    }
    TimerEntry t;
    t.hwnd = hwnd;
    t.id = id;
    t.period = period;
    t.proc = proc;
    t.due = NowMs() + period;
    q.timers.push_back(t);
    q.signal++;
    q.wake.notify_one();
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    ThreadQueue& q = CurrentQueue();
    std::lock_guard<std::mutex> l(q.mutex);
    auto it = std::find_if(q.timers.begin(), q.timers.end(),
                           [&](const TimerEntry& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == q.timers.end()) return FALSE;
    q.timers.erase(it);
    return TRUE;
}
