// The native window object: routing of messages to the object, superclassing, subclassing,
// showing, the modal loop, centring and client resizing.
#include "skinframe/window_wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "support/message_recorder.h"
#include "window_fixture.h"

namespace {

using wndtest::Pump;
using wndtest::TakeQuit;

constexpr UINT WM_TEST_DESTROY = WM_USER + 5;
constexpr UINT WM_TEST_PROBE = WM_USER + 6;

class TestWnd : public CWindowWnd {
  public:
    using Hook = std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)>;

    explicit TestWnd(LPCWSTR className = L"WindowWndTest", LPCWSTR superName = nullptr)
        : className_(className), superName_(superName) {}
    ~TestWnd() {
        if (::IsWindow(GetHWND())) ::DestroyWindow(GetHWND());
    }

    LPCWSTR GetWindowClassName() const override { return className_; }
    LPCWSTR GetSuperClassName() const override { return superName_; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(uMsg);
        if (uMsg == WM_NCCREATE) handleAtNcCreate = GetHWND();
        if (uMsg == WM_TEST_DESTROY) {
            ::DestroyWindow(GetHWND());
            return 0;
        }
        if (hook) {
            if (auto result = hook(uMsg, wParam, lParam)) return *result;
        }
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND hWnd) override {
        finals.push_back(hWnd);
        handleAtFinal = GetHWND();
    }

    bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }

    std::vector<UINT> seen;
    std::vector<HWND> finals;
    HWND handleAtNcCreate = nullptr;
    HWND handleAtFinal = reinterpret_cast<HWND>(1);
    Hook hook;

  private:
    LPCWSTR className_;
    LPCWSTR superName_;
};

class WindowWndTest : public ::testing::Test {
  protected:
    void SetUp() override { msgrec::Log::Get().Clear(); }
    void TearDown() override {
        for (HWND h : made_) {
            if (::IsWindow(h)) ::DestroyWindow(h);
        }
        Pump();
        while (TakeQuit() != -1) {
        }
    }
    HWND Plain(DWORD style, int x, int y, int cx, int cy, HWND owner = nullptr) {
        msgrec::RegisterClass(L"WindowWndPlain");
        HWND h = ::CreateWindowExW(0, L"WindowWndPlain", L"plain", style, x, y, cx, cy, owner,
                                   nullptr, nullptr, nullptr);
        made_.push_back(h);
        return h;
    }
    std::vector<HWND> made_;
};

TEST_F(WindowWndTest, MessagesReachTheObjectFromNcCreateUntilTheFinalMessage) {
    TestWnd wnd;
    // An overlapped window is asked for its limits before WM_NCCREATE; that question goes to
    // the default procedure.
    HWND hwnd = wnd.Create(nullptr, L"routed", WS_OVERLAPPEDWINDOW, 0, 10, 20, 300, 200);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(wnd.GetHWND(), hwnd);
    EXPECT_EQ(static_cast<HWND>(wnd), hwnd);
    ASSERT_FALSE(wnd.seen.empty());
    EXPECT_EQ(wnd.seen.front(), WM_NCCREATE);
    EXPECT_EQ(wnd.handleAtNcCreate, hwnd);
    EXPECT_TRUE(wnd.Saw(WM_CREATE));
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&wnd));
    // The default HandleMessage ran the default procedure: the title was stored.
    WCHAR title[32] = {0};
    ::GetWindowTextW(hwnd, title, 32);
    EXPECT_STREQ(title, L"routed");

    wnd.seen.clear();
    ASSERT_TRUE(::DestroyWindow(hwnd));
    EXPECT_EQ(wnd.finals, std::vector<HWND>{hwnd});
    EXPECT_EQ(wnd.handleAtFinal, nullptr);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
    EXPECT_TRUE(wnd.Saw(WM_DESTROY));
    EXPECT_FALSE(wnd.Saw(WM_NCDESTROY));

    // The object can carry a second window.
    HWND again = wnd.Create(nullptr, L"again", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, hwnd);
    EXPECT_EQ(wnd.GetHWND(), again);
}

TEST_F(WindowWndTest, AWindowMadeWithoutItsObjectGetsDefaultHandling) {
    TestWnd wnd(L"WindowWndNoObject");
    ASSERT_TRUE(wnd.RegisterWindowClass());
    EXPECT_TRUE(wnd.RegisterWindowClass());  // a second registration is not a failure
    HWND h = ::CreateWindowExW(0, L"WindowWndNoObject", L"x", WS_POPUP, 0, 0, 20, 20, nullptr,
                               nullptr, nullptr, nullptr);
    made_.push_back(h);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(wnd.seen.empty());
    EXPECT_EQ(::SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTCLIENT);
}

TEST_F(WindowWndTest, AWindowThatOutlivesItsObjectNoLongerReachesIt) {
    // The main window's object goes at exit while its window stays.
    struct Leaving : CWindowWnd {
        LPCWSTR GetWindowClassName() const override { return L"WindowWndLeaving"; }
        LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
            ++*count;
            return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        }
        int* count = nullptr;
    };
    int count = 0;
    HWND hwnd = nullptr;
    {
        Leaving leaving;
        leaving.count = &count;
        hwnd = leaving.Create(nullptr, L"x", WS_POPUP, 0, 0, 0, 40, 40);
        ASSERT_NE(hwnd, nullptr);
        made_.push_back(hwnd);
    }
    const int before = count;
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTCLIENT);
    EXPECT_TRUE(::DestroyWindow(hwnd));
    EXPECT_EQ(count, before);
}

struct RegistrationCase {
    const char* name;
    LPCWSTR className;
    LPCWSTR superName;
};

TEST_F(WindowWndTest, ACreationWhoseClassCannotBeRegisteredMakesNoWindow) {
    const RegistrationCase cases[] = {
        {"missing superclass", L"WindowWndBadSuper", L"NoSuchBaseClass"},
        {"empty class name", L"", nullptr},
    };
    for (const RegistrationCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestWnd wnd(c.className, c.superName);
        EXPECT_EQ(wnd.Create(nullptr, L"x", WS_POPUP, 0, 0, 0, 10, 10), nullptr);
        EXPECT_EQ(wnd.GetHWND(), nullptr);
        EXPECT_TRUE(wnd.seen.empty());
    }
}

TEST_F(WindowWndTest, ASuperclassPassesWhatItLeavesToTheExtendedClass) {
    msgrec::RegisterClass(L"WindowWndBase", {}, CS_DBLCLKS | CS_SAVEBITS);
    TestWnd wnd(L"WindowWndSuper", L"WindowWndBase");
    HWND hwnd = wnd.Create(nullptr, L"super", WS_POPUP, 0, 0, 0, 60, 40);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(wnd.seen.front(), WM_NCCREATE);
    // The object lives in a property; the window data stays free for the extended class.
    EXPECT_EQ(::GetPropW(hwnd, L"WndX"), static_cast<HANDLE>(&wnd));
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE),
              static_cast<ULONG_PTR>(CS_DBLCLKS | CS_SAVEBITS));

    ::SendMessageW(hwnd, WM_TEST_PROBE, 3, 4);
    EXPECT_TRUE(wnd.Saw(WM_TEST_PROBE));
    EXPECT_EQ(msgrec::Log::Get().Count(hwnd, WM_TEST_PROBE), 1u);

    ASSERT_TRUE(::DestroyWindow(hwnd));
    // The extended class saw the last message too, then the object was let go.
    EXPECT_EQ(msgrec::Log::Get().Count(hwnd, WM_NCDESTROY), 1u);
    EXPECT_EQ(wnd.finals, std::vector<HWND>{hwnd});
    EXPECT_EQ(wnd.GetHWND(), nullptr);
}

TEST_F(WindowWndTest, SubclassingRoutesAnExistingWindowUntilUnsubclassed) {
    HWND plain = Plain(WS_POPUP, 0, 0, 50, 50);
    ASSERT_NE(plain, nullptr);
    TestWnd wnd;
    ASSERT_EQ(wnd.Subclass(plain), plain);
    EXPECT_EQ(wnd.GetHWND(), plain);

    ::SendMessageW(plain, WM_TEST_PROBE, 0, 0);
    EXPECT_TRUE(wnd.Saw(WM_TEST_PROBE));
    EXPECT_EQ(msgrec::Log::Get().Count(plain, WM_TEST_PROBE), 1u);  // and passed on

    wnd.Unsubclass();
    wnd.seen.clear();
    ::SendMessageW(plain, WM_TEST_PROBE, 0, 0);
    EXPECT_FALSE(wnd.Saw(WM_TEST_PROBE));
    EXPECT_EQ(msgrec::Log::Get().Count(plain, WM_TEST_PROBE), 2u);

    // Subclassed again, the window's destruction restores the procedure and ends the tie.
    ASSERT_EQ(wnd.Subclass(plain), plain);
    ASSERT_TRUE(::DestroyWindow(plain));
    EXPECT_EQ(wnd.finals, std::vector<HWND>{plain});
    EXPECT_EQ(wnd.GetHWND(), nullptr);
    EXPECT_EQ(msgrec::Log::Get().Count(plain, WM_NCDESTROY), 1u);

    // A window that is gone cannot be subclassed.
    TestWnd other;
    EXPECT_EQ(other.Subclass(plain), nullptr);
    EXPECT_EQ(other.GetHWND(), nullptr);
    other.Unsubclass();  // nothing to undo
}

TEST_F(WindowWndTest, ShowWindowPicksTheShowCommandFromItsFlags) {
    struct Case {
        const char* name;
        bool show;
        bool takeFocus;
        bool visible;
        bool active;
    };
    const Case cases[] = {
        {"hide", false, true, false, false},
        {"show and activate", true, true, true, true},
        {"show without activation", true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND other = Plain(WS_POPUP | WS_VISIBLE, 500, 500, 50, 50);
        ::SetActiveWindow(other);
        TestWnd wnd;
        HWND hwnd =
            wnd.Create(nullptr, L"x", c.show ? WS_POPUP : WS_POPUP | WS_VISIBLE, 0, 0, 0, 50, 50);
        ::SetActiveWindow(other);
        wnd.ShowWindow(c.show, c.takeFocus);
        EXPECT_EQ(::IsWindowVisible(hwnd) != FALSE, c.visible);
        EXPECT_EQ(::GetActiveWindow() == hwnd, c.active);
        ::DestroyWindow(hwnd);
        wnd.ShowWindow(true, true);  // no window: nothing happens
        wnd.Close(3);
        EXPECT_FALSE(::IsWindow(hwnd));
    }
}

struct ModalCase {
    const char* name;
    // Queues what ends the loop; may give the window a handler of its own.
    std::function<void(TestWnd&, TestWnd::Hook&)> queue;
    UINT expected;
    int quitCode;  // -1: no WM_QUIT afterwards
    bool windowLeft;
};

TEST_F(WindowWndTest, TheModalLoopEndsWithTheWindowOrAQuitMessage) {
    const ModalCase cases[] = {
        {"Close(7)", [](TestWnd& w, TestWnd::Hook&) { w.Close(7); }, 7, -1, false},
        {"destroyed without WM_CLOSE",
         [](TestWnd& w, TestWnd::Hook&) { w.PostMessageW(WM_TEST_DESTROY); }, 0, -1, false},
        {"WM_QUIT", [](TestWnd&, TestWnd::Hook&) { ::PostQuitMessage(23); }, 0, 23, true},
        {"a refused close, then WM_QUIT",
         [](TestWnd& w, TestWnd::Hook& hook) {
             hook = [](UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
                 if (m == WM_CLOSE) return 0;  // the window stays
                 return std::nullopt;
             };
             w.Close(3);
             ::PostQuitMessage(5);
         },
         3, 5, true},
    };
    for (const ModalCase& c : cases) {
        SCOPED_TRACE(c.name);
        HWND owner = Plain(WS_POPUP | WS_VISIBLE, 300, 300, 200, 200);
        TestWnd wnd;
        HWND hwnd = wnd.Create(owner, L"modal", WS_POPUP, 0, 320, 320, 100, 80);
        ASSERT_NE(hwnd, nullptr);
        std::optional<BOOL> ownerEnabledInside;
        TestWnd::Hook extra;
        wnd.hook = [&](UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
            if (m == WM_TEST_PROBE) ownerEnabledInside = ::IsWindowEnabled(owner);
            return extra ? extra(m, w, l) : std::nullopt;
        };
        // The probe comes out first and reports how the owner stood while the loop ran.
        wnd.PostMessageW(WM_TEST_PROBE);
        c.queue(wnd, extra);

        EXPECT_EQ(wnd.ShowModal(), c.expected);
        EXPECT_EQ(ownerEnabledInside, std::optional<BOOL>(FALSE));
        EXPECT_TRUE(::IsWindowEnabled(owner));
        EXPECT_EQ(::GetFocus(), owner);
        EXPECT_EQ(TakeQuit(), c.quitCode);
        EXPECT_EQ(::IsWindow(hwnd) != FALSE, c.windowLeft);
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
}

struct CenterCase {
    const char* name;
    RECT work;  // {0,0,0,0}: the whole screen
    bool owned;
    RECT owner;
    SIZE size;
    POINT expected;
};

TEST_F(WindowWndTest, CenterWindowCentresOverTheOwnerOrTheWorkAreaAndStaysInside) {
    const CenterCase cases[] = {
        {"no owner", {}, false, {}, {400, 300}, {760, 390}},
        {"no owner, odd size", {}, false, {}, {401, 301}, {760, 390}},
        {"over the owner", {}, true, {100, 100, 600, 500}, {200, 100}, {250, 250}},
        {"owner near the corner: pushed back inside",
         {},
         true,
         {1700, 900, 2100, 1200},
         {300, 200},
         {1620, 880}},
        {"owner off the left edge", {}, true, {-300, -200, 100, 100}, {300, 200}, {0, 0}},
        {"wider and taller than the area", {}, false, {}, {2500, 1200}, {0, 0}},
        {"work area beside a panel", {100, 50, 1820, 1030}, false, {}, {400, 300}, {760, 390}},
        {"wider than a work area beside a panel",
         {100, 50, 1820, 1030},
         false,
         {},
         {1800, 300},
         {100, 390}},
    };
    for (const CenterCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<wndtest::ScopedWorkArea> area;
        if (c.work.right != 0) area.emplace(c.work);
        HWND owner = nullptr;
        if (c.owned) {
            owner = Plain(WS_POPUP | WS_VISIBLE, c.owner.left, c.owner.top,
                          c.owner.right - c.owner.left, c.owner.bottom - c.owner.top);
        }
        TestWnd wnd;
        HWND hwnd = wnd.Create(owner, L"c", WS_POPUP, 0, 5, 5, c.size.cx, c.size.cy);
        ASSERT_NE(hwnd, nullptr);
        wnd.CenterWindow();
        const RECT rc = wndtest::WindowRect(hwnd);
        EXPECT_EQ(rc.left, c.expected.x);
        EXPECT_EQ(rc.top, c.expected.y);
        EXPECT_EQ(rc.right - rc.left, c.size.cx);  // the size is kept
        EXPECT_EQ(rc.bottom - rc.top, c.size.cy);
        ::DestroyWindow(hwnd);
        if (owner) ::DestroyWindow(owner);
    }
}

TEST_F(WindowWndTest, ResizeClientSetsTheClientSizeAndWorksOutTheFrame) {
    struct Case {
        const char* name;
        int cx;
        int cy;
        bool dropFrame;  // the style loses its frame before the call
        SIZE client;
    };
    const Case cases[] = {
        {"keep both", -1, -1, false, {300, 200}},
        {"new width", 420, -1, false, {420, 200}},
        {"new height", -1, 150, false, {300, 150}},
        {"both", 250, 260, false, {250, 260}},
        {"frame gone: the outer size follows the kept client size", -1, -1, true, {300, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestWnd wnd;
        HWND hwnd = wnd.Create(nullptr, L"r", WS_OVERLAPPEDWINDOW, 0, 40, 30, 100, 100);
        ASSERT_NE(hwnd, nullptr);
        wnd.ResizeClient(300, 200);
        if (c.dropFrame) ::SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP));
        wnd.ResizeClient(c.cx, c.cy);

        const RECT client = wndtest::ClientRect(hwnd);
        EXPECT_EQ(client.right, c.client.cx);
        EXPECT_EQ(client.bottom, c.client.cy);
        RECT expected = {0, 0, c.client.cx, c.client.cy};
        ::AdjustWindowRectEx(&expected, static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)),
                             FALSE, 0);
        const RECT rc = wndtest::WindowRect(hwnd);
        EXPECT_EQ(rc.right - rc.left, expected.right - expected.left);
        EXPECT_EQ(rc.bottom - rc.top, expected.bottom - expected.top);
        EXPECT_EQ(rc.left, 40);  // not moved
        EXPECT_EQ(rc.top, 30);
        ::DestroyWindow(hwnd);
        wnd.ResizeClient(10, 10);  // no window: nothing happens
    }
}

TEST_F(WindowWndTest, SetIconWithoutAnIconFileLeavesTheWindowWithoutIcons) {
    TestWnd wnd;
    HWND hwnd = wnd.Create(nullptr, L"i", WS_POPUP, 0, 0, 0, 30, 30);
    ASSERT_NE(hwnd, nullptr);
    wnd.seen.clear();
    wnd.SetIcon(128);
    EXPECT_FALSE(wnd.Saw(WM_SETICON));
    EXPECT_EQ(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
}

}  // namespace
