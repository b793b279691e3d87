// Records the messages windows receive, so that tests can compare sequences by name.
// Header-only: the recording procedure and its state live here, next to the window system the
// test links.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/win_kernel.h"
#include "platform/win_user.h"

namespace msgrec {

struct Record {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;
};

// Answers a message itself (a value) or leaves it to DefWindowProcW (nullopt).
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

inline const char* Name(UINT msg) {
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"},
        {WM_DESTROY, "WM_DESTROY"},
        {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"},
        {WM_SETTEXT, "WM_SETTEXT"},
        {WM_GETTEXT, "WM_GETTEXT"},
        {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
        {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"},
        {WM_QUIT, "WM_QUIT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_SETCURSOR, "WM_SETCURSOR"},
        {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
        {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
        {WM_STYLECHANGING, "WM_STYLECHANGING"},
        {WM_STYLECHANGED, "WM_STYLECHANGED"},
        {WM_NCCREATE, "WM_NCCREATE"},
        {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
        {WM_NCHITTEST, "WM_NCHITTEST"},
        {WM_NCPAINT, "WM_NCPAINT"},
        {WM_NCACTIVATE, "WM_NCACTIVATE"},
        {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
        {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
        {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
        {WM_NCLBUTTONDBLCLK, "WM_NCLBUTTONDBLCLK"},
        {WM_NCRBUTTONDOWN, "WM_NCRBUTTONDOWN"},
        {WM_NCRBUTTONUP, "WM_NCRBUTTONUP"},
        {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},
        {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
        {WM_SYSKEYUP, "WM_SYSKEYUP"},
        {WM_SYSCHAR, "WM_SYSCHAR"},
        {WM_IME_STARTCOMPOSITION, "WM_IME_STARTCOMPOSITION"},
        {WM_COMMAND, "WM_COMMAND"},
        {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
        {WM_TIMER, "WM_TIMER"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
        {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"},
        {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
        {WM_MBUTTONUP, "WM_MBUTTONUP"},
        {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
        {WM_MOVING, "WM_MOVING"},
        {WM_SIZING, "WM_SIZING"},
        {WM_ENTERSIZEMOVE, "WM_ENTERSIZEMOVE"},
        {WM_EXITSIZEMOVE, "WM_EXITSIZEMOVE"},
        {WM_MOUSEHOVER, "WM_MOUSEHOVER"},
        {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
        {WM_NCMOUSELEAVE, "WM_NCMOUSELEAVE"},
    };
    auto it = names.find(msg);
    if (it != names.end()) return it->second;
    return msg >= WM_USER ? "WM_USER+" : "WM_other";
}

class Log {
  public:
    static Log& Get() {
        static Log* log = new Log;
        return *log;
    }

    void Add(const Record& r) {
        std::lock_guard<std::mutex> l(mutex_);
        records_.push_back(r);
    }
    void Clear() {
        std::lock_guard<std::mutex> l(mutex_);
        records_.clear();
    }
    std::vector<Record> Records() const {
        std::lock_guard<std::mutex> l(mutex_);
        return records_;
    }
    // Records of one window (any window when hwnd is null), keeping only the listed messages
    // when the list is not empty.
    std::vector<Record> Of(HWND hwnd, const std::vector<UINT>& only = {}) const {
        std::vector<Record> out;
        for (const Record& r : Records()) {
            if (hwnd && r.hwnd != hwnd) continue;
            if (!only.empty() && std::find(only.begin(), only.end(), r.msg) == only.end()) continue;
            out.push_back(r);
        }
        return out;
    }
    // The same as names, for readable comparisons.
    std::vector<std::string> Names(HWND hwnd, const std::vector<UINT>& only = {}) const {
        std::vector<std::string> out;
        for (const Record& r : Of(hwnd, only)) out.push_back(Name(r.msg));
        return out;
    }
    // Window and message name for every record of the listed messages, across windows.
    std::vector<std::pair<HWND, std::string>> Sequence(const std::vector<UINT>& only) const {
        std::vector<std::pair<HWND, std::string>> out;
        for (const Record& r : Of(nullptr, only)) out.emplace_back(r.hwnd, Name(r.msg));
        return out;
    }
    size_t Count(HWND hwnd, UINT msg) const { return Of(hwnd, {msg}).size(); }

  private:
    mutable std::mutex mutex_;
    std::vector<Record> records_;
};

namespace detail {

struct Handlers {
    std::mutex mutex;
    std::map<ATOM, Handler> byClass;
    std::map<HWND, Handler> byWindow;
};

inline Handlers& State() {
    static Handlers* h = new Handlers;
    return *h;
}

inline LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log::Get().Add(Record{hwnd, msg, wParam, lParam, GetCurrentThreadId()});
    Handler h;
    {
        Handlers& s = State();
        std::lock_guard<std::mutex> l(s.mutex);
        auto w = s.byWindow.find(hwnd);
        if (w != s.byWindow.end()) {
            h = w->second;
        } else {
            auto c = s.byClass.find(static_cast<ATOM>(GetClassLongPtrW(hwnd, GCW_ATOM)));
            if (c != s.byClass.end()) h = c->second;
        }
    }
    std::optional<LRESULT> answer;
    if (h) answer = h(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        Handlers& s = State();
        std::lock_guard<std::mutex> l(s.mutex);
        s.byWindow.erase(hwnd);
    }
    return answer ? *answer : DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace detail

// Registers (or re-arms) a class whose windows log every message and then hand it to `handler`
// and, when that leaves it, to DefWindowProcW.
inline ATOM RegisterClass(const wchar_t* name, Handler handler = {}, UINT style = CS_DBLCLKS,
                          HBRUSH background = nullptr, HCURSOR cursor = nullptr) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ATOM atom = static_cast<ATOM>(GetClassInfoExW(nullptr, name, &wc));
    if (!atom) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = detail::RecordingProc;
        wc.hbrBackground = background;
        wc.hCursor = cursor;
        wc.lpszClassName = name;
        atom = RegisterClassExW(&wc);
    }
    auto& s = detail::State();
    std::lock_guard<std::mutex> l(s.mutex);
    s.byClass[atom] = std::move(handler);
    return atom;
}

inline void SetHandler(HWND hwnd, Handler handler) {
    auto& s = detail::State();
    std::lock_guard<std::mutex> l(s.mutex);
    s.byWindow[hwnd] = std::move(handler);
}

// Forgets every handler, for a test that ends while its handlers still point at its locals.
inline void ClearHandlers() {
    auto& s = detail::State();
    std::lock_guard<std::mutex> l(s.mutex);
    s.byWindow.clear();
    for (auto& [atom, h] : s.byClass) h = nullptr;
}

// Dispatches everything the calling thread's queue holds now (WM_PAINT and due timers too).
inline void Pump() {
    MSG m;
    for (int guard = 0; guard < 100000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// Pumps until `done` holds or the time is up; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000) {
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(1);
    }
}

}  // namespace msgrec
