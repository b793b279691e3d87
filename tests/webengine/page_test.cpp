// Loading pages and what they look like.
#include <sys/stat.h>

#include <string>

#include "view_fixture.h"

namespace {

const Rgb kWhite{255, 255, 255};
const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 255};

bool IsDark(const Rgb& c) {
    return c.r + c.g + c.b < 3 * 128;
}

class PageTest : public ViewTest {
  protected:
    // Dark pixels inside a box: their count and the rows they span.
    struct Ink {
        int count = 0;
        int top = 1 << 30;
        int bottom = -1;
        int left = 1 << 30;
        int right = -1;
    };
    Ink InkIn(int x, int y, int w, int h) {
        Ink ink;
        for (int yy = y; yy < y + h; ++yy) {
            for (int xx = x; xx < x + w; ++xx) {
                if (!IsDark(Pixel(xx, yy))) continue;
                ++ink.count;
                ink.top = std::min(ink.top, yy);
                ink.bottom = std::max(ink.bottom, yy);
                ink.left = std::min(ink.left, xx);
                ink.right = std::max(ink.right, xx);
            }
        }
        return ink;
    }
};

TEST_F(PageTest, BoxesLandWhereStyleSheetsPutThem) {
    OpenHtml(R"H(<html><head><style>
        body { margin: 0; }
        #a { position: absolute; left: 10px; top: 10px; width: 50px; height: 30px; background: #ff0000; }
        .b { margin: 60px 0 0 100px; width: 40px; height: 20px; background-color: rgb(0,0,255); }
        </style></head><body><div id="a"></div><div class="b"></div></body></html>)H");
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(59, 39), kRed);
    EXPECT_EQ(Pixel(60, 40), kWhite);
    EXPECT_EQ(Pixel(100, 60), kBlue);
    EXPECT_EQ(Pixel(139, 79), kBlue);
    EXPECT_EQ(Pixel(140, 80), kWhite);
    ASSERT_EQ(buffer.updates.size(), 1u);
    EXPECT_EQ(buffer.updates[0].w, 400) << "the first frame reports the whole view";
    EXPECT_EQ(buffer.updates[0].h, 200);
}

TEST_F(PageTest, LatinAndChineseTextIsDrawn) {
    OpenHtml(R"H(<html><body style="margin:0; font-size: 40px">
        <div style="height:50px">Hello</div>
        <div style="height:50px">你好世界</div>
        <div style="height:50px"><span>一</span></div></body></html>)H");
    Ink latin = InkIn(0, 0, 200, 50);
    Ink cjk = InkIn(0, 50, 200, 50);
    EXPECT_GT(latin.count, 100);
    EXPECT_GT(cjk.count, 100);
    EXPECT_GT(cjk.right - cjk.left, 120) << "four full-width characters";
    // "一" is a single horizontal stroke: wide and flat. A missing-glyph box would be as tall
    // as the line.
    Ink one = InkIn(0, 100, 100, 50);
    ASSERT_GT(one.count, 20);
    EXPECT_GT(one.right - one.left, 25);
    EXPECT_LT(one.bottom - one.top, 8);
}

TEST_F(PageTest, ChineseTextWrapsWithoutSpaces) {
    OpenHtml(R"H(<html><body style="margin:0; font-size: 20px">
        <div style="width: 100px">这是一段没有空格的很长的中文文字</div></body></html>)H");
    Ink firstLine = InkIn(0, 0, 400, 22);
    Ink below = InkIn(0, 24, 400, 60);
    EXPECT_LE(firstLine.right, 100);
    EXPECT_GT(below.count, 50) << "the rest continues on the next lines";
}

TEST_F(PageTest, LinkedStyleSheetsScriptsAndImagesLoadRelativeToThePage) {
    // A 4x4 PNG of pure red, written by hand, and a style sheet and script in sub-folders.
    Open(Fixture("linked/page.html"));
    EXPECT_EQ(Pixel(5, 5), kBlue) << "style sheet from a sub-folder";
    EXPECT_EQ(Pixel(2, 42), kRed) << "image relative to the page";
    EXPECT_EQ(Eval(L"document.title"), L"linked script ran");
}

TEST_F(PageTest, MissingPageShowsAnErrorPageAndKeepsWorking) {
    std::wstring url;
    static std::wstring* seen;
    seen = &url;
    wvClientHandler handler{nullptr, [](const wvClientHandler*, const wchar_t* u) { *seen = u; }};
    view->setClientHandler(&handler);
    std::string missing = dir.File("no-such-page.html");
    Open(std::wstring(missing.begin(), missing.end()));
    EXPECT_NE(url.find(L"no-such-page.html"), std::wstring::npos);
    EXPECT_GT(InkIn(0, 0, 400, 200).count, 0) << "an explanation is shown";
    EXPECT_EQ(Eval(L"6*7"), L"42");
}

TEST_F(PageTest, UrlAndTitleAreReported) {
    struct Seen {
        std::wstring url, title;
        int titles = 0;
    };
    static Seen seen;
    seen = {};
    wvClientHandler handler{[](const wvClientHandler*, const wchar_t* t) {
                                seen.title = t;
                                ++seen.titles;
                            },
                            [](const wvClientHandler*, const wchar_t* u) { seen.url = u; }};
    view->setClientHandler(&handler);
    OpenHtml("<html><head><title> Repair   tool </title></head><body></body></html>");
    EXPECT_EQ(seen.url.rfind(L"file:///", 0), 0u);
    EXPECT_NE(seen.url.find(L"page.html"), std::wstring::npos);
    EXPECT_EQ(seen.title, L"Repair tool");
    view->runJS(L"document.title = '完成'");
    EXPECT_EQ(seen.title, L"完成");
    view->runJS(L"document.title = '完成'");
    EXPECT_EQ(seen.titles, 2) << "an unchanged title is not reported again";
}

TEST_F(PageTest, BackslashRelativePathsFindTheFile) {
    mkdir(dir.File("sub").c_str(), 0700);
    TempDir::Write(dir.File("sub/page.html"), "<html><body><p id=x>here</p></body></html>");
    std::string path = dir.File("sub\\page.html");
    Open(std::wstring(path.begin(), path.end()));
    EXPECT_EQ(Eval(L"document.getElementById('x').textContent"), L"here");
}

TEST_F(PageTest, UnsupportedFeaturesAreIgnored) {
    OpenHtml(R"H(<html><head><style>
        #g { display: grid; grid-template-columns: 1fr 1fr; background: linear-gradient(red, blue);
             transform: rotate(45deg); filter: blur(2px); }
        @supports (display: grid) { #g { color: red; } }
        </style></head><body style="margin:0">
        <div id="g"><canvas width=50 height=50></canvas><video src="x.mp4"></video><svg><circle r=5/></svg></div>
        <script>let a = () => 1; class K {}</script>
        <script>document.write('<p>no</p>'); fetch('http://example.invalid/');</script>
        <script type="module">import x from './x.js';</script>
        <script type="text/template"><p>not script</p></script>
        <div id="after" style="width:30px;height:30px;background:#0000ff"></div>
        <script>document.getElementById('after').setAttribute('data-ok', 'yes');</script>
        </body></html>)H");
    EXPECT_EQ(Eval(L"document.getElementById('after').getAttribute('data-ok')"), L"yes");
    EXPECT_EQ(Eval(L"document.getElementsByTagName('p').length"), L"0");
}

TEST_F(PageTest, HostileMarkupIsBounded) {
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<div>";
    deep += "deep";
    std::string wide(200000, 'x');
    OpenHtml("<html><body>" + deep + "<p title=\"" + wide + "\">" + wide +
             "</p>\xff\xfe\x00 bad bytes" +
             "<table><tr><td><table><tr><td>t</td></tr></table></td></tr></table></body></html>");
    EXPECT_EQ(Eval(L"document.getElementsByTagName('p')[0].title.length"), L"200000");
    EXPECT_EQ(Eval(L"document.body.textContent.indexOf('deep') >= 0"), L"true");
}

}  // namespace
