// A whole session as an application lives it: a top-level window with a child, painted with
// text and boxes, moved and resized, clicked and typed into through SendInput, while a second
// thread sends it messages. The pixels and the messages must be what Win32 code expects.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/display/capture.h"
#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "support/input_inject.h"
#include "support/message_recorder.h"
#include "support/temp_dir.h"

namespace {

using Names = std::vector<std::string>;

constexpr COLORREF kRed = RGB(220, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr UINT kWorkerSays = WM_APP + 1;

void Box(HDC dc, int l, int t, int r, int b, COLORREF c) {
    RECT rc{l, t, r, b};
    HBRUSH br = CreateSolidBrush(c);
    FillRect(dc, &rc, br);
    DeleteObject(br);
}

int DarkPixels(const display::Capture& cap, RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if ((cap.At(x, y) & 0xFFFFFF) < 0x505050) ++n;
        }
    }
    return n;
}

TEST(WindowScenario, PaintMoveResizeClickTypeAndCrossThreadSends) {
    std::wstring typed;
    std::wstring banner = L"Main";
    msgrec::RegisterClass(L"ScenarioMain", {}, CS_DBLCLKS,
                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                          LoadCursorW(nullptr, IDC_ARROW));
    msgrec::RegisterClass(L"ScenarioChild", {}, CS_DBLCLKS,
                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                          LoadCursorW(nullptr, IDC_IBEAM));
    HWND main =
        CreateWindowExW(0, L"ScenarioMain", L"Scenario", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                        200, 150, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, L"ScenarioChild", L"", WS_CHILD | WS_VISIBLE, 20, 20, 200, 100,
                                 main, nullptr, nullptr, nullptr);
    ASSERT_TRUE(main && child);

    DWORD mainThread = GetCurrentThreadId();
    std::atomic<int> crossThreadCalls{0};
    msgrec::SetHandler(main, [&](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
        switch (m) {
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(h, &ps);
                RECT rc;
                GetClientRect(h, &rc);
                Box(dc, rc.right - 110, 40, rc.right - 10, 140, kRed);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, RGB(0, 0, 0));
                TextOutW(dc, 30, 200, banner.c_str(), static_cast<int>(banner.size()));
                EndPaint(h, &ps);
                return 0;
            }
            case kWorkerSays:
                // Runs on the owner thread while the worker waits.
                EXPECT_EQ(GetCurrentThreadId(), mainThread);
                banner = reinterpret_cast<const wchar_t*>(l);
                InvalidateRect(h, nullptr, TRUE);
                ++crossThreadCalls;
                return static_cast<LRESULT>(w + 1);
            default:
                return std::nullopt;
        }
    });
    msgrec::SetHandler(child, [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        switch (m) {
            case WM_LBUTTONDOWN:
                SetFocus(h);
                return 0;
            case WM_CHAR:
                typed.push_back(static_cast<wchar_t>(w));
                InvalidateRect(h, nullptr, TRUE);
                return 0;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(h, &ps);
                Box(dc, 10, 10, 40, 40, kGreen);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, RGB(0, 0, 0));
                TextOutW(dc, 50, 15, typed.c_str(), static_cast<int>(typed.size()));
                EndPaint(h, &ps);
                return 0;
            }
            default:
                return std::nullopt;
        }
    });
    InvalidateRect(main, nullptr, TRUE);
    InvalidateRect(child, nullptr, TRUE);
    msgrec::Pump();

    // Painted: the main window's box right of the child, the child's box inside it.
    display::Capture cap;
    ASSERT_TRUE(display::CaptureWindow(main, &cap, true));
    EXPECT_EQ(cap.ColorAt(340, 90), kRed);
    EXPECT_EQ(cap.ColorAt(35, 35), kGreen);
    EXPECT_EQ(cap.ColorAt(100, 200), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(cap.ColorAt(150, 100), GetSysColor(COLOR_BTNFACE));
    EXPECT_GT(DarkPixels(cap, RECT{30, 200, 90, 230}), 10);  // "Main"

    // Moved and resized: the child goes along, the main window lays out anew.
    msgrec::Log::Get().Clear();
    ASSERT_TRUE(MoveWindow(main, 300, 200, 400, 300, TRUE));
    ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER));
    msgrec::Pump();
    EXPECT_EQ(msgrec::Log::Get().Names(main, {WM_MOVE, WM_SIZE}), (Names{"WM_MOVE", "WM_SIZE"}));
    EXPECT_EQ(msgrec::Log::Get().Of(main, {WM_SIZE})[0].lParam, MAKELPARAM(500, 350));
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 320);
    EXPECT_EQ(r.top, 220);
    ASSERT_TRUE(display::CaptureWindow(main, &cap, true));
    EXPECT_EQ(cap.ColorAt(440, 90), kRed);  // follows the new right edge
    EXPECT_EQ(cap.ColorAt(340, 90), GetSysColor(COLOR_WINDOW));

    // Clicked and typed into: the child takes the focus and the characters.
    msgrec::Log::Get().Clear();
    inject::Click(320 + 150, 220 + 50);
    inject::Type(L"hi2");
    inject::Key(VK_SHIFT, false);
    inject::Press('X');
    inject::Key(VK_SHIFT, true);
    msgrec::Pump();
    EXPECT_EQ(GetFocus(), child);
    EXPECT_EQ(typed, L"hi2X");
    // Every mouse event is hit-tested and sets the cursor before its own message.
    EXPECT_EQ(
        msgrec::Log::Get().Names(child, {WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE, WM_LBUTTONDOWN,
                                         WM_SETFOCUS, WM_LBUTTONUP}),
        (Names{"WM_NCHITTEST", "WM_SETCURSOR", "WM_MOUSEMOVE", "WM_NCHITTEST", "WM_SETCURSOR",
               "WM_LBUTTONDOWN", "WM_SETFOCUS", "WM_NCHITTEST", "WM_SETCURSOR", "WM_LBUTTONUP"}));
    EXPECT_EQ(msgrec::Log::Get().Count(child, WM_KEYDOWN), 5u);  // h, i, 2, shift, X
    EXPECT_EQ(msgrec::Log::Get().Count(child, WM_CHAR), 4u);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_IBEAM));
    ASSERT_TRUE(display::CaptureWindow(child, &cap, true));
    EXPECT_GT(DarkPixels(cap, RECT{50, 15, 110, 40}), 10);  // the typed text is drawn

    // A second thread talks to the window while it runs its loop.
    std::atomic<bool> workerDone{false};
    LRESULT answers[3] = {};
    std::thread worker([&] {
        static const wchar_t* texts[] = {L"One", L"Two", L"Worker"};
        for (int i = 0; i < 3; ++i) {
            answers[i] = SendMessageW(main, kWorkerSays, static_cast<WPARAM>(i * 10),
                                      reinterpret_cast<LPARAM>(texts[i]));
        }
        PostMessageW(main, WM_CLOSE, 0, 0);
        workerDone = true;
    });
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
        if (!IsWindow(main)) break;  // the worker's WM_CLOSE, posted last, ends the loop
    }
    worker.join();
    EXPECT_EQ(crossThreadCalls.load(), 3);
    EXPECT_EQ(answers[0], 1);
    EXPECT_EQ(answers[2], 21);
    EXPECT_FALSE(IsWindow(main));  // WM_CLOSE destroyed it
    EXPECT_FALSE(IsWindow(child));
    auto closing = msgrec::Log::Get().Sequence({kWorkerSays, WM_CLOSE, WM_DESTROY, WM_NCDESTROY});
    ASSERT_EQ(closing.size(), 8u);
    EXPECT_EQ(closing[3], (std::pair<HWND, std::string>{main, "WM_CLOSE"}));
    EXPECT_EQ(closing.back(), (std::pair<HWND, std::string>{main, "WM_NCDESTROY"}));
    EXPECT_EQ(banner, L"Worker");
    msgrec::ClearHandlers();
}

TEST(WindowScenario, CapturesCanBeWrittenForAPerson) {
    // Keeps the picture of a painted window where a person (or a CI artifact step) can see it.
    msgrec::RegisterClass(L"ScenarioShot", {}, 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    HWND h = CreateWindowExW(0, L"ScenarioShot", L"Shot", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                             320, 200, nullptr, nullptr, nullptr, nullptr);
    msgrec::SetHandler(h, [](HWND w, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        Box(dc, 20, 20, 120, 80, kRed);
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 20, 100, L"Hello \u4E16\u754C", 8);
        EndPaint(w, &ps);
        return 0;
    });
    InvalidateRect(h, nullptr, TRUE);
    msgrec::Pump();
    display::Capture cap;
    ASSERT_TRUE(display::CaptureWindow(h, &cap));
    TempDir dir;
    const char* keep = std::getenv("IEFIX_CAPTURE_DIR");
    std::string file = (keep && *keep ? std::string(keep) + "/" : dir.path()) + "scenario.png";
    EXPECT_TRUE(display::WritePng(cap, file));
    DestroyWindow(h);
    msgrec::ClearHandlers();
}

}  // namespace
