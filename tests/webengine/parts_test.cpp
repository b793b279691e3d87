// The engine's parsers on their own: addresses, selectors, markup.
#include <gtest/gtest.h>

#include <string>

#include "webengine/dom.h"
#include "webengine/html_parser.h"
#include "webengine/resource_loader.h"
#include "webengine/selector.h"

namespace webengine {
namespace {

TEST(ResolveUrl, LinksResolveLikeABrowserWithinLocalFiles) {
    const char* base = "file:///opt/tool/tpl/index.html";
    struct Case {
        const char* ref;
        const char* url;
    };
    const Case cases[] = {
        {"style.css", "file:///opt/tool/tpl/style.css"},
        {"./js/a.js", "file:///opt/tool/tpl/js/a.js"},
        {"../img/x.png", "file:///opt/tool/img/x.png"},
        {"../../../../../etc/passwd", "file:///etc/passwd"},
        {"/abs/p.css?v=3#frag", "file:///abs/p.css"},
        {"img\\win.png", "file:///opt/tool/tpl/img/win.png"},
        {"a%20b.png", "file:///opt/tool/tpl/a%20b.png"},
        {"  x.css \n", "file:///opt/tool/tpl/x.css"},
        {"file:///other/y.css", "file:///other/y.css"},
        {"http://example.com/a.js", "http://example.com/a.js"},
        {"data:text/css,body{}", "data:text/css,body{}"},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolveUrl(base, c.ref), c.url) << c.ref;
}

TEST(ResolveUrl, OnlyLocalFilesAndDataAreRead) {
    std::string bytes;
    EXPECT_TRUE(ReadUrl("data:text/plain;base64,aGVsbG8=", bytes));
    EXPECT_EQ(bytes, "hello");
    EXPECT_TRUE(ReadUrl("data:,a%20b", bytes));
    EXPECT_EQ(bytes, "a b");
    EXPECT_FALSE(ReadUrl("data:;base64,@@@", bytes));
    EXPECT_FALSE(ReadUrl("http://127.0.0.1/", bytes));
    EXPECT_FALSE(ReadUrl("file:///nonexistent/file", bytes));
    EXPECT_FALSE(ReadUrl("file://remotehost/etc/hostname", bytes));
    EXPECT_FALSE(ReadUrl("file:///proc/self", bytes)) << "folders are not files";
}

TEST(Selectors, MatchAndRefuse) {
    Document doc;
    ParseDocument(doc,
                  "<div id=a class='x y'><ul><li>1</li><li class=x lang=en-US>2</li>"
                  "<li data-k='v w'>3</li></ul><p>t</p><span></span></div>");
    struct Case {
        const char* selector;
        int count;  // -1: not a valid selector
    };
    const Case cases[] = {
        {"li", 3},
        {"#a li", 3},
        {"div > li", 0},
        {"ul > li.x", 1},
        {".x", 2},
        {".x.y", 1},
        {"li + li", 2},
        {"ul ~ p", 1},
        {"li:first-child", 1},
        {"li:nth-child(2n+1)", 2},
        {"li:nth-last-child(1)", 1},
        {"li:not(.x)", 2},
        {"[data-k~=w]", 1},
        {"[lang|=en]", 1},
        {"[data-k^='v ']", 1},
        {"span:empty", 1},
        {"p, span", 2},
        {"*", 0},
        {"DIV#a", 1},
        {"", -1},
        {"li[", -1},
        {"li:hover", -1},
        {"a >", -1},
        {"li::before", -1},
        {"#", -1},
        {",li", -1},
        {":not(", -1},
    };
    for (const Case& c : cases) {
        auto selector = SelectorList::Parse(c.selector);
        if (c.count < 0) {
            EXPECT_EQ(selector, nullptr) << c.selector;
            continue;
        }
        ASSERT_NE(selector, nullptr) << c.selector;
        if (std::string(c.selector) == "*") {
            EXPECT_GT(selector->QueryAll(*doc.root()).size(), 5u);
            continue;
        }
        EXPECT_EQ(static_cast<int>(selector->QueryAll(*doc.root()).size()), c.count) << c.selector;
    }
}

TEST(Selectors, LongDescendantChainsStayFast) {
    Document doc;
    std::string html;
    for (int i = 0; i < 200; ++i) html += "<div>";
    ParseDocument(doc, html);
    std::string text;
    for (int i = 0; i < 40; ++i) text += "div ";
    text += "span";
    auto selector = SelectorList::Parse(text);
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->QueryFirst(*doc.root()), nullptr);
}

TEST(Markup, SerialisedTreeParsesBackToTheSameTree) {
    Document doc;
    ParseDocument(doc,
                  "<p title='a&quot;b' class=x>1 &lt; 2 &amp; <b>bold</b><br>中文</p>"
                  "<style>p > b { color: red }</style><!-- note -->");
    Node* body = doc.body();
    ASSERT_NE(body, nullptr);
    std::string once = InnerHtml(*body);
    EXPECT_EQ(once,
              "<p title=\"a&quot;b\" class=\"x\">1 &lt; 2 &amp; <b>bold</b><br>中文</p>"
              "<style>p > b { color: red }</style><!-- note -->");
    Document again;
    ParseDocument(again, "<body>" + once + "</body>");
    EXPECT_EQ(InnerHtml(*again.body()), once);
}

TEST(Markup, FragmentsAndLimits) {
    Document doc;
    ParseDocument(doc, "<table id=t></table>");
    auto rows = ParseFragment(doc, "<tr><td>a</td></tr>", "tbody");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->tag(), "tr");
    auto text = ParseFragment(doc, "</div>plain<", "div");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0]->data(), "plain<");

    Node::Ptr a = doc.CreateElement("div");
    Node::Ptr b = doc.CreateElement("div");
    std::string error;
    ASSERT_TRUE(a->appendChild(b, &error));
    EXPECT_FALSE(b->appendChild(a, &error)) << "a node cannot go into its own subtree";
    Node::Ptr chain = doc.CreateElement("div");
    Node::Ptr top = chain;
    for (int i = 0; i < Document::kMaxDepth + 10; ++i) {
        Node::Ptr next = doc.CreateElement("div");
        if (!chain->appendChild(next, &error)) break;
        chain = next;
    }
    EXPECT_LE(chain->depth(), Document::kMaxDepth);
}

}  // namespace
}  // namespace webengine
