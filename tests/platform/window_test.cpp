// Classes and windows: registration, creation and destruction sequences, window data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_kernel.h"
#include "platform/win_user.h"
#include "support/message_recorder.h"

namespace {

using Names = std::vector<std::string>;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        msgrec::RegisterClass(L"RecWindow");
        msgrec::Log::Get().Clear();
    }
    void TearDown() override {
        msgrec::ClearHandlers();
        for (HWND h : made_) {
            if (IsWindow(h)) DestroyWindow(h);
        }
        msgrec::Pump();
    }
    HWND Make(DWORD style, HWND parent = nullptr, int x = 10, int y = 20, int cx = 200,
              int cy = 100, LPVOID param = nullptr, DWORD ex = 0) {
        HWND h = CreateWindowExW(ex, L"RecWindow", L"title", style, x, y, cx, cy, parent, nullptr,
                                 nullptr, param);
        made_.push_back(h);
        return h;
    }
    std::vector<HWND> made_;
};

TEST_F(WindowTest, ClassRegistrationRefusesDuplicatesAndSuperclassingCopiesTheProcedure) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"DupClass";
    wc.style = CS_DBLCLKS;
    ASSERT_NE(RegisterClassW(&wc), 0);
    wc.lpszClassName = L"DUPCLASS";  // names compare without regard to case
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

    WNDCLASSEXW ex{};
    ex.cbSize = 48;  // a 32-bit caller's size is accepted
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"dupclass", &ex));
    EXPECT_EQ(ex.lpfnWndProc, &DefWindowProcW);
    EXPECT_EQ(ex.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_FALSE(GetClassInfoExW(nullptr, L"NoSuchClass", &ex));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);

    // The system's tooltip class is there for superclassing too.
    EXPECT_TRUE(GetClassInfoExW(nullptr, L"tooltips_class32", &ex));

    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
}

struct CreationCase {
    const char* name;
    DWORD style;
    bool child;
    Names expected;
};

TEST_F(WindowTest, CreationSendsTheDocumentedSequence) {
    const Names base = {"WM_NCCREATE", "WM_NCCALCSIZE", "WM_CREATE", "WM_SIZE", "WM_MOVE"};
    Names overlapped = base;
    overlapped.insert(overlapped.begin(), "WM_GETMINMAXINFO");
    const CreationCase cases[] = {
        {"overlapped", WS_OVERLAPPEDWINDOW, false, overlapped},
        {"popup", WS_POPUP, false, base},
        {"resizable popup", WS_POPUP | WS_THICKFRAME, false, overlapped},
        {"child", WS_CHILD, true, base},
    };
    HWND parent = Make(WS_POPUP);
    for (const auto& c : cases) {
        msgrec::Log::Get().Clear();
        HWND h = Make(c.style, c.child ? parent : nullptr);
        ASSERT_NE(h, nullptr) << c.name;
        EXPECT_EQ(msgrec::Log::Get().Names(h), c.expected) << c.name;
    }
}

TEST_F(WindowTest, CreationParameterAndGeometryReachTheWindow) {
    int marker = 0;
    LPVOID seen = nullptr;
    RECT calc{};
    WPARAM sizeKind = 99;
    LPARAM sizeArg = 0, moveArg = 0;
    msgrec::RegisterClass(L"RecWindow",
                          [&](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
                              if (m == WM_NCCREATE)
                                  seen = reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams;
                              if (m == WM_NCCALCSIZE && !w) calc = *reinterpret_cast<RECT*>(l);
                              if (m == WM_SIZE) sizeKind = w, sizeArg = l;
                              if (m == WM_MOVE) moveArg = l;
                              return std::nullopt;
                          });
    HWND h = Make(WS_POPUP | WS_BORDER, nullptr, 30, 40, 120, 80, &marker);
    EXPECT_EQ(seen, &marker);
    EXPECT_EQ(calc.left, 30);
    EXPECT_EQ(calc.right, 150);
    // A one-pixel border around a 118x78 client area at (31, 41).
    EXPECT_EQ(sizeKind, SIZE_RESTORED);
    EXPECT_EQ(sizeArg, MAKELPARAM(118, 78));
    EXPECT_EQ(moveArg, MAKELPARAM(31, 41));
    RECT rc;
    GetClientRect(h, &rc);
    EXPECT_EQ(rc.right, 118);
    EXPECT_EQ(rc.bottom, 78);
    wchar_t text[16];
    EXPECT_EQ(GetWindowTextW(h, text, 16), 5);
    EXPECT_STREQ(text, L"title");
}

TEST_F(WindowTest, DefaultPlacementFitsTheWorkArea) {
    HWND h =
        CreateWindowExW(0, L"RecWindow", L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    made_.push_back(h);
    RECT r;
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_GT(r.right - r.left, 0);
    EXPECT_GT(r.bottom - r.top, 0);
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.right, 1920);
    EXPECT_LE(r.bottom, 1080);
}

TEST_F(WindowTest, CreationFailsWhenTheWindowRefuses) {
    for (UINT refuse : {WM_NCCREATE, WM_CREATE}) {
        msgrec::RegisterClass(L"RecWindow",
                              [refuse](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
                                  if (m == refuse) return refuse == WM_NCCREATE ? 0 : -1;
                                  return std::nullopt;
                              });
        msgrec::Log::Get().Clear();
        EXPECT_EQ(Make(WS_POPUP), nullptr);
        auto recs = msgrec::Log::Get().Records();
        ASSERT_FALSE(recs.empty());
        HWND h = recs.front().hwnd;
        EXPECT_FALSE(IsWindow(h));
        Names expected = refuse == WM_NCCREATE ? Names{"WM_NCCREATE", "WM_NCDESTROY"}
                                               : Names{"WM_NCCREATE", "WM_NCCALCSIZE", "WM_CREATE",
                                                       "WM_DESTROY", "WM_NCDESTROY"};
        EXPECT_EQ(msgrec::Log::Get().Names(h), expected);
    }
}

TEST_F(WindowTest, DestructionGoesParentFirstAndEndsWithNcDestroy) {
    HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND a = Make(WS_CHILD | WS_VISIBLE, top, 0, 0, 10, 10);
    HWND b = Make(WS_CHILD | WS_VISIBLE, top, 20, 0, 10, 10);
    HWND aa = Make(WS_CHILD | WS_VISIBLE, a, 0, 0, 5, 5);
    HWND owned = Make(WS_POPUP, top);
    msgrec::Pump();
    msgrec::Log::Get().Clear();
    bool aliveDuringNcDestroy = false;
    msgrec::SetHandler(top, [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_NCDESTROY) aliveDuringNcDestroy = IsWindow(h) && !IsWindow(a);
        return std::nullopt;
    });
    ASSERT_TRUE(DestroyWindow(top));
    auto seq = msgrec::Log::Get().Sequence({WM_DESTROY, WM_NCDESTROY});
    std::vector<std::pair<HWND, std::string>> expected = {
        {owned, "WM_DESTROY"}, {owned, "WM_NCDESTROY"}, {top, "WM_DESTROY"},  {a, "WM_DESTROY"},
        {aa, "WM_DESTROY"},    {b, "WM_DESTROY"},       {aa, "WM_NCDESTROY"}, {a, "WM_NCDESTROY"},
        {b, "WM_NCDESTROY"},   {top, "WM_NCDESTROY"},
    };
    EXPECT_EQ(seq, expected);
    EXPECT_TRUE(aliveDuringNcDestroy);
    for (HWND h : {top, a, b, aa, owned}) EXPECT_FALSE(IsWindow(h));
    // A dead window answers nothing and takes no posts.
    EXPECT_EQ(SendMessageW(top, WM_USER, 1, 2), 0);
    EXPECT_EQ(SendMessageW(nullptr, WM_USER, 1, 2), 0);
    EXPECT_FALSE(PostMessageW(top, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(WindowTest, CloseDestroysByDefaultAndSysCloseBecomesClose) {
    HWND h = Make(WS_OVERLAPPEDWINDOW);
    SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(msgrec::Log::Get().Names(h, {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}),
              (Names{"WM_SYSCOMMAND", "WM_CLOSE", "WM_DESTROY"}));
}

TEST_F(WindowTest, RelationsOwnerParentAndEnabling) {
    HWND top = Make(WS_OVERLAPPEDWINDOW);
    HWND child = Make(WS_CHILD, top);
    HWND popup = Make(WS_POPUP, child);  // owned by the child's top-level window
    HWND overlapped = Make(WS_OVERLAPPED, top);
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
    EXPECT_EQ(GetParent(popup), top);  // a pop-up reports its owner
    EXPECT_EQ(GetParent(overlapped), nullptr);
    EXPECT_EQ(GetWindow(top, GW_CHILD), child);
    EXPECT_TRUE(IsChild(top, child));
    EXPECT_FALSE(IsChild(top, popup));
    EXPECT_EQ(GetAncestor(child, GA_ROOT), top);

    msgrec::Log::Get().Clear();
    EXPECT_FALSE(EnableWindow(child, FALSE));  // was enabled
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(GetWindowLongPtrW(child, GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(EnableWindow(child, FALSE));  // already disabled: no message
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_EQ(msgrec::Log::Get().Names(child, {WM_ENABLE}), (Names{"WM_ENABLE", "WM_ENABLE"}));
}

TEST_F(WindowTest, WindowLongsPropertiesAndSubclassing) {
    HWND h = Make(WS_POPUP);
    EXPECT_EQ(SetWindowLongPtrW(h, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 1234);

    msgrec::Log::Get().Clear();
    LONG_PTR old = SetWindowLongPtrW(h, GWL_STYLE, WS_POPUP | WS_BORDER);
    EXPECT_EQ(static_cast<DWORD>(old), WS_POPUP | WS_CLIPSIBLINGS);  // top-level windows clip
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)), WS_POPUP | WS_BORDER);
    EXPECT_EQ(msgrec::Log::Get().Names(h), (Names{"WM_STYLECHANGING", "WM_STYLECHANGED"}));
    SetWindowLongPtrW(h, GWL_EXSTYLE, WS_EX_LAYERED);
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_EXSTYLE), static_cast<LONG_PTR>(WS_EX_LAYERED));
    EXPECT_EQ(GetWindowLongPtrW(h, 12345), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    // Subclassing: the new procedure sees the message first and passes it on.
    static WNDPROC previous;
    static std::vector<UINT> seen;
    seen.clear();
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) {
            seen.push_back(m);
            if (m == WM_USER + 7) return LRESULT{77};
            return CallWindowProcW(previous, w, m, wp, lp);
        })));
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(SendMessageW(h, WM_USER + 7, 0, 0), 77);
    msgrec::Log::Get().Clear();
    SendMessageW(h, WM_USER + 8, 0, 0);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 7, WM_USER + 8}));
    EXPECT_EQ(msgrec::Log::Get().Count(h, WM_USER + 8), 1u);
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));

    // Properties: names without regard to case, atoms as names.
    int a = 0, b = 0;
    EXPECT_TRUE(SetPropW(h, L"WndX", &a));
    EXPECT_EQ(GetPropW(h, L"WNDX"), &a);
    EXPECT_TRUE(SetPropW(h, MAKEINTATOM(0xC123), &b));
    EXPECT_EQ(GetPropW(h, MAKEINTATOM(0xC123)), &b);
    EXPECT_EQ(RemovePropW(h, L"wndx"), &a);
    EXPECT_EQ(GetPropW(h, L"WndX"), nullptr);
    EXPECT_EQ(RemovePropW(h, L"WndX"), nullptr);
}

TEST_F(WindowTest, TextSetAndReadInBothWidths) {
    HWND h = Make(WS_OVERLAPPEDWINDOW);
    EXPECT_TRUE(SetWindowTextA(h, "IE\xe4\xb8\xbb\xe9\xa1\xb5"));  // UTF-8 is the ANSI code page
    wchar_t buf[8];
    EXPECT_EQ(GetWindowTextW(h, buf, 8), 4);
    EXPECT_STREQ(buf, L"IE\u4E3B\u9875");
    EXPECT_EQ(GetWindowTextLengthW(h), 4);
    // A short buffer keeps what fits and stays terminated.
    EXPECT_EQ(GetWindowTextW(h, buf, 3), 2);
    EXPECT_STREQ(buf, L"IE");
    char narrow[16];
    EXPECT_EQ(SendMessageA(h, WM_GETTEXT, sizeof(narrow), reinterpret_cast<LPARAM>(narrow)), 8);
    EXPECT_STREQ(narrow, "IE\xe4\xb8\xbb\xe9\xa1\xb5");
    EXPECT_TRUE(SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc")));
    EXPECT_EQ(GetWindowTextW(h, buf, 8), 3);
}

TEST_F(WindowTest, FindWindowByClassAndTitle) {
    msgrec::RegisterClass(L"FindMeClass");
    HWND h = CreateWindowExW(0, L"FindMeClass", L"Host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    made_.push_back(h);
    HWND child = CreateWindowExW(0, L"FindMeClass", L"Kid", WS_CHILD, 0, 0, 1, 1, h, nullptr,
                                 nullptr, nullptr);
    EXPECT_EQ(FindWindowW(L"findmeclass", nullptr), h);
    EXPECT_EQ(FindWindowW(L"FindMeClass", L"Host"), h);
    EXPECT_EQ(FindWindowW(nullptr, L"Host"), h);
    EXPECT_EQ(FindWindowW(L"FindMeClass", L"Kid"), nullptr);  // children are not searched
    EXPECT_EQ(FindWindowW(L"FindMeClass", L"host"), nullptr);
    EXPECT_EQ(FindWindowW(L"ZorvikToolsMainWnd", nullptr), nullptr);
    (void)child;
    DestroyWindow(h);
    EXPECT_EQ(FindWindowW(L"FindMeClass", nullptr), nullptr);
}

TEST(Formatting, WsprintfFollowsTheSystemConventions) {
    wchar_t w[64];
    EXPECT_EQ(wsprintfW(w, L"%s(0);", L"NotifyFinish"), 16);
    EXPECT_STREQ(w, L"NotifyFinish(0);");
    wsprintfW(w, L"[%5d|%-4d|%04x|%X|%hs|%c]", -42, 7, 0xbe, 0xbeef, "n", L'\u4E2D');
    EXPECT_STREQ(w, L"[  -42|7   |00be|BEEF|n|\u4E2D]");
    char a[64];
    wsprintfA(a, "%d %u %s %ls %I64d", -1, 3u, "x", L"y", static_cast<long long>(1) << 40);
    EXPECT_STREQ(a, "-1 3 x y 1099511627776");
    // Output stops at 1024 characters with the terminator.
    std::wstring big(3000, L'a');
    static wchar_t out[2048];
    EXPECT_EQ(wsprintfW(out, L"%s", big.c_str()), 1023);
    EXPECT_EQ(out[1023], L'\0');
}

}  // namespace
