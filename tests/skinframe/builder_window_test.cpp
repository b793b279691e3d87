// Layouts built into a real window's manager: the "Window" root's settings, a whole layout file
// checked by its pixels, and the program's own main window layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skinframe/controls/controls.h"
#include "skinframe/dialog_builder.h"
#include "skinframe/paint_manager.h"
#include "tests/skinframe/paint_manager_fixture.h"

namespace {

using pmtest::TestWindow;

class SkinFolder {
  public:
    explicit SkinFolder(LPCWSTR folder) { CPaintManagerUI::SetResourcePath(folder); }
    ~SkinFolder() { CPaintManagerUI::SetResourcePath(L""); }
};

std::wstring Text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::wstring Text(const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return std::wstring(buffer, buffer + std::strlen(buffer));
}

std::wstring Pair(SIZE s) {
    return Text("%ld,%ld", static_cast<long>(s.cx), static_cast<long>(s.cy));
}
std::wstring Pair(POINT p) {
    return Text("%ld,%ld", static_cast<long>(p.x), static_cast<long>(p.y));
}
std::wstring Rect(const RECT& r) {
    return Text("%ld,%ld,%ld,%ld", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right), static_cast<long>(r.bottom));
}
std::wstring Hex(DWORD value) {
    return Text("%08X", static_cast<unsigned>(value));
}

// Every window setting a "Window" root may carry, with how to read it back from the manager.
struct RootSetting {
    const wchar_t* attribute;
    const wchar_t* value;
    const wchar_t* expected;
    std::function<std::wstring(CPaintManagerUI&)> read;
};

const std::vector<RootSetting>& RootSettings() {
    static const std::vector<RootSetting> settings = {
        {L"size", L"400,300", L"400,300", [](CPaintManagerUI& m) { return Pair(m.GetInitSize()); }},
        {L"sizebox", L"4,5,6,7", L"4,5,6,7",
         [](CPaintManagerUI& m) { return Rect(m.GetSizeBox()); }},
        {L"caption", L"0,0,0,30", L"0,0,0,30",
         [](CPaintManagerUI& m) { return Rect(m.GetCaptionRect()); }},
        {L"roundcorner", L"5,6", L"5,6",
         [](CPaintManagerUI& m) { return Pair(m.GetRoundCorner()); }},
        {L"mininfo", L"320,200", L"320,200",
         [](CPaintManagerUI& m) { return Pair(m.GetMinInfo()); }},
        {L"maxinfo", L"1000,800", L"1000,800",
         [](CPaintManagerUI& m) { return Pair(m.GetMaxInfo()); }},
        {L"alpha", L"200", L"200",
         [](CPaintManagerUI& m) { return Text("%d", m.GetTransparent()); }},
        {L"bktrans", L"true", L"1",
         [](CPaintManagerUI& m) { return Text("%d", m.IsLayeredWindow()); }},
        {L"gdiplustext", L"true", L"1",
         [](CPaintManagerUI& m) { return Text("%d", m.IsUseGdiplusText()); }},
        {L"richeditcorner", L"1,2,3,4", L"1,2,3,4",
         [](CPaintManagerUI& m) { return Rect(m.GetRichEditCorner()); }},
        {L"disabledfontcolor", L"#FF111111", L"FF111111",
         [](CPaintManagerUI& m) { return Hex(m.GetDefaultDisabledColor()); }},
        {L"defaultfontcolor", L"FF222222", L"FF222222",
         [](CPaintManagerUI& m) { return Hex(m.GetDefaultFontColor()); }},
        {L"linkfontcolor", L"#FF333333", L"FF333333",
         [](CPaintManagerUI& m) { return Hex(m.GetDefaultLinkFontColor()); }},
        {L"linkhoverfontcolor", L"#FF444444", L"FF444444",
         [](CPaintManagerUI& m) { return Hex(m.GetDefaultLinkHoverFontColor()); }},
        {L"selectedcolor", L"#80555555", L"80555555",
         [](CPaintManagerUI& m) { return Hex(m.GetDefaultSelectedBkColor()); }},
        {L"shadowsize", L"5", L"5",
         [](CPaintManagerUI& m) { return Text("%d", m.GetShadow()->GetSize()); }},
        {L"shadowsharpness", L"7", L"7",
         [](CPaintManagerUI& m) { return Text("%u", m.GetShadow()->GetSharpness()); }},
        {L"shadowdarkness", L"100", L"100",
         [](CPaintManagerUI& m) { return Text("%u", m.GetShadow()->GetDarkness()); }},
        {L"shadowposition", L"2,-3", L"2,-3",
         [](CPaintManagerUI& m) { return Pair(m.GetShadow()->GetPosition()); }},
        {L"shadowcolor", L"#FF666666", L"FF666666",
         [](CPaintManagerUI& m) { return Hex(m.GetShadow()->GetColor()); }},
        {L"shadowcorner", L"1,2,3,4", L"1,2,3,4",
         [](CPaintManagerUI& m) { return Rect(m.GetShadow()->GetShadowCorner()); }},
        {L"shadowimage", L"shadow.png", L"shadow.png",
         [](CPaintManagerUI& m) { return std::wstring(m.GetShadow()->GetImage().GetData()); }},
        {L"showshadow", L"true", L"1",
         [](CPaintManagerUI& m) { return Text("%d", m.GetShadow()->IsShowShadow()); }},
    };
    return settings;
}

// Reads every setting back the moment the first control is asked for.
class SettingsAtFirstControl : public IDialogBuilderCallback {
  public:
    explicit SettingsAtFirstControl(CPaintManagerUI* manager) : m_manager(manager) {}
    CControlUI* CreateControl(LPCWSTR) override {
        if (seen.empty()) {
            for (const RootSetting& s : RootSettings()) seen.push_back(s.read(*m_manager));
        }
        return new CControlUI;
    }
    std::vector<std::wstring> seen;

  private:
    CPaintManagerUI* m_manager;
};

TEST(DialogBuilderWindow, WindowRootSettingsReachTheManagerBeforeAnyControl) {
    for (const wchar_t* root : {L"Window", L"Dialog", L"window"}) {
        SCOPED_TRACE(testing::Message() << root);
        const bool applies = std::wcscmp(root, L"Window") == 0;
        TestWindow window;
        CPaintManagerUI untouched;
        std::wstring xml = std::wstring(L"<") + root;
        for (const RootSetting& s : RootSettings()) {
            xml += std::wstring(L" ") + s.attribute + L"=\"" + s.value + L"\"";
        }
        xml += std::wstring(L"><Custom /></") + root + L">";

        SettingsAtFirstControl callback(&window.manager);
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> built(
            builder.Create(xml.c_str(), nullptr, &callback, &window.manager));
        ASSERT_NE(built, nullptr);
        ASSERT_EQ(callback.seen.size(), RootSettings().size());
        for (size_t i = 0; i < RootSettings().size(); ++i) {
            const RootSetting& s = RootSettings()[i];
            SCOPED_TRACE(testing::Message() << s.attribute);
            EXPECT_EQ(callback.seen[i], applies ? s.expected : s.read(untouched));
        }
        // The initial size sizes the window at once, while it has no tree yet.
        RECT client = {};
        ::GetClientRect(window.hwnd, &client);
        EXPECT_EQ(Rect(client), applies ? L"0,0,400,300" : L"0,0,300,200");
    }
}

TEST(DialogBuilderWindow, AnIncludedWindowRootSetsTheWindowToo) {
    SkinFolder folder(L"" IEFIX_BUILDER_FIXTURES);
    TestWindow window;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> built(builder.Create(
        L"<Dialog><VerticalLayout><Include source=\"include_shared.xml\" /></VerticalLayout>"
        L"</Dialog>",
        nullptr, nullptr, &window.manager));
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(Rect(window.manager.GetCaptionRect()), L"0,0,0,33");
}

// The rectangle that holds every pixel of a colour other than white, in client coordinates.
RECT Ink(const TestWindow& window, const RECT& area) {
    RECT ink = {area.right, area.bottom, area.left, area.top};
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (window.Pixel(x, y) == 0xFFFFFF) continue;
            ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                   std::max(ink.bottom, y + 1)};
        }
    }
    return ink;
}

bool HasPixel(const TestWindow& window, const RECT& area, DWORD rgb) {
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (window.Pixel(x, y) == rgb) return true;
        }
    }
    return false;
}

TEST(DialogBuilderWindow, ALayoutFileShowsWhatItDeclares) {
    SkinFolder folder(L"" IEFIX_BUILDER_FIXTURES);
    TestWindow window;
    CPaintManagerUI& manager = window.manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"layout.xml", nullptr, nullptr, &manager);
    ASSERT_NE(root, nullptr);
    window.Attach(root);

    // The window's settings, fonts and image.
    EXPECT_EQ(Pair(manager.GetClientSize()), L"200,120");
    EXPECT_EQ(Rect(manager.GetCaptionRect()), L"0,0,0,24");
    EXPECT_EQ(Pair(manager.GetRoundCorner()), L"6,6");
    ASSERT_EQ(manager.GetCustomFontCount(), 2u);
    EXPECT_EQ(manager.GetFontInfo(0)->iSize, 10);
    EXPECT_EQ(manager.GetDefaultFontInfo()->iSize, 28);
    EXPECT_TRUE(manager.GetDefaultFontInfo()->bBold);
    ASSERT_NE(manager.GetImage(L"swatch.png"), nullptr);
    EXPECT_EQ(manager.GetImage(L"swatch.png")->dwMask, 0xFFFF00FFu);

    // The controls carry what the file gave them: the default list, then their own attributes.
    CControlUI* ok = manager.FindControl(L"ok");
    CControlUI* cancel = manager.FindControl(L"cancel");
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(ok->GetBkColor(), 0xFF00A000u);
    EXPECT_EQ(ok->GetFixedHeight(), 20);
    EXPECT_EQ(cancel->GetBkColor(), 0xFF0000FFu);
    EXPECT_EQ(cancel->GetFixedHeight(), 20);
    EXPECT_EQ(static_cast<CLabelUI*>(manager.FindControl(L"small"))->GetFont(), 0);
    EXPECT_EQ(static_cast<CLabelUI*>(manager.FindControl(L"large"))->GetFont(), -1);
    EXPECT_EQ(static_cast<IContainerUI*>(root->GetInterface(L"IContainer"))->GetCount(), 6);

    const struct {
        int x, y;
        DWORD rgb;
        const char* what;
    } pixels[] = {
        {25, 20, 0xFF0000, "red cell"},
        {52, 20, 0x2080E0, "left half of the image"},
        {64, 20, 0xFFFFFF, "masked half of the image"},
        {100, 10, 0x00A000, "button coloured by the default list"},
        {100, 30, 0xFFFFFF, "below the button, whose height came from the default list"},
        {166, 10, 0x0000FF, "button with its own colour"},
        {166, 30, 0xFFFFFF, "below the second button"},
        {100, 45, 0x808000, "first included band"},
        {100, 51, 0xFFFFFF, "gap after the first band"},
        {100, 57, 0x808000, "second included band"},
        {100, 63, 0xFFFFFF, "gap after the second band"},
    };
    for (const auto& p : pixels) {
        EXPECT_EQ(window.Pixel(p.x, p.y), p.rgb) << p.what;
    }

    // The same text in the small custom font and in the large bold default font, both in the
    // window's default text colour.
    const RECT small = Ink(window, {0, 64, 100, 120});
    const RECT large = Ink(window, {100, 64, 200, 120});
    ASSERT_LT(small.top, small.bottom);
    ASSERT_LT(large.top, large.bottom);
    EXPECT_GT(large.bottom - large.top, (small.bottom - small.top) * 2);
    EXPECT_TRUE(HasPixel(window, large, 0x0000C0));
}

// The main window's callback, as far as the layout is concerned: "WebView" in any case.
class WebViewStandIn : public IDialogBuilderCallback {
  public:
    CControlUI* CreateControl(LPCWSTR pstrClass) override {
        if (CSkinString(pstrClass).CompareNoCase(L"WebView") != 0) return nullptr;
        return new CControlUI;
    }
};

TEST(DialogBuilderWindow, MainWindowLayoutGivesTheWebViewTheWholeWindow) {
    SkinFolder folder(L"" IEFIX_SKIN_FOLDER);
    TestWindow window;
    WebViewStandIn callback;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"main_wnd.xml", nullptr, &callback, &window.manager);
    ASSERT_NE(root, nullptr);
    window.Attach(root);

    CControlUI* web = window.manager.FindControl(L"webWnd");
    ASSERT_NE(web, nullptr);
    const SIZE client = window.manager.GetClientSize();
    EXPECT_GT(client.cx, 0);
    EXPECT_GT(client.cy, 0);
    EXPECT_EQ(Rect(web->GetPos()), Rect({0, 0, client.cx, client.cy}));
    EXPECT_EQ(Pair(window.manager.GetInitSize()), Pair(client));
    // The page moves the window; the skin asks for no caption band and no resize borders.
    EXPECT_EQ(Rect(window.manager.GetCaptionRect()), L"0,0,0,0");
    EXPECT_EQ(Rect(window.manager.GetSizeBox()), L"0,0,0,0");
}

}  // namespace
