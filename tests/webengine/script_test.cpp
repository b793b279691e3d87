// Script: results, bound native functions, the document model, timers and errors.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "view_fixture.h"

namespace {

const Rgb kWhite{255, 255, 255};
const Rgb kRed{255, 0, 0};

jsValue Add(jsExecState es) {
    return jsInt(jsToInt(es, jsArg(es, 0)) + jsToInt(es, jsArg(es, 1)));
}

jsValue Greet(jsExecState es) {
    std::wstring name = jsToStringW(es, jsArg(es, 0));
    return jsStringW(es, (L"你好, " + name + L"!").c_str());
}

jsValue ArgCount(jsExecState es) {
    return jsInt(jsArgCount(es));
}

class ScriptTest : public ViewTest {
  protected:
    void SetUp() override {
        jsBindFunction("Add", &Add, 2);
        jsBindFunction("Greet", &Greet, 1);
        jsBindFunction("ArgCount", &ArgCount, 0);
        ViewTest::SetUp();
    }
    void OpenBlank() {
        OpenHtml(
            "<html><head><title>t</title></head><body style='margin:0'>"
            "<div id='root'><p class='a b' id='p1'>one</p><p "
            "class='b'>two</p></div></body></html>");
    }
};

TEST_F(ScriptTest, RunJsReturnsTheValueOfTheLastStatement) {
    OpenBlank();
    struct Case {
        const wchar_t* script;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"1 + 1", L"2"},
        {L"'a' + 'b'", L"ab"},
        {L"0.5 * 3", L"1.5"},
        {L"var x = 5; x * 2", L"10"},
        {L"null", L"null"},
        {L"undefined", L"undefined"},
        {L"true", L"true"},
        {L"JSON.stringify({a: [1, 2]})", L"{\"a\":[1,2]}"},
        {L"({})", L"[object Object]"},
        {L"'中文' + String.fromCharCode(0x4e00)", L"中文一"},
        {L"'\\ud83d\\ude00'", L"\U0001F600"},
        {L"location.href.indexOf('file:///') === 0", L"true"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.script), c.text) << c.script;

    jsExecState es = view->globalExec();
    EXPECT_EQ(jsToInt(es, view->runJS(L"'42'")), 42);
    EXPECT_EQ(jsToInt(es, view->runJS(L"'abc'")), 0);
    EXPECT_EQ(jsToInt(es, view->runJS(L"Math.pow(2, 32) + 5")), 5);
    EXPECT_EQ(jsToInt(es, view->runJS(L"-7.9")), -7);
    EXPECT_EQ(jsToInt(es, jsTrue()), 1);
}

TEST_F(ScriptTest, BoundFunctionsTakeAndReturnIntegersAndText) {
    OpenBlank();
    EXPECT_EQ(Eval(L"Add(2, 3)"), L"5");
    EXPECT_EQ(Eval(L"Add('40', 2)"), L"42");
    EXPECT_EQ(Eval(L"Add(1)"), L"1") << "a missing argument is undefined, converted to 0";
    EXPECT_EQ(Eval(L"Greet('世界')"), L"你好, 世界!");
    EXPECT_EQ(Eval(L"Greet('a') + Greet('b')"), L"你好, a!你好, b!");
    EXPECT_EQ(Eval(L"ArgCount(1, 'x', {}, [])"), L"4");
    EXPECT_EQ(Eval(L"Add.length + ',' + Greet.length + ',' + typeof Add"), L"2,1,function");
}

jsValue Late(jsExecState) {
    return jsInt(7);
}

TEST_F(ScriptTest, FunctionsBoundLaterAppearInPagesLoadedLater) {
    OpenBlank();
    jsBindFunction("LateBound", &Late, 0);
    EXPECT_EQ(Eval(L"typeof LateBound"), L"undefined");
    OpenBlank();
    EXPECT_EQ(Eval(L"LateBound()"), L"7");
}

TEST_F(ScriptTest, DocumentModelQueriesAndChanges) {
    OpenBlank();
    struct Case {
        const wchar_t* script;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"document.getElementById('p1').textContent", L"one"},
        {L"document.querySelectorAll('#root > p.b').length", L"2"},
        {L"document.querySelector('p:last-child').textContent", L"two"},
        {L"document.querySelector('p:not(.a)').textContent", L"two"},
        {L"document.getElementsByClassName('a b').length", L"1"},
        {L"document.body.children[0].id", L"root"},
        {L"document.getElementById('p1').parentNode.id", L"root"},
        {L"document.getElementById('p1') === document.querySelector('.a')", L"true"},
        {L"var p = document.getElementById('p1'); p.classList.add('c'); p.className", L"a b c"},
        {L"p.classList.remove('a'); p.classList.toggle('b'); p.className", L"c"},
        {L"p.classList.contains('c')", L"true"},
        {L"p.setAttribute('data-x', '1'); p.getAttribute('data-x') + p.dataset.x", L"11"},
        {L"p.style.backgroundColor = 'red'; p.style.width = '10px'; p.getAttribute('style')",
         L"background-color: red; width: 10px;"},
        {L"p.style.backgroundColor = ''; p.style.cssText", L"width: 10px;"},
        {L"var d = document.createElement('DIV'); d.innerHTML = '<b>x</b><i>y</i>';"
         L"document.body.appendChild(d); d.children.length + d.firstChild.tagName",
         L"2B"},
        {L"d.innerHTML", L"<b>x</b><i>y</i>"},
        {L"d.removeChild(d.lastChild); d.outerHTML", L"<div><b>x</b></div>"},
        {L"d.parentNode === document.body", L"true"},
        {L"d.remove(); d.parentNode", L"null"},
        {L"document.querySelector('p').matches('#root p') && !!p.closest('#root')", L"true"},
        {L"var c = p.cloneNode(true); c.id = 'copy'; document.body.appendChild(c);"
         L"document.querySelectorAll('p').length",
         L"3"},
        {L"document.title", L"t"},
        {L"document.createTextNode('<&>').textContent", L"<&>"},
        {L"var t = document.createElement('span'); t.textContent = '<b>'; t.innerHTML",
         L"&lt;b&gt;"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.script), c.text) << c.script;
}

TEST_F(ScriptTest, DomErrorsAreScriptExceptions) {
    OpenBlank();
    const wchar_t* cases[] = {
        L"document.querySelector('p[')",
        L"document.body.appendChild(document.body.parentNode)",
        L"document.body.removeChild(document.createElement('i'))",
        L"document.createElement('a b')",
        L"document.body.setAttribute('a b', '1')",
        L"document.body.appendChild({})",
        L"document.body.classList.add('')",
    };
    for (const wchar_t* script : cases) {
        std::wstring wrapped =
            std::wstring(L"try { ") + script + L"; 'no error' } catch (e) { e.name }";
        std::wstring result = Eval(wrapped.c_str());
        EXPECT_TRUE(result == L"SyntaxError" || result == L"TypeError")
            << script << " gave " << result;
    }
}

TEST_F(ScriptTest, DomChangeIsRepaintedOnTheNextTick) {
    OpenBlank();
    EXPECT_EQ(Pixel(150, 100), kWhite);
    buffer.updates.clear();
    view->runJS(
        L"var box = document.createElement('div');"
        L"box.style.cssText = 'position:absolute; left:140px; top:90px; width:20px; height:20px; "
        L"background:#ff0000';"
        L"document.body.appendChild(box);");
    EXPECT_EQ(Pixel(150, 100), kWhite);
    view->tick();
    EXPECT_EQ(Pixel(150, 100), kRed);
    ASSERT_FALSE(buffer.updates.empty());
    EXPECT_TRUE(buffer.covers(140, 90));
    EXPECT_TRUE(buffer.covers(159, 109));
    EXPECT_FALSE(buffer.covers(300, 150));

    buffer.updates.clear();
    view->runJS(L"box.parentNode.removeChild(box)");
    view->tick();
    EXPECT_EQ(Pixel(150, 100), kWhite);
    EXPECT_TRUE(buffer.covers(150, 100));
}

TEST_F(ScriptTest, TimersRunFromTick) {
    OpenBlank();
    view->runJS(
        L"var log = [];"
        L"setTimeout(function () { log.push('a'); }, 0);"
        L"setTimeout(function (x, y) { log.push(x + y); }, 0, 'b', 'c');"
        L"var gone = setTimeout(function () { log.push('cleared'); }, 0); clearTimeout(gone);"
        L"setTimeout(function () { log.push('late'); }, 100000);"
        L"setTimeout(\"log.push('text')\", 0);"
        L"var n = 0; var iv = setInterval(function () { if (++n === 3) clearInterval(iv); }, 1);");
    EXPECT_EQ(Eval(L"log.join()"), L"") << "nothing runs before a tick";
    view->tick();
    EXPECT_EQ(Eval(L"log.join()"), L"a,bc,text");
    for (int i = 0; i < 10 && Eval(L"n") != L"3"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        view->tick();
    }
    EXPECT_EQ(Eval(L"n"), L"3");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    view->tick();
    EXPECT_EQ(Eval(L"n"), L"3") << "a cleared interval stops";
    EXPECT_EQ(Eval(L"log.join()"), L"a,bc,text");
}

TEST_F(ScriptTest, TimerChangesArePaintedInTheSameTick) {
    OpenBlank();
    view->runJS(L"setTimeout(function () { document.body.style.backgroundColor = '#ff0000'; }, 0)");
    view->tick();
    EXPECT_EQ(Pixel(300, 150), kRed);
}

TEST_F(ScriptTest, ScriptErrorsLeaveThePageWorking) {
    OpenHtml(R"H(<html><body><div id=x>start</div>
        <script>throw new Error('first script fails');</script>
        <script>this is not script</script>
        <script>document.getElementById('x').textContent = 'later scripts run';
          document.addEventListener('click', function () { throw new TypeError('bad'); });
          document.addEventListener('click', function () { window.clicked = true; });
          setTimeout(function () { null.x; }, 0);
          setTimeout(function () { window.timerAfterFailure = true; }, 0);
          function boom() { return undefined.y; }</script></body></html>)H");
    EXPECT_EQ(Eval(L"document.getElementById('x').textContent"), L"later scripts run");
    EXPECT_EQ(Eval(L"boom()"), L"undefined");
    EXPECT_EQ(Eval(L"throw 'x'"), L"undefined");
    EXPECT_EQ(Eval(L"syntax error here"), L"undefined");
    view->tick();
    EXPECT_EQ(Eval(L"window.timerAfterFailure"), L"true");
    Click(100, 100);
    EXPECT_EQ(Eval(L"window.clicked"), L"true") << "a failing listener does not stop the next one";
    EXPECT_EQ(Eval(L"1 + 2"), L"3");
}

TEST_F(ScriptTest, LoadEventsAndReadyState) {
    OpenHtml(R"H(<html><body onload="window.order.push('body onload')">
        <script>window.order = [document.readyState];
          document.addEventListener('DOMContentLoaded', function () { order.push('ready'); });
          window.addEventListener('load', function () { order.push('load ' + document.readyState); });
        </script></body></html>)H");
    EXPECT_EQ(Eval(L"order.join()"), L"loading,ready,body onload,load complete");
}

TEST_F(ScriptTest, RunawayScriptMemoryIsBounded) {
    OpenBlank();
    EXPECT_EQ(Eval(L"var a = [], s = 'x'; try { while (true) { s = s + s; a.push(s + '.'); } }"
                   L" catch (e) { a = null; s = null; 'stopped' }"),
              L"stopped");
    EXPECT_EQ(Eval(L"var k = 0; try { for (;;) { "
                   L"document.body.appendChild(document.createElement('i')); k++; } }"
                   L" catch (e) { 'limit' }"),
              L"limit");
    EXPECT_EQ(Eval(L"document.body.innerHTML = ''; 'cleared'"), L"cleared");
    view->tick();
    EXPECT_EQ(Eval(L"2 + 2"), L"4");
}

wvWebView* g_view = nullptr;
std::wstring g_nextPage;

jsValue DestroyMe(jsExecState) {
    wvDestroyWebView(g_view);
    return jsTrue();
}

jsValue LoadOther(jsExecState) {
    g_view->loadFile(g_nextPage.c_str());
    return jsInt(1);
}

TEST_F(ScriptTest, ViewChangesAskedForInsideScriptWaitForTheScriptToEnd) {
    jsBindFunction("LoadOther", &LoadOther, 0);
    OpenBlank();
    TempDir::Write(dir.File("other.html"), "<html><body><p id=o>other</p></body></html>");
    std::string other = dir.File("other.html");
    g_nextPage.assign(other.begin(), other.end());
    g_view = view;
    EXPECT_EQ(Eval(L"window.seen = document.getElementById('p1').textContent; LoadOther()"), L"1")
        << "the call returns into the old page";
    EXPECT_EQ(Eval(L"document.getElementById('o').textContent"), L"other");

    jsBindFunction("DestroyMe", &DestroyMe, 0);
    wvWebView* second = wvCreateWebView();
    g_view = second;
    second->resize(100, 100);
    second->loadFile(g_nextPage.c_str());
    jsValue v = second->runJS(L"DestroyMe(); document.getElementById('o').textContent");
    (void)v;  // the view and its values are gone now; nothing may crash
    jsBindFunction("DestroyMe", &Late, 0);
}

}  // namespace
