#include "skinframe/skin_string.h"

#include <gtest/gtest.h>

#include <string>

#include "skinframe/paint_manager.h"
#include "skinframe/stringorid.h"

namespace {

TEST(SkinString, AssignsWideAndNarrowTextAcrossTheLocalBufferLimit) {
    const std::wstring longText(200, L'x');
    struct Case {
        CSkinString value;
        std::wstring expected;
    } cases[] = {
        {CSkinString(), L""},
        {CSkinString(static_cast<LPCWSTR>(nullptr)), L""},
        {CSkinString(L"abc"), L"abc"},
        {CSkinString(L"abcdef", 3), L"abc"},
        {CSkinString(L"ab\0cd", 5), L"ab"},  // a length never reads past a terminator
        {CSkinString(longText.c_str()), longText},
        {CSkinString("na\xc3\xafve"), L"na\u00efve"},  // narrow text is UTF-8 here
        {CSkinString(L'Q'), L"Q"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::wstring(c.value.GetData()), c.expected);
        EXPECT_EQ(c.value.GetLength(), static_cast<int>(c.expected.size()));
    }

    CSkinString s;
    s = "\xe4\xb8\xad";
    EXPECT_EQ(s, L"\u4e2d");
    s = longText.c_str();
    CSkinString copy(s), moved(static_cast<CSkinString&&>(s));
    EXPECT_EQ(copy, longText.c_str());
    EXPECT_EQ(moved, longText.c_str());
    EXPECT_TRUE(s.IsEmpty());
    copy = L"short";
    moved = static_cast<CSkinString&&>(copy);
    EXPECT_EQ(moved, L"short");
}

TEST(SkinString, ConcatenatesIncludingWithItself) {
    CSkinString s(L"ab");
    s += L"cd";
    s += L'e';
    s = L">" + s + L"<";
    EXPECT_EQ(s, L">abcde<");
    for (int i = 0; i < 5; ++i) s += s;  // grows from the local buffer into the heap
    EXPECT_EQ(s.GetLength(), 7 * 32);
    EXPECT_EQ(s.Left(14), L">abcde<>abcde<");
    s.Assign(s.GetData() + 1, 5);  // a part of itself
    EXPECT_EQ(s, L"abcde");
}

TEST(SkinString, ComparesWithAndWithoutCase) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int exact;
        int noCase;
    } cases[] = {
        {L"abc", L"abc", 0, 0},        {L"abc", L"ABC", 1, 0},
        {L"abc", L"abd", -1, -1},      {L"ab", L"abc", -1, -1},
        {L"", nullptr, 0, 0},          {L"\u00c9t\u00e9", L"\u00e9T\u00c9", -1, 0},
        {L"a", L"\U0001F600", -1, -1},
    };
    for (const Case& c : cases) {
        CSkinString s(c.a);
        auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
        EXPECT_EQ(sign(s.Compare(c.b)), c.exact) << c.a;
        EXPECT_EQ(sign(s.CompareNoCase(c.b)), c.noCase) << c.a;
    }
    EXPECT_TRUE(CSkinString(L"x") == CSkinString(L"x"));
    EXPECT_TRUE(L"x" == CSkinString(L"x"));
    EXPECT_TRUE(CSkinString(L"a") < L"b");
}

TEST(SkinString, CutsSearchesAndConvertsCase) {
    const CSkinString s(L"Hello, World");
    EXPECT_EQ(s.Left(5), L"Hello");
    EXPECT_EQ(s.Left(99), L"Hello, World");
    EXPECT_EQ(s.Left(-1), L"");
    EXPECT_EQ(s.Mid(7), L"World");
    EXPECT_EQ(s.Mid(7, 2), L"Wo");
    EXPECT_EQ(s.Mid(50, 2), L"");
    EXPECT_EQ(s.Mid(-3, 2), L"He");
    EXPECT_EQ(s.Right(5), L"World");
    EXPECT_EQ(s.Right(99), L"Hello, World");

    EXPECT_EQ(s.Find(L'o'), 4);
    EXPECT_EQ(s.Find(L'o', 5), 8);
    EXPECT_EQ(s.Find(L'z'), -1);
    EXPECT_EQ(s.Find(L"World"), 7);
    EXPECT_EQ(s.Find(L"World", 8), -1);
    EXPECT_EQ(s.Find(L'o', 100), -1);
    EXPECT_EQ(s.ReverseFind(L'o'), 8);
    EXPECT_EQ(s.GetAt(100), 0);

    CSkinString t(L"\u00e4bc-Straße");
    t.MakeUpper();
    EXPECT_EQ(t, L"\u00c4BC-STRAßE");
    t.MakeLower();
    EXPECT_EQ(t, L"\u00e4bc-straße");

    CSkinString r(L"a.b.c");
    EXPECT_EQ(r.Replace(L".", L"::"), 2);
    EXPECT_EQ(r, L"a::b::c");
    EXPECT_EQ(r.Replace(L"x", L"y"), 0);
}

TEST(SkinString, FormatsWithWindowsWideConventionsAndStaysBounded) {
    CSkinString s;
    EXPECT_EQ(s.Format(L"%s(%d);", L"NotifyFinish", 0), 16);
    EXPECT_EQ(s, L"NotifyFinish(0);");
    s.Format(L"[%5s|%-3c|%S|%hs|%ls|%C|%%|%I64d|%.2f]", L"ab", L'z', "nar", "row", L"w", 'c',
             static_cast<long long>(1) << 40, 1.5);
    EXPECT_EQ(s, L"[   ab|z  |nar|row|w|c|%|1099511627776|1.50]");

    const std::wstring big(5000, L'q');  // beyond the first buffer: grows
    EXPECT_EQ(s.Format(L"<%s>", big.c_str()), 5002);

    const std::wstring huge(CSkinString::MAX_FORMAT_LENGTH + 1, L'q');
    EXPECT_EQ(s.Format(L"%s", huge.c_str()), -1);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringOrId, TellsIdentifiersFromText) {
    STRINGorID id(0x12345u);
    EXPECT_TRUE(id.IsId());
    EXPECT_EQ(id.GetId(), 0x2345);
    STRINGorID text(L"main_wnd.xml");
    EXPECT_FALSE(text.IsId());
    EXPECT_STREQ(text.m_lpstr, L"main_wnd.xml");
}

TEST(ResourcePath, GetsATrailingSeparatorUnlessEmpty) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"/opt/tool/skin", L"/opt/tool/skin/"},
        {L"/opt/tool/skin/", L"/opt/tool/skin/"},
        {L"C:\\skin\\", L"C:\\skin\\"},
        {L"", L""},
        {nullptr, L""},
    };
    for (const Case& c : cases) {
        CPaintManagerUI::SetResourcePath(c.in);
        EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), c.out);
    }
}

}  // namespace
