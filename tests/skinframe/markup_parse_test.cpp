#include <gtest/gtest.h>

#include <string>

#include "skinframe/markup.h"

namespace {

// A compact picture of a parsed tree: name, [attributes], 'value', {children}; siblings are
// separated by a space.
std::wstring Dump(CMarkupNode node) {
    std::wstring out;
    for (; node.IsValid(); node = node.GetSibling()) {
        if (!out.empty()) out += L' ';
        out += node.GetName();
        if (node.HasAttributes()) {
            out += L'[';
            for (int i = 0; i < node.GetAttributeCount(); ++i) {
                if (i > 0) out += L',';
                out += node.GetAttributeName(i);
                out += L'=';
                out += node.GetAttributeValue(i);
            }
            out += L']';
        }
        if (*node.GetValue() != 0) out += std::wstring(L"'") + node.GetValue() + L"'";
        if (node.HasChildren()) out += L'{' + Dump(node.GetChild()) + L'}';
    }
    return out;
}

std::wstring Message(const CMarkup& markup) {
    wchar_t text[100] = {};
    markup.GetLastErrorMessage(text, 100);
    return text;
}

std::wstring Location(const CMarkup& markup) {
    wchar_t text[50] = {};
    markup.GetLastErrorLocation(text, 50);
    return text;
}

TEST(MarkupParse, BuildsTheExpectedTree) {
    struct Case {
        const wchar_t* text;
        const wchar_t* tree;
    } cases[] = {
        {L"<Window><A /></Window>", L"Window{A}"},
        // The document may end inside the root or inside a direct child of it.
        {L"<Window>", L"Window"},
        {L"<Window><A>", L"Window{A}"},
        {L"<Window size=\"10,20\">", L"Window[size=10,20]"},
        {L"<a>x<b /></a>", L"a'x'{b}"},
        {L"<a></a >", L"a"},
        {L"<a>&lt;&amp;&gt;</a>", L"a'<&>'"},
        {L"<a>&quot;&apos;&#65;&nbsp;&AMP;&</a>", L"a'\"'&#65;&nbsp;&AMP;&'"},
        {L"<a t=\"&lt;b&gt;\" u=\"&quot;q&quot;\" v=\"plain\"/>", L"a[t=<b>,u=\"q\",v=plain]"},
        {L"<a b = \"1\"\tc=\"\"  ></a>", L"a[b=1,c=]"},
        // Whitespace, comments and processing instructions make no elements.
        {L"  \r\n<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- c -->\n<a>\n  <b/>\n</a>\n",
         L"a'\n  '{b}"},
        {L"<a><!-- inside --><b/><?pi?><c/></a>", L"a{b c}"},
        {L"<a/><b/>", L"a b"},  // several top-level elements; the first is the root
        {L"<a/></junk>", L"a"},
        // The short form is an empty element too.
        {L"<W><A/><B/></W>", L"W{A B}"},
        // Names: letters of any script, digits first, "_" and ":"; a combining mark stays
        // with its letter.
        {L"<1x_:y/>", L"1x_:y"},
        {L"<Fen\u00eatre titre=\"\u4e2d\u6587\"/>", L"Fen\u00eatre[titre=\u4e2d\u6587]"},
        {L"<Fene\u0302tre/>", L"Fene\u0302tre"},
        {L"<a><b><c><d/></c></b></a>", L"a{b{c{d}}}"},
        {L"<a>\U0001F600 &amp; \u00e9</a>", L"a'\U0001F600 & \u00e9'"},
    };
    for (const Case& c : cases) {
        CMarkup markup;
        ASSERT_TRUE(markup.Load(c.text)) << c.text << ": " << Message(markup);
        EXPECT_TRUE(markup.IsValid());
        EXPECT_EQ(Dump(markup.GetRoot()), c.tree) << c.text;
    }
}

TEST(MarkupParse, ReportsEachFailureWithItsLocation) {
    struct Case {
        const wchar_t* text;
        const wchar_t* message;
        const wchar_t* location;
    } cases[] = {
        {L"<Window><A><B>", L"Expected end-tag start", L""},
        {L"<Window><A><B />", L"Expected start tag", L""},
        {L"<a>x<b />y</a>", L"Expected start tag", L"y</a>"},
        {L"text", L"Expected start tag", L"text"},
        {L"<!-- a -> b --><a/>", L"Expected start tag", L"b --><a/>"},
        {L"<", L"Error parsing element name", L""},
        {L"<abc", L"Error parsing element name", L""},
        {L"<a b=\"1\"/x>", L"Expected start-tag closing", L"/x>"},
        {L"<a b=\"1\"", L"Expected start-tag closing", L""},
        {L"<a></b>", L"Unmatched closing tag", L"b>"},
        {L"<a></ab>", L"Unmatched closing tag", L">"},
        {L"<a><b></a></b>", L"Unmatched closing tag", L"a></b>"},
        {L"<a></a", L"Unmatched closing tag", L""},
        {L"<a b='1'/>", L"Expected attribute value", L"1'/>"},
        {L"<a b=", L"Expected attribute value", L""},
        {L"<a b=\"1\" c/>", L"Error while parsing attributes", L"/>"},
        {L"<a b>", L"Error while parsing attributes", L">"},
        {L"<a-b/>", L"Error while parsing attributes", L"/>"},
        {L"<a b=\"1/>", L"Error while parsing attribute string", L""},
    };
    for (const Case& c : cases) {
        CMarkup markup;
        EXPECT_FALSE(markup.Load(c.text)) << c.text;
        EXPECT_EQ(Message(markup), c.message) << c.text;
        EXPECT_EQ(Location(markup), c.location) << c.text;
        EXPECT_FALSE(markup.IsValid());
        EXPECT_FALSE(markup.GetRoot().IsValid());
    }
}

TEST(MarkupParse, AcceptsDocumentsWithoutARoot) {
    for (const wchar_t* text :
         {L"", L"  \n\t ", L"<!-- only a comment -->", L"<?pi?>\n<!-- c -->"}) {
        CMarkup markup;
        EXPECT_TRUE(markup.Load(text)) << text;
        EXPECT_TRUE(markup.IsValid());
        EXPECT_FALSE(markup.GetRoot().IsValid()) << text;
    }
}

TEST(MarkupParse, KeepsTheFirst64AttributesOfAnElement) {
    std::wstring text = L"<a";
    for (int i = 1; i <= 70; ++i) {
        text += L" k" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"&amp;\"";
    }
    text += L"/>";
    CMarkup markup(text.c_str());
    CMarkupNode root = markup.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_EQ(root.GetAttributeCount(), 64);
    EXPECT_STREQ(root.GetAttributeName(63), L"k64");
    EXPECT_STREQ(root.GetAttributeValue(63), L"v64&");
    EXPECT_STREQ(root.GetAttributeValue(L"k64"), L"v64&");
    EXPECT_STREQ(root.GetAttributeValue(L"k70"), L"");
    EXPECT_FALSE(root.HasAttribute(L"k70"));
    EXPECT_STREQ(root.GetAttributeValue(64), L"");
}

TEST(MarkupParse, NodeAccessorsHandleInvalidNodesAndBadIndexes) {
    CMarkup markup(L"<W x=\"12345\"><A/><B/><A id=\"2\"/></W>");
    CMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(root.GetAttributeValue(-1), L"");
    EXPECT_STREQ(root.GetAttributeName(-1), L"");
    EXPECT_STREQ(root.GetAttributeValue(L"missing"), L"");
    EXPECT_FALSE(root.GetParent().IsValid());
    EXPECT_FALSE(root.HasSiblings());
    EXPECT_STREQ(root.GetChild(L"A").GetName(), L"A");
    EXPECT_FALSE(root.GetChild(L"A").HasAttributes());
    EXPECT_STREQ(root.GetChild(L"A").GetSibling().GetSibling().GetAttributeValue(L"id"), L"2");
    EXPECT_FALSE(root.GetChild(L"a").IsValid());
    EXPECT_STREQ(root.GetChild().GetParent().GetName(), L"W");

    // Buffer copies behave like wcsncpy: no terminator when the value fills the buffer.
    wchar_t buffer[8];
    std::wmemset(buffer, L'#', 8);
    EXPECT_TRUE(root.GetAttributeValue(L"x", buffer, 3));
    EXPECT_EQ(std::wstring(buffer, 4), L"123#");
    EXPECT_TRUE(root.GetAttributeValue(0, buffer, 8));
    EXPECT_STREQ(buffer, L"12345");
    EXPECT_FALSE(root.GetAttributeValue(1, buffer, 8));
    EXPECT_FALSE(root.GetAttributeValue(L"y", buffer, 8));

    CMarkupNode invalid;
    EXPECT_EQ(invalid.GetName(), nullptr);
    EXPECT_EQ(invalid.GetValue(), nullptr);
    EXPECT_EQ(invalid.GetAttributeValue(-1), nullptr);
    EXPECT_EQ(invalid.GetAttributeValue(L"x"), nullptr);
    EXPECT_EQ(invalid.GetAttributeName(0), nullptr);
    EXPECT_EQ(invalid.GetAttributeCount(), 0);
    EXPECT_FALSE(invalid.HasChildren());
    EXPECT_FALSE(invalid.HasAttribute(L"x"));
    EXPECT_FALSE(invalid.GetAttributeValue(L"x", buffer, 8));
    EXPECT_FALSE(invalid.GetChild().IsValid());
    EXPECT_FALSE(invalid.GetChild(L"A").IsValid());
}

TEST(MarkupParse, DecodedValuesNeverRunIntoWhatFollows) {
    // Entities shorten a value in place; what is left behind must not show in the value, also
    // when the document ends inside the element or a child follows.
    struct Case {
        const wchar_t* text;
        const wchar_t* value;
    } cases[] = {
        {L"<a>x&amp;y", L"x&y"},
        {L"<a>x&amp;<b/></a>", L"x&"},
        {L"<a>&lt;&lt;</a>", L"<<"},
        {L"<a>&lt;&lt;<b/>", L"<<"},
    };
    for (const Case& c : cases) {
        CMarkup markup(c.text);
        ASSERT_TRUE(markup.IsValid()) << c.text;
        EXPECT_STREQ(markup.GetRoot().GetValue(), c.value) << c.text;
        EXPECT_STREQ(markup.GetRoot().GetName(), L"a") << c.text;
    }
}

TEST(MarkupParse, CollapsesWhitespaceOnlyWhenAsked) {
    const wchar_t* text = L"<a t=\"x  \t y\">one   two\n three</a>";
    CMarkup kept(text);
    EXPECT_STREQ(kept.GetRoot().GetValue(), L"one   two\n three");
    EXPECT_STREQ(kept.GetRoot().GetAttributeValue(L"t"), L"x  \t y");

    CMarkup collapsed;
    collapsed.SetPreserveWhitespace(false);
    ASSERT_TRUE(collapsed.Load(text));
    EXPECT_STREQ(collapsed.GetRoot().GetValue(), L"one two\n three");
    EXPECT_STREQ(collapsed.GetRoot().GetAttributeValue(L"t"), L"x y");
}

TEST(MarkupParse, KeepsErrorTextsWithinTheirBounds) {
    const std::wstring tail(80, L'z');
    CMarkup markup;
    EXPECT_FALSE(markup.Load((L"<a>x<b/>" + tail).c_str()));
    EXPECT_EQ(Location(markup), tail.substr(0, 49));

    wchar_t small[5];
    std::wmemset(small, L'#', 5);
    markup.GetLastErrorMessage(small, 4);
    EXPECT_EQ(std::wstring(small, 5), L"Expe#");
}

TEST(MarkupParse, ReloadReplacesTheDocumentAndFailureEmptiesIt) {
    CMarkup markup(L"<first/>");
    EXPECT_STREQ(markup.GetRoot().GetName(), L"first");
    EXPECT_TRUE(markup.Load(L"<second/>"));
    EXPECT_STREQ(markup.GetRoot().GetName(), L"second");
    EXPECT_FALSE(markup.Load(L"<third>x<y/>z</third>"));
    EXPECT_FALSE(markup.IsValid());
    EXPECT_EQ(Message(markup), L"Expected start tag");
    EXPECT_TRUE(markup.Load(L"<fourth/>"));
    EXPECT_EQ(Message(markup), L"");
    markup.Release();
    EXPECT_FALSE(markup.IsValid());
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(MarkupParse, HandlesManyAndDeeplyNestedElements) {
    // Thousands of siblings take the table through several growth steps.
    std::wstring wide = L"<list>";
    for (int i = 0; i < 3000; ++i) wide += L"<item n=\"" + std::to_wstring(i) + L"\"/>";
    wide += L"</list>";
    CMarkup markup(wide.c_str());
    int count = 0;
    for (CMarkupNode n = markup.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling()) {
        EXPECT_EQ(n.GetAttributeValue(L"n"), std::to_wstring(count++));
        EXPECT_STREQ(n.GetParent().GetName(), L"list");
    }
    EXPECT_EQ(count, 3000);

    // Nesting far deeper than any stack would allow for a recursive descent.
    const int depth = 300000;
    std::wstring deep;
    for (int i = 0; i < depth; ++i) deep += L"<d>";
    for (int i = 0; i < depth; ++i) deep += L"</d>";
    ASSERT_TRUE(markup.Load(deep.c_str()));
    int levels = 0;
    for (CMarkupNode n = markup.GetRoot(); n.IsValid(); n = n.GetChild()) ++levels;
    EXPECT_EQ(levels, depth);
    EXPECT_FALSE(markup.Load(deep.substr(0, depth * 3).c_str()));
    EXPECT_EQ(Message(markup), L"Expected end-tag start");
}

}  // namespace
