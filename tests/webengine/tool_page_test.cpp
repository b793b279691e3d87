// The page the tool shows: bound functions driven by clicks, progress driven by script.
#include <string>
#include <vector>

#include "view_fixture.h"

namespace {

std::vector<std::string> g_calls;
std::vector<int> g_feedbackPages;

jsValue StartCheck(jsExecState) {
    g_calls.push_back("startCheck");
    return jsTrue();
}

jsValue FeedBack(jsExecState es) {
    g_calls.push_back("FeedBack");
    g_feedbackPages.push_back(jsToInt(es, jsArg(es, 0)));
    return jsTrue();
}

jsValue CloseWnd(jsExecState) {
    g_calls.push_back("CloseWnd");
    return jsTrue();
}

const Rgb kGreen{0x22, 0xaa, 0x22};
const Rgb kTrack{0xdd, 0xdd, 0xdd};

class ToolPageTest : public ViewTest {
  protected:
    void SetUp() override {
        g_calls.clear();
        g_feedbackPages.clear();
        jsBindFunction("startCheck", &StartCheck, 0);
        jsBindFunction("FeedBack", &FeedBack, 1);
        jsBindFunction("CloseWnd", &CloseWnd, 0);
        ViewTest::SetUp();
        Open(Fixture("tool_page.html"));
    }
};

TEST_F(ToolPageTest, ButtonsCallNativeFunctionsBeforeTheClickReturns) {
    Click(55, 155);  // "start"
    ASSERT_EQ(g_calls, std::vector<std::string>{"startCheck"});
    Click(170, 155);  // "feedback"
    Click(290, 155);  // "close"
    EXPECT_EQ(g_calls, (std::vector<std::string>{"startCheck", "FeedBack", "CloseWnd"}));
    EXPECT_EQ(g_feedbackPages, std::vector<int>{3});
}

TEST_F(ToolPageTest, ProgressSetByScriptIsRepaintedAndReported) {
    EXPECT_EQ(Pixel(100, 110), kTrack);
    buffer.updates.clear();

    view->runJS(L"RenderMain({\"progress_tip\":\"ok\",\"progress_value\":80});");
    EXPECT_TRUE(buffer.updates.empty()) << "nothing is painted before the tick";
    view->tick();

    // 80% of the 300-pixel track from x=10: green up to x=250, grey after.
    EXPECT_EQ(Pixel(100, 110), kGreen);
    EXPECT_EQ(Pixel(245, 110), kGreen);
    EXPECT_EQ(Pixel(255, 110), kTrack);
    EXPECT_TRUE(buffer.covers(100, 110));
    EXPECT_TRUE(buffer.covers(245, 119));
    EXPECT_FALSE(buffer.covers(350, 110)) << "only what changed is reported";

    buffer.updates.clear();
    view->tick();
    EXPECT_TRUE(buffer.updates.empty()) << "an unchanged page reports nothing";
}

}  // namespace
