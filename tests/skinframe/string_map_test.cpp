#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "skinframe/std_string_ptr_map.h"

namespace {

int a, b, c, d;

TEST(StringPtrMap, HashesFromTheLastCharacterToTheFirst) {
    // "ab": h = 'b'; h = h * 33 + 'a'.
    EXPECT_EQ(CStdStringPtrMap::HashKey(L"ab"), 98u * 33 + 97);
    EXPECT_EQ(CStdStringPtrMap::HashKey(L""), 0u);
    // Unsigned 32-bit wrap-around on long keys.
    std::wstring longKey(40, L'z');
    DWORD h = 0;
    for (size_t i = longKey.size(); i-- > 0;) h = h * 33 + longKey[i];
    EXPECT_EQ(CStdStringPtrMap::HashKey(longKey.c_str()), h);
}

TEST(StringPtrMap, FindsInsertsReplacesAndRemovesCaseSensitively) {
    CStdStringPtrMap map;
    EXPECT_TRUE(map.Insert(L"webWnd", &a));
    EXPECT_FALSE(map.Insert(L"webWnd", &b));
    EXPECT_TRUE(map.Insert(L"WebWnd", &b));
    EXPECT_TRUE(map.Insert(L"nullValue", nullptr));
    EXPECT_FALSE(map.Insert(L"nullValue", &c));
    EXPECT_FALSE(map.Insert(nullptr, &c));
    EXPECT_EQ(map.Find(L"webWnd"), &a);
    EXPECT_EQ(map.Find(L"WebWnd"), &b);
    EXPECT_EQ(map.Find(L"webwnd"), nullptr);
    EXPECT_EQ(map.Find(nullptr), nullptr);
    EXPECT_EQ(map.GetSize(), 3);

    EXPECT_EQ(map.Set(L"webWnd", &c), &a);
    EXPECT_EQ(map.Find(L"webWnd"), &c);
    EXPECT_EQ(map.Set(L"fresh", &d), nullptr);
    EXPECT_EQ(map.GetSize(), 4);

    EXPECT_TRUE(map.Remove(L"webWnd"));
    EXPECT_FALSE(map.Remove(L"webWnd"));
    EXPECT_EQ(map.Find(L"webWnd"), nullptr);
    EXPECT_EQ(map.Find(L"WebWnd"), &b);
    map.RemoveAll();
    EXPECT_EQ(map.GetSize(), 0);
    EXPECT_EQ(map.GetAt(0), nullptr);
}

// With one bucket every key shares a chain, which shows the chain order.
std::vector<std::wstring> Keys(const CStdStringPtrMap& map) {
    std::vector<std::wstring> keys;
    for (int i = 0; i < map.GetSize(); ++i) keys.push_back(map.GetAt(i));
    return keys;
}

TEST(StringPtrMap, MovesAFoundEntryToTheFrontOfItsBucketUnlessAskedNotTo) {
    CStdStringPtrMap map(1);
    map.Insert(L"one", &a);
    map.Insert(L"two", &b);
    map.Insert(L"three", &c);
    const auto before = Keys(map);
    const std::wstring last = before.back();

    EXPECT_NE(map.Find(last.c_str(), false), nullptr);
    EXPECT_EQ(Keys(map), before);
    EXPECT_NE(map.Find(last.c_str()), nullptr);
    EXPECT_EQ(Keys(map).front(), last);
    EXPECT_EQ(map.GetAt(3), nullptr);
    EXPECT_EQ(map.GetAt(-1), nullptr);
}

TEST(StringPtrMap, IndexWalksEveryKeyOnceAcrossBuckets) {
    CStdStringPtrMap map(83);
    std::set<std::wstring> inserted;
    for (int i = 0; i < 500; ++i) {
        std::wstring key = L"control" + std::to_wstring(i);
        map.Insert(key.c_str(), &a);
        inserted.insert(key);
    }
    const auto keys = Keys(map);
    EXPECT_EQ(std::set<std::wstring>(keys.begin(), keys.end()), inserted);
    EXPECT_EQ(keys.size(), inserted.size());
}

}  // namespace
