// Thread queues and messages: send (also across threads), post, retrieve, dispatch.
#include <algorithm>
#include <chrono>
#include <map>

#include "platform/user_internal.h"
#include "platform/win_kernel.h"

namespace user {

void DropWindowsOfThread(DWORD thread);
POINT CursorPosLocked();

namespace {

std::map<DWORD, std::weak_ptr<ThreadQueue>>& Registry() {
    static auto* r = new std::map<DWORD, std::weak_ptr<ThreadQueue>>;
    return *r;
}

void Reply(const std::shared_ptr<SentMessage>& sm, LRESULT r) {
    if (!sm->sender) return;
    {
        std::lock_guard<std::mutex> l(sm->sender->mutex);
        sm->result = r;
        sm->done = true;
        sm->sender->signal++;
    }
    sm->sender->wake.notify_one();
}

// Ends a thread's part in the window system: its windows go, and every thread still waiting
// on a message sent to it gets its answer (0).
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (!queue) return;
        DropWindowsOfThread(queue->threadId);
        std::deque<std::shared_ptr<SentMessage>> pending;
        {
            std::lock_guard<std::mutex> l(queue->mutex);
            queue->alive = false;
            pending.swap(queue->sent);
            queue->posted.clear();
            queue->timers.clear();
        }
        for (auto& sm : pending) Reply(sm, 0);
        TreeGuard g(TreeLock());
        auto it = Registry().find(queue->threadId);
        if (it != Registry().end() && it->second.lock() == queue) Registry().erase(it);
    }
};

thread_local QueueHolder t_holder;

struct Filter {
    bool any = true;
    bool threadOnly = false;    // hwnd == -1: only messages without a window
    std::vector<HWND> windows;  // the window and its descendants
    UINT min = 0;
    UINT max = 0;
};

void CollectTree(Window* w, std::vector<HWND>* out) {
    out->push_back(w->hwnd);
    for (Window* c : w->children) CollectTree(c, out);
}

bool MakeFilter(HWND hwnd, UINT min, UINT max, Filter* f) {
    f->min = min;
    f->max = max;
    if (!hwnd) return true;
    if (hwnd == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
        f->any = false;
        f->threadOnly = true;
        return true;
    }
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) return false;
    f->any = false;
    CollectTree(w, &f->windows);
    return true;
}

bool InRange(UINT msg, UINT min, UINT max) {
    if (min == 0 && max == 0) return true;
    return msg >= min && msg <= max;
}

bool Matches(const MSG& m, const Filter& f) {
    if (!InRange(m.message, f.min, f.max)) return false;
    if (f.any) return true;
    if (f.threadOnly) return m.hwnd == nullptr;
    return std::find(f.windows.begin(), f.windows.end(), m.hwnd) != f.windows.end();
}

HWND FilterWindow(const Filter& f) {
    return f.windows.empty() ? nullptr : f.windows.front();
}

// One pass over every source, in priority order. nextDue: when a timer or hover falls due.
bool Retrieve(ThreadQueue& q, MSG* out, const Filter& f, bool remove, uint64_t* nextDue) {
    ProcessSentMessages(q);
    *nextDue = UINT64_MAX;
    CheckHover(q, nextDue);
    {
        std::lock_guard<std::mutex> l(q.mutex);
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (!Matches(*it, f)) continue;
            *out = *it;
            if (remove) q.posted.erase(it);
            return true;
        }
    }
    if (!f.threadOnly && NextInputMessage(q, FilterWindow(f), f.min, f.max, remove, out)) {
        return true;
    }
    {
        std::lock_guard<std::mutex> l(q.mutex);
        if (q.quit && InRange(WM_QUIT, f.min, f.max)) {
            *out = MSG{};
            out->message = WM_QUIT;
            out->wParam = static_cast<WPARAM>(q.quitCode);
            out->time = GetTickCount();
            if (remove) q.quit = false;
            return true;
        }
    }
    if (!f.threadOnly && InRange(WM_PAINT, f.min, f.max) &&
        NextPaintMessage(q, FilterWindow(f), out)) {
        return true;
    }
    if (InRange(WM_TIMER, f.min, f.max) &&
        NextTimerMessage(q, f.threadOnly ? reinterpret_cast<HWND>(-1) : FilterWindow(f), f.min,
                         f.max, remove, out, nextDue)) {
        return true;
    }
    return false;
}

void WaitForSignal(ThreadQueue& q, uint64_t seq, uint64_t due) {
    std::unique_lock<std::mutex> l(q.mutex);
    if (due == UINT64_MAX) {
        q.wake.wait(l, [&] { return q.signal != seq; });
        return;
    }
    uint64_t now = NowMs();
    if (due <= now) return;
    q.wake.wait_for(l, std::chrono::milliseconds(due - now), [&] { return q.signal != seq; });
}

uint64_t CurrentSignal(ThreadQueue& q) {
    std::lock_guard<std::mutex> l(q.mutex);
    return q.signal;
}

// Queues sm on the target thread and waits for the answer, handling messages sent to this
// thread meanwhile. timeoutMs < 0: no limit. False on time-out or when the target is gone.
bool SendAcross(const std::shared_ptr<ThreadQueue>& target, const std::shared_ptr<SentMessage>& sm,
                long timeoutMs) {
    auto me = CurrentQueuePtr();
    sm->sender = me;
    {
        std::lock_guard<std::mutex> l(target->mutex);
        if (!target->alive) return false;
        target->sent.push_back(sm);
        target->signal++;
    }
    target->wake.notify_one();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::unique_lock<std::mutex> l(me->mutex);
            auto ready = [&] { return sm->done || !me->sent.empty(); };
            if (timeoutMs < 0) {
                me->wake.wait(l, ready);
            } else if (!me->wake.wait_until(l, deadline, ready)) {
                sm->abandoned = true;
                return false;
            }
            if (sm->done) return true;
        }
        ProcessSentMessages(*me);
    }
}

}  // namespace

void ThreadQueue::Signal() {
    {
        std::lock_guard<std::mutex> l(mutex);
        signal++;
    }
    wake.notify_one();
}

std::shared_ptr<ThreadQueue> CurrentQueuePtr() {
    if (!t_holder.queue) {
        auto q = std::make_shared<ThreadQueue>();
        q->threadId = GetCurrentThreadId();
        TreeGuard g(TreeLock());
        Registry()[q->threadId] = q;
        t_holder.queue = q;
    }
    return t_holder.queue;
}

ThreadQueue& CurrentQueue() {
    if (!t_holder.queue) CurrentQueuePtr();
    return *t_holder.queue;
}

std::shared_ptr<ThreadQueue> QueueOfThreadLocked(DWORD threadId) {
    auto it = Registry().find(threadId);
    return it == Registry().end() ? nullptr : it->second.lock();
}

LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool ProcessSentMessages(ThreadQueue& q) {
    bool any = false;
    for (;;) {
        std::shared_ptr<SentMessage> sm;
        {
            std::lock_guard<std::mutex> l(q.mutex);
            if (q.sent.empty()) break;
            sm = q.sent.front();
            q.sent.pop_front();
        }
        any = true;
        LRESULT r = 0;
        q.sendDepth++;
        if (sm->task) {
            r = sm->task();
        } else {
            WNDPROC proc = nullptr;
            bool live = false;
            {
                TreeGuard g(TreeLock());
                if (Window* w = FindLocked(sm->hwnd)) {
                    live = true;
                    proc = w->proc;
                }
            }
            if (live) r = CallProc(proc, sm->hwnd, sm->msg, sm->wParam, sm->lParam);
        }
        q.sendDepth--;
        Reply(sm, r);
    }
    return any;
}

LRESULT RunOnOwner(HWND hwnd, std::function<LRESULT()> fn) {
    std::shared_ptr<ThreadQueue> target;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLocked(hwnd);
        if (!w) return 0;
        target = w->queue;
    }
    if (target.get() == &CurrentQueue()) return fn();
    auto sm = std::make_shared<SentMessage>();
    sm->task = std::move(fn);
    return SendAcross(target, sm, -1) ? sm->result : 0;
}

void PostToQueueLocked(ThreadQueue& q, const MSG& m) {
    {
        std::lock_guard<std::mutex> l(q.mutex);
        if (!q.alive) return;
        q.posted.push_back(m);
        q.signal++;
    }
    q.wake.notify_one();
}

void PurgePostedLocked(ThreadQueue& q, HWND hwnd) {
    q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(),
                                  [&](const MSG& m) { return m.hwnd == hwnd; }),
                   q.posted.end());
}

bool PostToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TreeGuard g(TreeLock());
    Window* w = FindLiveLocked(hwnd);
    if (!w) return false;
    MSG m{};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    m.pt = CursorPosLocked();
    auto q = w->queue;
    PostToQueueLocked(*q, m);
    return true;
}

bool MessageMatches(const MSG& m, HWND filter, UINT min, UINT max) {
    if (!InRange(m.message, min, max)) return false;
    if (!filter) return true;
    if (m.hwnd == filter) return true;
    TreeGuard g(TreeLock());
    Window* f = FindLocked(filter);
    Window* w = FindLocked(m.hwnd);
    return f && w && IsDescendantLocked(f, w);
}

}  // namespace user

using namespace user;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ThreadQueue> target;
    WNDPROC proc;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLocked(hwnd);
        if (!w || !w->queue) return 0;
        target = w->queue;
        proc = w->proc;
    }
    if (target.get() == &CurrentQueue()) return CallProc(proc, hwnd, msg, wParam, lParam);
    auto sm = std::make_shared<SentMessage>();
    sm->hwnd = hwnd;
    sm->msg = msg;
    sm->wParam = wParam;
    sm->lParam = lParam;
    return SendAcross(target, sm, -1) ? sm->result : 0;
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT timeoutMs,
                            DWORD_PTR* result) {
    if (result) *result = 0;
    std::shared_ptr<ThreadQueue> target;
    WNDPROC proc;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        target = w->queue;
        proc = w->proc;
    }
    if (target.get() == &CurrentQueue()) {
        LRESULT r = CallProc(proc, hwnd, msg, wParam, lParam);
        if (result) *result = static_cast<DWORD_PTR>(r);
        return 1;
    }
    auto sm = std::make_shared<SentMessage>();
    sm->hwnd = hwnd;
    sm->msg = msg;
    sm->wParam = wParam;
    sm->lParam = lParam;
    if (!SendAcross(target, sm, static_cast<long>(timeoutMs))) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    if (result) *result = static_cast<DWORD_PTR>(sm->result);
    return 1;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Only the text messages carry something to convert.
    if (msg == WM_SETTEXT && lParam) {
        const char* text = reinterpret_cast<const char*>(lParam);
        int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (n <= 0) return FALSE;
        std::wstring wide(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
        return SendMessageW(hwnd, msg, wParam, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    if (msg == WM_GETTEXT && lParam && wParam > 0) {
        int len = static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
        std::wstring wide(static_cast<size_t>(std::max(len, 0)) + 1, L'\0');
        int got = static_cast<int>(
            SendMessageW(hwnd, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data())));
        char* out = reinterpret_cast<char*>(lParam);
        int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), got, out,
                                        static_cast<int>(wParam) - 1, nullptr, nullptr);
        if (bytes <= 0 && got > 0) {
            // Too small: keep as many whole characters as fit.
            std::string all(static_cast<size_t>(got) * 4 + 1, '\0');
            int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), got, all.data(),
                                        static_cast<int>(all.size()), nullptr, nullptr);
            bytes = std::min(n, static_cast<int>(wParam) - 1);
            std::copy(all.begin(), all.begin() + bytes, out);
        }
        out[std::max(bytes, 0)] = '\0';
        return std::max(bytes, 0);
    }
    return SendMessageW(hwnd, msg, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) {
        PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
        return TRUE;
    }
    if (!PostToWindow(hwnd, msg, wParam, lParam)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostMessageW(hwnd, msg, wParam, lParam);
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (threadId == GetCurrentThreadId()) CurrentQueue();
    TreeGuard g(TreeLock());
    auto q = QueueOfThreadLocked(threadId);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    MSG m{};
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    m.pt = CursorPosLocked();
    PostToQueueLocked(*q, m);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    ThreadQueue& q = CurrentQueue();
    {
        std::lock_guard<std::mutex> l(q.mutex);
        q.quit = true;
        q.quitCode = exitCode;
        q.signal++;
    }
    q.wake.notify_one();
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Filter f;
    if (!MakeFilter(hwnd, filterMin, filterMax, &f)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    ThreadQueue& q = CurrentQueue();
    for (;;) {
        uint64_t seq = CurrentSignal(q);
        uint64_t due;
        if (Retrieve(q, msg, f, true, &due)) {
            q.last = *msg;
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        WaitForSignal(q, seq, due);
    }
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Filter f;
    if (!MakeFilter(hwnd, filterMin, filterMax, &f)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    ThreadQueue& q = CurrentQueue();
    uint64_t due;
    if (!Retrieve(q, msg, f, (removeMsg & PM_REMOVE) != 0, &due)) return FALSE;
    if (removeMsg & PM_REMOVE) q.last = *msg;
    return TRUE;
}

BOOL WaitMessage() {
    ThreadQueue& q = CurrentQueue();
    Filter f;
    for (;;) {
        uint64_t seq = CurrentSignal(q);
        MSG m;
        uint64_t due;
        if (Retrieve(q, &m, f, false, &due)) return TRUE;
        WaitForSignal(q, seq, due);
    }
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) return 0;
    WNDPROC proc;
    {
        TreeGuard g(TreeLock());
        Window* w = FindLiveLocked(msg->hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
            return 0;
        }
        proc = w->proc;
    }
    return CallProc(proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL InSendMessage() {
    return CurrentQueue().sendDepth > 0;
}

DWORD GetMessageTime() {
    return CurrentQueue().last.time;
}

DWORD GetMessagePos() {
    const POINT& p = CurrentQueue().last.pt;
    return static_cast<DWORD>(MAKELPARAM(p.x, p.y));
}
