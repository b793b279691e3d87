// A top-level test window whose messages go through its own paint manager, plus controls and
// listeners that record what reaches them.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/surface_dc.h"
#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "skinframe/controls/controls.h"
#include "skinframe/paint_manager.h"

namespace pmtest {

// The window's procedure: the manager first, then the default procedure, like the window base.
inline LRESULT TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (manager) {
        LRESULT result = 0;
        if (manager->MessageHandler(msg, wParam, lParam, result)) return result;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline const wchar_t* TestWindowClass() {
    static const bool registered = [] {
        WNDCLASSW wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = TestWindowProc;
        wc.lpszClassName = L"PaintManagerTestWindow";
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return L"PaintManagerTestWindow";
}

// Handles every queued message the way the program's message loop does, until none is left.
inline void Pump(int rounds = 50) {
    MSG msg = {};
    for (int i = 0; i < rounds; ++i) {
        bool any = false;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            if (!CPaintManagerUI::TranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        if (!any) return;
    }
}

// A pop-up window (client area = window area) at a fixed screen place, with its manager.
class TestWindow {
  public:
    static constexpr int kLeft = 100;
    static constexpr int kTop = 80;

    explicit TestWindow(int width = 300, int height = 200, HWND owner = nullptr) {
        hwnd = ::CreateWindowExW(0, TestWindowClass(), L"test", WS_POPUP | WS_VISIBLE, kLeft, kTop,
                                 width, height, owner, nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        manager.Init(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&manager));
    }
    ~TestWindow() {
        if (::IsWindow(hwnd)) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            ::DestroyWindow(hwnd);
        }
        Pump();
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // Installs the tree and paints it once, so every control has its place.
    void Attach(CControlUI* root) {
        ASSERT_TRUE(manager.AttachDialog(root));
        ::UpdateWindow(hwnd);
        Pump();
    }

    // The pixel at client (x, y) as 0xRRGGBB.
    DWORD Pixel(int x, int y) const {
        HDC dc = ::GetDC(hwnd);
        const COLORREF c = ::GetPixel(dc, x, y);
        ::ReleaseDC(hwnd, dc);
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }

    // The raw pixel at client (x, y) as 0xAARRGGBB (premultiplied), alpha included.
    DWORD RawPixel(int x, int y) const {
        HDC dc = ::GetDC(hwnd);
        cairo_surface_t* surface = ::SurfaceOfDC(dc);
        const POINT origin = ::OriginOfDC(dc);
        DWORD value = 0;
        if (surface) {
            const unsigned char* data = cairo_image_surface_get_data(surface);
            const int stride = cairo_image_surface_get_stride(surface);
            value = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(origin.y + y) *
                                                                 stride)[origin.x + x];
        }
        ::ReleaseDC(hwnd, dc);
        return value;
    }

    HWND hwnd = nullptr;
    CPaintManagerUI manager;
};

// What a recording control remembers of an event.
struct SeenEvent {
    int type;
    CControlUI* sender;
    POINT pt;
    WORD chKey;
    WORD keyState;
    WPARAM wParam;
    LPARAM lParam;
};

// Any control class that also records each event it gets, then handles it as usual.
template <typename Base>
class Recorder : public Base {
  public:
    explicit Recorder(const wchar_t* name = nullptr) {
        if (name) this->SetName(name);
    }
    void DoEvent(TEventUI& event) override {
        events.push_back({event.Type, event.pSender, event.ptMouse, event.chKey, event.wKeyState,
                          event.wParam, event.lParam});
        Base::DoEvent(event);
    }
    std::vector<int> Types() const {
        std::vector<int> types;
        for (const SeenEvent& e : events) types.push_back(e.type);
        return types;
    }
    // The last event of a type, or null.
    const SeenEvent* Last(int type) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->type == type) return &*it;
        }
        return nullptr;
    }
    int Count(int type) const {
        int n = 0;
        for (const SeenEvent& e : events) n += e.type == type ? 1 : 0;
        return n;
    }
    std::vector<SeenEvent> events;
};

// Records notifications as "type:sender" texts (sender "-" when there is none).
class NotifyRecorder : public INotifyUI {
  public:
    void Notify(TNotifyUI& msg) override {
        std::wstring sender = msg.pSender ? msg.pSender->GetName().GetData() : L"-";
        seen.push_back(std::wstring(msg.sType.GetData()) + L":" + sender);
        records.push_back(msg);
    }
    bool Saw(const std::wstring& entry) const {
        for (const std::wstring& s : seen) {
            if (s == entry) return true;
        }
        return false;
    }
    std::vector<std::wstring> seen;
    std::vector<TNotifyUI> records;
};

// Mouse input through the display at a screen point: the cursor goes there first, then the
// input happens in place.
inline void MouseAt(int x, int y, DWORD flags = MOUSEEVENTF_MOVE, DWORD data = 0) {
    ::SetCursorPos(x, y);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.mouseData = data;
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof(in));
}

// The same at a client point of a test window.
inline void MouseAtClient(int x, int y, DWORD flags = MOUSEEVENTF_MOVE, DWORD data = 0) {
    MouseAt(TestWindow::kLeft + x, TestWindow::kTop + y, flags, data);
}

inline void Key(WORD vk, bool up = false) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof(in));
}

}  // namespace pmtest
