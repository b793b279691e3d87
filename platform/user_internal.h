// The window system's private state: classes, windows, thread queues and the lock that guards
// the window tree. Only the platform's own window-system sources include this.
//
// Locking: one lock (TreeLock) guards classes, windows, the tree, focus/activation/capture and
// the raw input queue; each thread queue has its own mutex for its message lists and timers.
// Order: the tree lock may be held while a queue mutex is taken, never the other way round.
// No lock is ever held while a window procedure (or any other caller code) runs.
#pragma once

#include <cairo.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win_user.h"

namespace user {

struct ThreadQueue;

struct WindowClass {
    std::wstring name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::vector<BYTE> extra;
    int windows = 0;  // live windows of the class
};

struct Window {
    HWND hwnd = nullptr;
    std::shared_ptr<WindowClass> cls;
    std::shared_ptr<ThreadQueue> queue;
    DWORD thread = 0;
    Window* parent = nullptr;  // null: top-level
    Window* owner = nullptr;
    std::vector<Window*> children;  // Z order, topmost first
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rcWindow{};  // in the parent's client coordinates (screen for a top-level window)
    RECT rcClient{};  // same coordinates
    RECT rcNormal{};  // restored placement while minimised or maximised
    bool restoreToMaximized = false;
    WNDPROC proc = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    HINSTANCE instance = nullptr;
    std::vector<BYTE> extra;
    std::map<std::wstring, HANDLE> props;
    std::wstring text;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;

    bool destroying = false;
    bool dead = false;

    // Painting. The update region is in client coordinates.
    cairo_region_t* update = nullptr;
    bool eraseNeeded = false;
    bool ncPaintNeeded = false;
    bool internalPaint = false;
    HRGN windowRegion = nullptr;            // owned region handle (window coordinates)
    cairo_region_t* regionRects = nullptr;  // copy of its rectangles for hit-testing
    cairo_surface_t* backing = nullptr;     // top-level windows: the backing store (window size)
    BYTE layeredAlpha = 255;
    bool layeredContent = false;  // UpdateLayeredWindow has supplied the pixels
};

// A message sent to a window of another thread, or work to run on the owning thread.
struct SentMessage {
    HWND hwnd = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::function<LRESULT()> task;        // internal work instead of a message
    std::shared_ptr<ThreadQueue> sender;  // replied to through its mutex
    LRESULT result = 0;
    bool done = false;       // guarded by sender->mutex
    bool abandoned = false;  // the sender stopped waiting (time-out); guarded by sender->mutex
};

struct TimerEntry {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    TIMERPROC proc = nullptr;
    uint64_t due = 0;
};

// A system move or size (SC_MOVE, SC_SIZE) under way: the mouse drives the window.
struct MoveSizeState {
    HWND hwnd = nullptr;
    WPARAM cmd = 0;
    POINT start{};
    RECT startRect{};
};

struct ThreadQueue {
    DWORD threadId = 0;

    // Guarded by mutex.
    std::mutex mutex;
    std::condition_variable wake;
    uint64_t signal = 0;  // bumped on every event a waiting thread must look at
    bool alive = true;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    std::vector<TimerEntry> timers;

    // Guarded by the tree lock.
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;

    // Touched only by the owning thread.
    std::deque<MSG> cookedInput;
    int sendDepth = 0;  // > 0 while handling a message sent from another thread
    MoveSizeState moveSize;
    MSG last{};

    void Signal();  // takes mutex
};

std::mutex& TreeLock();
using TreeGuard = std::unique_lock<std::mutex>;

// The calling thread's queue, made on first use.
ThreadQueue& CurrentQueue();
std::shared_ptr<ThreadQueue> CurrentQueuePtr();
std::shared_ptr<ThreadQueue> QueueOfThreadLocked(DWORD threadId);

// Window table (tree lock held).
Window* FindLocked(HWND hwnd);
Window* FindLiveLocked(HWND hwnd);        // also null while no longer usable (dead)
std::vector<Window*>& TopLevelsLocked();  // Z order, topmost first
void ForEachWindowLocked(const std::function<void(Window*)>& fn);
HWND DesktopHandle();
Window* RootLocked(Window* w);  // the top-level ancestor
bool IsDescendantLocked(Window* ancestor, Window* w);
bool IsVisibleLocked(Window* w);  // the window and all its ancestors
POINT ClientOriginScreenLocked(Window* w);
RECT WindowRectScreenLocked(Window* w);
RECT ClientRectScreenLocked(Window* w);
// Window rectangle of w relative to its top-level window's top-left (the backing store).
RECT WindowRectInRootLocked(Window* w);
RECT ClientRectInRootLocked(Window* w);

// Classes.
std::shared_ptr<WindowClass> FindClassLocked(LPCWSTR nameOrAtom);
void RegisterSystemClasses();
std::wstring FoldCase(const std::wstring& s);

// Calls into window procedures (no lock held).
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC ProcOf(HWND hwnd);
bool IsOwnedByCurrentThread(HWND hwnd);
// Runs fn on the thread that owns hwnd (at once when that is this thread), waiting for it as a
// sent message does. Answers 0 for a dead window.
LRESULT RunOnOwner(HWND hwnd, std::function<LRESULT()> fn);
// Processes the messages other threads have sent to this thread. True if any was handled.
bool ProcessSentMessages(ThreadQueue& q);
// Posts a message to a window's queue; false for a dead window.
bool PostToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostToQueueLocked(ThreadQueue& q, const MSG& m);
void PurgePostedLocked(ThreadQueue& q, HWND hwnd);

// Timers (timer.cpp).
bool NextTimerMessage(ThreadQueue& q, HWND filter, UINT min, UINT max, bool remove, MSG* out,
                      uint64_t* nextDue);
void KillTimersOf(ThreadQueue& q, HWND hwnd);
uint64_t NowMs();

// Input (input.cpp).
bool NextInputMessage(ThreadQueue& q, HWND filter, UINT min, UINT max, bool remove, MSG* out);
void CheckHover(ThreadQueue& q, uint64_t* nextDue);
void ForgetWindowInput(HWND hwnd);  // tree lock held; null: the pointer's window may have changed
POINT CursorPosLocked();
bool MessageMatches(const MSG& m, HWND filter, UINT min, UINT max);

// Focus and activation (focus.cpp).
void ActivateWindow(HWND hwnd, WORD how, bool setFocus);
void WindowGoingAway(HWND hwnd);  // before WM_DESTROY: focus, capture, activation move on
void WindowHidden(HWND hwnd);     // after hiding: focus and activation move on
std::shared_ptr<ThreadQueue> ForegroundQueueLocked();

// Placement (winpos.cpp).
void FrameSizes(DWORD style, DWORD exStyle, RECT* frame);  // insets of the non-client area
bool WantsMinMaxInfo(DWORD style);
void DefaultMinMaxInfo(HWND hwnd, MINMAXINFO* mmi);
LRESULT DefaultHitTest(HWND hwnd, POINT screen);
// The deepest enabled, visible window of the given thread under the point (screen), skipping
// those in `skip`; null when there is none.
HWND WindowFromPointLocked(POINT screen, ThreadQueue* unused, const std::vector<HWND>& skip);
// SetWindowPosInternal extras: change without sending anything (hiding while destroying); the
// show state changed, so the client area is reported even if its size did not change.
constexpr UINT kSwpSilent = 0x80000000;
constexpr UINT kSwpStateChanged = 0x40000000;
void SetWindowPosInternal(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags);

// Painting (paint.cpp).
void InvalidateLocked(Window* w, const cairo_region_t* clientRegion, bool erase, bool children);
void ValidateLocked(Window* w, const cairo_region_t* clientRegion);
bool NextPaintMessage(ThreadQueue& q, HWND filter, MSG* out);
void EnsureBackingLocked(Window* top);
void ReleasePaintStateLocked(Window* w);
void DrawNonClient(HWND hwnd);
void EraseBackground(HWND hwnd, HDC hdc);
void CursorForHit(HWND hwnd, LRESULT hit);

// Tooltips (tooltip.cpp).
LRESULT TooltipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace user
