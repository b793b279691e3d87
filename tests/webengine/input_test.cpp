// Mouse, wheel, keyboard and focus input turned into page events.
#include <string>

#include "view_fixture.h"

namespace {

const Rgb kGrey{0xcc, 0xcc, 0xcc};
const Rgb kYellow{0xff, 0xcc, 0x00};

constexpr unsigned int kMove = 0x0200, kLDown = 0x0201, kLUp = 0x0202, kLDbl = 0x0203,
                       kRDown = 0x0204, kRUp = 0x0205, kLeave = 0x02A3;

class InputTest : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        OpenHtml(R"H(<html><head><style>
            body { margin: 0; height: 1000px; }
            #outer { position: absolute; left: 0; top: 0; width: 200px; height: 100px; background: #cccccc; }
            #outer:hover { background: #ffcc00; }
            #inner { position: absolute; left: 20px; top: 20px; width: 50px; height: 50px; }
            button { position: absolute; left: 250px; top: 10px; width: 80px; height: 30px; }
            input { position: absolute; left: 250px; top: 60px; }
            </style></head><body>
            <div id="outer"><div id="inner"></div></div>
            <button id="btn">OK</button><input id="field" value="abc">
            <script>
            var log = [];
            function rec(e) {
              log.push(e.type + ':' + (e.currentTarget.id || e.currentTarget.nodeName) +
                       (e.type.indexOf('mouse') === 0 || e.type === 'click' || e.type === 'dblclick' ||
                        e.type === 'contextmenu' ? '@' + e.clientX + ',' + e.clientY + ',b' + e.button : '') +
                       (e.type.indexOf('key') === 0 ? '#' + e.keyCode + (e.charCode ? '/' + e.charCode : '') + (e.repeat ? 'r' : '') : ''));
            }
            ['mousedown','mouseup','click','dblclick','contextmenu','mouseover','mouseout','mouseenter','mouseleave']
              .forEach(function (t) {
                document.getElementById('inner').addEventListener(t, rec);
                document.getElementById('outer').addEventListener(t, rec);
              });
            ['keydown','keyup','keypress','focus','blur'].forEach(function (t) {
              document.getElementById('btn').addEventListener(t, rec);
            });
            document.getElementById('btn').onclick = function () { log.push('button clicked'); };
            </script></body></html>)H");
    }
    std::wstring Log() { return Eval(L"var l = log.join(' '); log = []; l"); }
};

TEST_F(InputTest, ClickProducesTheBrowserSequenceAndBubbles) {
    view->mouseEvent(kMove, 30, 30, 0);
    EXPECT_EQ(Log(),
              L"mouseover:inner@30,30,b0 mouseover:outer@30,30,b0 mouseenter:outer@30,30,b0 "
              L"mouseenter:inner@30,30,b0");
    EXPECT_TRUE(view->mouseEvent(kLDown, 30, 30, WV_LBUTTON));
    EXPECT_TRUE(view->mouseEvent(kLUp, 30, 30, 0));
    EXPECT_EQ(Log(),
              L"mousedown:inner@30,30,b0 mousedown:outer@30,30,b0 mouseup:inner@30,30,b0 "
              L"mouseup:outer@30,30,b0 click:inner@30,30,b0 click:outer@30,30,b0");
}

TEST_F(InputTest, ClickGoesToTheCommonAncestorWhenThePointerMoved) {
    view->mouseEvent(kLDown, 30, 30, WV_LBUTTON);
    view->mouseEvent(kLUp, 150, 80, 0);
    std::wstring log = Log();
    EXPECT_NE(log.find(L"click:outer@150,80"), std::wstring::npos) << log;
    EXPECT_EQ(log.find(L"click:inner"), std::wstring::npos) << log;
}

TEST_F(InputTest, StopPropagationAndPreventDefault) {
    view->runJS(
        L"document.getElementById('inner').addEventListener('click', function (e) {"
        L"  e.stopPropagation(); e.preventDefault(); window.prevented = e.defaultPrevented; });");
    Click(30, 30);
    std::wstring log = Log();
    EXPECT_NE(log.find(L"click:inner"), std::wstring::npos);
    EXPECT_EQ(log.find(L"click:outer"), std::wstring::npos) << log;
    EXPECT_EQ(Eval(L"window.prevented"), L"true");
}

TEST_F(InputTest, TwoQuickClicksMakeADoubleClick) {
    Click(30, 30);
    Click(30, 30);
    std::wstring log = Log();
    EXPECT_NE(log.find(L"dblclick:inner@30,30"), std::wstring::npos) << log;
    // The window's own double-click message counts the same.
    view->mouseEvent(kLDbl, 100, 90, WV_LBUTTON);
    view->mouseEvent(kLUp, 100, 90, 0);
    EXPECT_NE(Log().find(L"dblclick:outer@100,90"), std::wstring::npos);
}

TEST_F(InputTest, HoverStyleFollowsThePointer) {
    EXPECT_EQ(Pixel(150, 50), kGrey);
    view->mouseEvent(kMove, 150, 50, 0);
    buffer.updates.clear();
    view->tick();
    EXPECT_EQ(Pixel(150, 50), kYellow);
    EXPECT_TRUE(buffer.covers(150, 50));
    view->mouseEvent(kMove, 300, 150, 0);
    view->tick();
    EXPECT_EQ(Pixel(150, 50), kGrey);
    view->mouseEvent(kMove, 150, 50, 0);
    view->tick();
    EXPECT_EQ(Pixel(150, 50), kYellow);
    Log();
    view->mouseEvent(kLeave, 0, 0, 0);
    view->tick();
    EXPECT_EQ(Pixel(150, 50), kGrey);
    EXPECT_EQ(Log(), L"mouseout:outer@0,0,b0 mouseleave:outer@0,0,b0");
}

TEST_F(InputTest, HoverSurvivesAPageChange) {
    view->mouseEvent(kMove, 150, 50, 0);
    view->runJS(L"document.getElementById('inner').textContent = 'changed'");
    view->tick();
    EXPECT_EQ(Pixel(150, 50), kYellow);
}

TEST_F(InputTest, RightButtonAndContextMenu) {
    view->mouseEvent(kRDown, 30, 30, WV_RBUTTON);
    EXPECT_FALSE(view->mouseEvent(kRUp, 30, 30, 0))
        << "an uncancelled right release lets the system ask for the context menu";
    EXPECT_TRUE(view->contextMenuEvent(30, 30, 0));
    std::wstring log = Log();
    EXPECT_NE(log.find(L"mousedown:inner@30,30,b2"), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"contextmenu:inner@30,30,b2"), std::wstring::npos) << log;
    EXPECT_EQ(log.find(L"click:"), std::wstring::npos) << log;

    view->runJS(L"document.addEventListener('mouseup', function (e) { e.preventDefault(); })");
    view->mouseEvent(kRDown, 30, 30, WV_RBUTTON);
    EXPECT_TRUE(view->mouseEvent(kRUp, 30, 30, 0));
    // From the keyboard: (-1, -1) goes to the focused element.
    view->runJS(
        L"document.getElementById('btn').focus(); log = [];"
        L"document.getElementById('btn').addEventListener('contextmenu', rec)");
    view->contextMenuEvent(-1, -1, 0);
    EXPECT_EQ(Log(), L"contextmenu:btn@0,0,b2");
}

TEST_F(InputTest, WheelScrollsAnOverflowingPage) {
    view->runJS(
        L"var wheel = []; document.addEventListener('wheel', function (e) { wheel.push(e.deltaY); "
        L"})");
    EXPECT_EQ(Pixel(150, 50), kGrey);
    EXPECT_TRUE(view->mouseWheel(150, 50, -120, 0));
    view->tick();
    EXPECT_EQ(Eval(L"wheel.join() + ' ' + window.scrollY"), L"100 100");
    EXPECT_NE(Pixel(150, 50), kGrey) << "the box moved up with the page";
    EXPECT_FALSE(view->mouseWheel(150, 50, 120 * 20, 0) && Eval(L"window.scrollY") != L"0");
    EXPECT_EQ(Eval(L"window.scrollY"), L"0");
    EXPECT_FALSE(view->mouseWheel(150, 50, 120, 0)) << "nothing left to scroll";
    view->runJS(L"document.addEventListener('wheel', function (e) { e.preventDefault(); })");
    EXPECT_TRUE(view->mouseWheel(150, 50, -120, 0));
    EXPECT_EQ(Eval(L"window.scrollY"), L"0") << "a cancelled wheel does not scroll";
}

TEST_F(InputTest, KeysGoToTheFocusedElement) {
    view->focus();
    Click(280, 20);  // focuses the button
    Log();
    view->keyDown('A', 0, false);
    view->keyPress('a', 0, false);
    view->keyDown('A', WV_REPEAT, false);
    view->keyUp('A', 0, false);
    EXPECT_EQ(Log(), L"keydown:btn#65 keypress:btn#97/97 keydown:btn#65r keyup:btn#65");
    EXPECT_TRUE(view->keyDown(0x0D, 0, false)) << "Enter activates a focused button";
    EXPECT_EQ(Log(), L"keydown:btn#13 button clicked");
    view->runJS(
        L"document.getElementById('btn').addEventListener('keydown', function (e) {"
        L"  if (e.keyCode === 66) e.preventDefault(); })");
    EXPECT_TRUE(view->keyDown('B', 0, false));
    EXPECT_FALSE(view->keyDown('C', 0, false));
}

TEST_F(InputTest, TabMovesFocusAndFocusFollowsTheWindow) {
    view->focus();
    EXPECT_TRUE(view->keyDown(0x09, 0, false));
    EXPECT_EQ(Eval(L"document.activeElement.id"), L"btn");
    view->keyDown(0x09, 0, false);
    EXPECT_EQ(Eval(L"document.activeElement.id"), L"field");
    view->keyDown(0x10, 0, false);
    view->keyDown(0x09, 0, false);
    view->keyUp(0x10, 0, false);
    EXPECT_EQ(Eval(L"document.activeElement.id"), L"btn");
    Log();
    view->unfocus();
    EXPECT_EQ(Eval(L"document.hasFocus()"), L"false");
    view->focus();
    EXPECT_EQ(Log(), L"blur:btn focus:btn");
}

TEST_F(InputTest, CaretOfTheFocusedTextField) {
    view->focus();
    wvRect none = view->getCaret();
    EXPECT_EQ(none.w + none.h, 0) << "no text field has the focus";
    Click(300, 70);
    wvRect caret = view->getCaret();
    EXPECT_GT(caret.h, 8);
    EXPECT_GE(caret.x, 250);
    EXPECT_LT(caret.x, 400);
    EXPECT_GE(caret.y, 60);
    view->runJS(L"document.getElementById('field').value = 'a much longer value'");
    EXPECT_GT(view->getCaret().x, caret.x) << "the caret sits after the text";
    view->unfocus();
    EXPECT_EQ(view->getCaret().h, 0);
}

TEST_F(InputTest, InputBeforeAnyPageIsIgnored) {
    wvWebView* blank = wvCreateWebView();
    EXPECT_FALSE(blank->mouseEvent(kLDown, 1, 1, 0));
    EXPECT_FALSE(blank->keyDown('A', 0, false));
    EXPECT_FALSE(blank->mouseWheel(1, 1, 120, 0));
    EXPECT_EQ(blank->getCaret().h, 0);
    EXPECT_EQ(jsToInt(blank->globalExec(), blank->runJS(L"1")), 0);
    blank->tick();
    wvDestroyWebView(blank);
}

}  // namespace
