#include "app/progress_record.h"

#include <gtest/gtest.h>

#include "app/run_state.h"

namespace {

TEST(ProgressRecordTest, CompactBytesInKeyOrder) {
    struct Case {
        int value;
        std::string tip;
        std::string json;
    };
    const Case cases[] = {
        // The tips of a run, as UTF-8 narrow text: their bytes pass unescaped.
        {80, "正在更改IE浏览器设置，请稍后...",
         "{\"progress_tip\":\"正在更改IE浏览器设置，请稍后...\",\"progress_value\":80}\n"},
        {100, "修复完成，请重新打开IE浏览器验证效果",
         "{\"progress_tip\":\"修复完成，请重新打开IE浏览器验证效果\",\"progress_value\":100}\n"},
        {0, "", "{\"progress_tip\":\"\",\"progress_value\":0}\n"},
        {-7, "x", "{\"progress_tip\":\"x\",\"progress_value\":-7}\n"},
        // Only the quote, the backslash and control characters are escaped; a line break in a tip
        // becomes backslash n, so the record itself holds no line break but its last.
        {1, "a\"b\\c/d\ne\tf\x01g\x7fh\xffi",
         "{\"progress_tip\":\"a\\\"b\\\\c/d\\ne\\tf\\u0001g\x7fh\xffi\",\"progress_value\":1}\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(WriteProgressRecord(c.value, c.tip), c.json) << c.tip;
}

TEST(RunStateTest, NothingStartedYet) {
    EXPECT_EQ(g_hMainWnd, nullptr);
    EXPECT_EQ(g_nRunResult.load(), kRunNotStarted);
    EXPECT_EQ(g_bRepairDone.load(), 0);
}

}  // namespace
