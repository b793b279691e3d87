// The paint manager's own services on a real (headless) window: timers, the name map, focus and
// tab order, notifications, pre-translation and the static side.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_kernel.h"
#include "tests/skinframe/paint_manager_fixture.h"

namespace {

using pmtest::NotifyRecorder;
using pmtest::Pump;
using pmtest::Recorder;
using pmtest::TestWindow;

LRESULT Deliver(CPaintManagerUI& manager, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0,
                bool* handled = nullptr) {
    LRESULT result = 0;
    const bool answered = manager.MessageHandler(msg, wParam, lParam, result);
    if (handled) *handled = answered;
    return result;
}

// The local id the control saw with its last timer event, or -1.
int LastTick(const Recorder<CControlUI>& control) {
    const pmtest::SeenEvent* e = control.Last(UIEVENT_TIMER);
    return e ? static_cast<int>(e->wParam) : -1;
}

TEST(PaintManagerStatic, InstancePathIsTheExecutableFolder) {
    CPaintManagerUI::SetInstance(nullptr);
    EXPECT_TRUE(CPaintManagerUI::GetInstancePath().IsEmpty());
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    const CSkinString path = CPaintManagerUI::GetInstancePath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path[path.GetLength() - 1], L'/');
    WCHAR exe[MAX_PATH] = {0};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(std::wstring(exe).rfind(path.GetData(), 0), 0u)
        << "a prefix of the executable's path";
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), CPaintManagerUI::GetInstance());
}

class PaintManagerTimers : public testing::Test {
  protected:
    void SetUp() override {
        root = new CVerticalLayoutUI;
        first = new Recorder<CControlUI>(L"first");
        second = new Recorder<CControlUI>(L"second");
        root->Add(first);
        root->Add(second);
        window.Attach(root);
        window.manager.AddNotifier(&notes);
    }
    TestWindow window;
    CVerticalLayoutUI* root = nullptr;
    Recorder<CControlUI>* first = nullptr;
    Recorder<CControlUI>* second = nullptr;
    NotifyRecorder notes;
};

TEST_F(PaintManagerTimers, IdsStartAt17AndAKilledRecordIsRestartedWithItsId) {
    CPaintManagerUI& m = window.manager;
    ASSERT_TRUE(m.SetTimer(first, 5, 1000));
    EXPECT_FALSE(m.SetTimer(first, 5, 1000)) << "a live record refuses a second start";
    ASSERT_TRUE(m.SetTimer(second, 5, 1000));

    Deliver(m, WM_TIMER, 17);
    EXPECT_EQ(LastTick(*first), 5);
    EXPECT_EQ(first->Last(UIEVENT_TIMER)->sender, first);
    EXPECT_TRUE(notes.Saw(L"timer:first"));
    EXPECT_EQ(notes.records.back().wParam, 5u);
    Deliver(m, WM_TIMER, 18);
    EXPECT_EQ(LastTick(*second), 5);

    EXPECT_TRUE(m.KillTimer(first, 5));
    EXPECT_FALSE(m.KillTimer(first, 5)) << "already killed";
    first->events.clear();
    Deliver(m, WM_TIMER, 17);
    EXPECT_EQ(LastTick(*first), -1) << "a killed record gets no ticks";

    ASSERT_TRUE(m.SetTimer(first, 5, 1000));
    Deliver(m, WM_TIMER, 17);
    EXPECT_EQ(LastTick(*first), 5) << "restarted under the same Win32 id";
    ASSERT_TRUE(m.SetTimer(first, 6, 1000));
    Deliver(m, WM_TIMER, 19);
    EXPECT_EQ(LastTick(*first), 6) << "the restart took no new id";

    m.KillTimer(first);
    first->events.clear();
    Deliver(m, WM_TIMER, 17);
    Deliver(m, WM_TIMER, 19);
    EXPECT_EQ(LastTick(*first), -1);
    EXPECT_TRUE(m.SetTimer(first, 5, 1000)) << "records deleted with the control's timers";
    Deliver(m, WM_TIMER, 20);
    EXPECT_EQ(LastTick(*first), 5);
}

TEST_F(PaintManagerTimers, IdsWrapAfter239AndAReusedIdTicksTheFirstRecord) {
    CPaintManagerUI& m = window.manager;
    for (UINT local = 0; local <= 240; ++local)
        ASSERT_TRUE(m.SetTimer(first, local, 60000)) << local;
    struct {
        UINT winId;
        int local;
    } const expected[] = {{17, 0}, {239, 222}, {0, 223}, {16, 239}};
    for (const auto& e : expected) {
        Deliver(m, WM_TIMER, e.winId);
        EXPECT_EQ(LastTick(*first), e.local) << "Win32 id " << e.winId;
    }
    // The 241st timer took id 17 again while the first still lives: the first record wins.
    Deliver(m, WM_TIMER, 17);
    EXPECT_EQ(LastTick(*first), 0);
    m.RemoveAllTimers();
}

TEST_F(PaintManagerTimers, RealTicksReachTheControlAsTimerNotifications) {
    ASSERT_TRUE(window.manager.SetTimer(second, 9, 10));
    for (int i = 0; i < 100 && !notes.Saw(L"timer:second"); ++i) {
        ::Sleep(5);
        Pump();
    }
    EXPECT_TRUE(notes.Saw(L"timer:second"));
    EXPECT_EQ(LastTick(*second), 9);
}

TEST_F(PaintManagerTimers, ADestroyedControlLeavesNoTimerBehind) {
    ASSERT_TRUE(window.manager.SetTimer(second, 1, 1000));
    root->SetDelayedDestroy(false);
    root->Remove(second);
    Deliver(window.manager, WM_TIMER, 17);  // would reach freed memory if the record stayed
    EXPECT_TRUE(window.manager.SetTimer(first, 1, 1000));
}

TEST(PaintManagerTimersWithoutWindow, FailAndLeaveNoRecord) {
    CPaintManagerUI manager;
    CControlUI control;
    EXPECT_FALSE(manager.SetTimer(&control, 1, 10));
    EXPECT_FALSE(manager.KillTimer(&control, 1));
}

TEST(PaintManagerNames, TheLaterControlWinsAndNothingIsFoundAfterItDies) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* earlier = new CLabelUI;
    auto* later = new CLabelUI;
    earlier->SetName(L"twin");
    later->SetName(L"twin");
    root->Add(earlier);
    root->Add(later);
    window.Attach(root);
    CPaintManagerUI& m = window.manager;
    EXPECT_EQ(m.FindControl(L"twin"), later);
    EXPECT_EQ(m.FindControl(L"Twin"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(m.FindControl(L"nobody"), nullptr);

    root->SetDelayedDestroy(false);
    root->Remove(later);
    EXPECT_EQ(m.FindControl(L"twin"), nullptr) << "the earlier control is not found again";

    // A control that goes away does not take another control's entry with it.
    auto* third = new CLabelUI;
    third->SetName(L"twin");
    root->Add(third);
    EXPECT_EQ(m.FindControl(L"twin"), third);
    root->Remove(earlier);
    EXPECT_EQ(m.FindControl(L"twin"), third);
}

// Tab order: a tree of named controls, a start, a direction, and the focus after each step.
struct TabCase {
    const char* name;
    const wchar_t* start;  // control focused first, or null
    bool forward;
    std::vector<std::wstring> steps;
};

void PrintTo(const TabCase& c, std::ostream* os) {
    *os << c.name;
}

class PaintManagerTabOrder : public testing::TestWithParam<TabCase> {};

// root: label "lbl", button "a", container (button "b1", button "b2" disabled), button "c"
// hidden, button "d", label "e".
TEST_P(PaintManagerTabOrder, MovesThroughTabStopsInTreeOrder) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    const auto add = [](CContainerUI* parent, CControlUI* c, const wchar_t* name) {
        c->SetName(name);
        parent->Add(c);
        return c;
    };
    add(root, new CLabelUI, L"lbl");
    add(root, new CButtonUI, L"a");
    auto* box = static_cast<CContainerUI*>(add(root, new CHorizontalLayoutUI, L"box"));
    add(box, new CButtonUI, L"b1");
    add(box, new CButtonUI, L"b2")->SetEnabled(false);
    add(root, new CButtonUI, L"c")->SetVisible(false);
    add(root, new CButtonUI, L"d");
    add(root, new CLabelUI, L"e");
    window.Attach(root);
    CPaintManagerUI& m = window.manager;
    const TabCase& c = GetParam();
    m.SetFocus(c.start ? m.FindControl(c.start) : nullptr);
    for (const std::wstring& expected : c.steps) {
        EXPECT_TRUE(m.SetNextTabControl(c.forward));
        ASSERT_NE(m.GetFocus(), nullptr);
        EXPECT_EQ(m.GetFocus()->GetName(), expected.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaintManagerTabOrder,
    testing::Values(TabCase{"forward_from_nothing", nullptr, true, {L"a", L"b1", L"d", L"a"}},
                    TabCase{"backward_from_nothing_starts_at_the_first",
                            nullptr,
                            false,
                            {L"a", L"d", L"b1", L"a"}},
                    TabCase{"forward_from_a_label", L"lbl", true, {L"a"}},
                    TabCase{"forward_from_the_last_label_wraps", L"e", true, {L"a"}},
                    TabCase{"backward_from_a_label", L"e", false, {L"d"}}));

TEST(PaintManagerTab, WithoutTabStopsTabChangesNothingButIsStillTaken) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* label = new CLabelUI;
    root->Add(label);
    window.Attach(root);
    window.manager.SetFocus(label);
    LRESULT result = 0;
    EXPECT_TRUE(window.manager.PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, result));
    EXPECT_EQ(window.manager.GetFocus(), label);
}

TEST(PaintManagerTab, TheFirstPaintFocusesTheFirstTabStop) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* label = new CLabelUI;
    auto* button = new CButtonUI;
    root->Add(label);
    root->Add(button);
    ASSERT_TRUE(window.manager.AttachDialog(root));
    // Before the first layout the request waits for the paint.
    EXPECT_TRUE(window.manager.SetNextTabControl());
    EXPECT_EQ(window.manager.GetFocus(), nullptr);
    ::UpdateWindow(window.hwnd);
    Pump();
    EXPECT_EQ(window.manager.GetFocus(), button);
}

TEST(PaintManagerTab, AChildWindowsTabMovesTheFocusAndIsStillDispatched) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* a = new CButtonUI;
    auto* b = new CButtonUI;
    root->Add(a);
    root->Add(b);
    window.Attach(root);
    window.manager.SetFocus(a);
    HWND child = ::CreateWindowExW(0, pmtest::TestWindowClass(), L"", WS_CHILD | WS_VISIBLE, 0, 0,
                                   10, 10, window.hwnd, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    MSG msg = {};
    msg.hwnd = child;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(window.manager.GetFocus(), b);

    msg.hwnd = window.hwnd;
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg)) << "the paint window's own Tab is taken";
    EXPECT_EQ(window.manager.GetFocus(), a);
    msg.hwnd = nullptr;
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg)) << "no manager knows the window";
    ::DestroyWindow(child);
}

class PaintManagerFocus : public testing::Test {
  protected:
    void SetUp() override {
        root = new CVerticalLayoutUI;
        focused = new Recorder<CButtonUI>(L"focused");
        hidden = new Recorder<CButtonUI>(L"hidden");
        hidden->SetVisible(false);
        root->Add(focused);
        root->Add(hidden);
        window.Attach(root);
        window.manager.AddNotifier(&notes);
        window.manager.SetFocus(focused);
        ASSERT_EQ(window.manager.GetFocus(), focused);
        notes.seen.clear();
    }
    TestWindow window;
    CVerticalLayoutUI* root = nullptr;
    Recorder<CButtonUI>* focused = nullptr;
    Recorder<CButtonUI>* hidden = nullptr;
    NotifyRecorder notes;
};

TEST_F(PaintManagerFocus, AForeignOrHiddenTargetStillTakesTheOldFocusAway) {
    CPaintManagerUI other;
    CButtonUI foreign;
    foreign.SetManager(&other, nullptr, false);
    CControlUI* const targets[] = {&foreign, hidden};
    for (CControlUI* target : targets) {
        window.manager.SetFocus(focused);
        focused->events.clear();
        notes.seen.clear();
        window.manager.SetFocus(target);
        EXPECT_EQ(window.manager.GetFocus(), nullptr);
        ASSERT_NE(focused->Last(UIEVENT_KILLFOCUS), nullptr);
        EXPECT_EQ(focused->Last(UIEVENT_KILLFOCUS)->sender, target);
        EXPECT_EQ(notes.seen, std::vector<std::wstring>{L"killfocus:focused"});
        EXPECT_FALSE(focused->IsFocused());
    }
    foreign.SetManager(nullptr, nullptr, false);
}

TEST_F(PaintManagerFocus, NullFocusSendsKillFocusWithoutSenderAndPullsTheKeyboardFocus) {
    TestWindow elsewhere(50, 50);
    ::SetFocus(elsewhere.hwnd);
    ASSERT_EQ(::GetFocus(), elsewhere.hwnd);
    window.manager.SetFocus(nullptr);
    ASSERT_NE(focused->Last(UIEVENT_KILLFOCUS), nullptr);
    EXPECT_EQ(focused->Last(UIEVENT_KILLFOCUS)->sender, nullptr);
    EXPECT_EQ(notes.seen, std::vector<std::wstring>{L"killfocus:focused"});
    EXPECT_EQ(::GetFocus(), window.hwnd);
}

TEST_F(PaintManagerFocus, FocusMovesWithEventsAndNotificationsInOrder) {
    auto* next = new Recorder<CButtonUI>(L"next");
    root->Add(next);
    focused->events.clear();
    window.manager.SetFocus(next);
    EXPECT_EQ(window.manager.GetFocus(), next);
    EXPECT_EQ(focused->Types(), std::vector<int>{UIEVENT_KILLFOCUS});
    EXPECT_EQ(next->Types(), std::vector<int>{UIEVENT_SETFOCUS});
    EXPECT_EQ(notes.seen, (std::vector<std::wstring>{L"killfocus:focused", L"setfocus:next"}));
    EXPECT_TRUE(next->IsFocused());
}

TEST(PaintManagerNotify, QueuedNotificationsWaitForTheNextMessageAndForgetDeadSenders) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* a = new CLabelUI;
    auto* b = new CLabelUI;
    a->SetName(L"a");
    b->SetName(L"b");
    root->Add(a);
    root->Add(b);
    window.Attach(root);
    NotifyRecorder notes;
    window.manager.AddNotifier(&notes);
    int listened = 0;
    a->OnNotify += [&](void*) {
        ++listened;
        return true;
    };
    window.manager.SendNotify(a, L"first", 1, 2, true);
    window.manager.SendNotify(b, L"second", 0, 0, true);
    EXPECT_TRUE(notes.seen.empty());
    root->SetDelayedDestroy(false);
    root->Remove(b);

    Deliver(window.manager, WM_NULL);
    EXPECT_EQ(notes.seen, (std::vector<std::wstring>{L"first:a", L"second:-"}));
    EXPECT_EQ(listened, 1);
    EXPECT_EQ(notes.records[0].wParam, 1u);
    EXPECT_EQ(notes.records[0].lParam, 2);

    // The synchronous kind goes to the sender's listeners first, then to every notifier.
    NotifyRecorder second;
    window.manager.AddNotifier(&second);
    window.manager.SendNotify(a, L"now");
    EXPECT_EQ(listened, 2);
    EXPECT_TRUE(notes.Saw(L"now:a"));
    EXPECT_TRUE(second.Saw(L"now:a"));
    EXPECT_TRUE(window.manager.RemoveNotifier(&second));
    EXPECT_FALSE(window.manager.RemoveNotifier(&second));
}

TEST(PaintManagerNotify, VirtualWindowNamesTravelWithNotificationsOnceUsed) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* page = new CVerticalLayoutUI;
    auto* inner = new CButtonUI;
    page->SetVirtualWnd(L"page");
    page->Add(inner);
    root->Add(page);
    window.Attach(root);
    NotifyRecorder notes;
    window.manager.AddNotifier(&notes);
    inner->Activate();
    ASSERT_EQ(notes.records.size(), 1u);
    EXPECT_EQ(notes.records[0].sVirtualWnd, L"page");
}

TEST(PaintManagerNotify, WithoutAWindowTheHandlerAnswersFalseAndKeepsTheQueue) {
    CPaintManagerUI manager;
    CLabelUI label;
    NotifyRecorder notes;
    manager.AddNotifier(&notes);
    manager.SendNotify(&label, L"queued", 0, 0, true);
    bool handled = true;
    Deliver(manager, WM_PAINT, 0, 0, &handled);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(notes.seen.empty());
}

TEST(PaintManagerTree, AttachingReplacesTheRootAndANullRootIsRefused) {
    TestWindow window;
    auto* first = new CVerticalLayoutUI;
    auto* firstChild = new CLabelUI;
    firstChild->SetName(L"old");
    first->Add(firstChild);
    window.Attach(first);
    auto* second = new CVerticalLayoutUI;
    window.Attach(second);
    EXPECT_EQ(window.manager.GetRoot(), second);
    EXPECT_EQ(window.manager.FindControl(L"old"), nullptr) << "the old tree was cleaned up";
    EXPECT_FALSE(window.manager.AttachDialog(nullptr));
    EXPECT_EQ(window.manager.GetRoot(), nullptr);
    Pump();
}

TEST(PaintManagerShortcut, AltKeyFocusesAndActivatesTheControlALabelHandsItTo) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* label = new CLabelUI;
    auto* button = new CButtonUI;
    auto* other = new CButtonUI;
    label->SetShortcut(L'n');
    button->SetName(L"button");
    other->SetName(L"other");
    other->SetShortcut(L'o');
    // The search runs children from last to first, so the label hands its shortcut to the
    // control before it.
    root->Add(button);
    root->Add(label);
    root->Add(other);
    window.Attach(root);
    NotifyRecorder notes;
    window.manager.AddNotifier(&notes);
    LRESULT result = 0;
    EXPECT_TRUE(window.manager.PreMessageHandler(WM_SYSCHAR, L'N', 0, result));
    EXPECT_EQ(window.manager.GetFocus(), button);
    EXPECT_TRUE(notes.Saw(L"click:button"));
    EXPECT_TRUE(window.manager.PreMessageHandler(WM_SYSCHAR, L'o', 0, result));
    EXPECT_EQ(window.manager.GetFocus(), other);
    EXPECT_FALSE(window.manager.PreMessageHandler(WM_SYSCHAR, L'z', 0, result));
}

// A pre-message filter that takes one message.
class TakeOne : public IMessageFilterUI {
  public:
    explicit TakeOne(UINT msg) : m_msg(msg) {}
    LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled) override {
        ++calls;
        if (uMsg == m_msg) bHandled = TRUE;
        return 42;
    }
    int calls = 0;

  private:
    UINT m_msg;
};

TEST(PaintManagerFilters, TheFirstFilterThatTakesAMessageEndsItsHandling) {
    TestWindow window;
    TakeOne keys(WM_KEYDOWN);
    TakeOne never(0xFFFF);
    window.manager.AddPreMessageFilter(&keys);
    window.manager.AddPreMessageFilter(&never);
    LRESULT result = 0;
    EXPECT_TRUE(window.manager.PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, result));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(never.calls, 0);

    TakeOne sizes(WM_SIZE);
    window.manager.AddMessageFilter(&sizes);
    bool handled = false;
    EXPECT_EQ(Deliver(window.manager, WM_SIZE, 0, 0, &handled), 42);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(window.manager.RemoveMessageFilter(&sizes));
    EXPECT_FALSE(window.manager.RemoveMessageFilter(&sizes));
    EXPECT_TRUE(window.manager.RemovePreMessageFilter(&keys));
    EXPECT_TRUE(window.manager.RemovePreMessageFilter(&never));
}

TEST(PaintManagerLoop, TheMessageLoopPreTranslatesUntilQuit) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* a = new CButtonUI;
    auto* b = new CButtonUI;
    root->Add(a);
    root->Add(b);
    window.Attach(root);
    window.manager.SetFocus(a);
    ::PostMessageW(window.hwnd, WM_KEYDOWN, VK_TAB, 0);
    ::PostQuitMessage(0);
    CPaintManagerUI::MessageLoop();
    EXPECT_EQ(window.manager.GetFocus(), b);
}

TEST(PaintManagerSettings, InitSizeResizesTheWindowOnlyBeforeATreeIsAttached) {
    TestWindow window(300, 200);
    window.manager.SetInitSize(200, 150);
    EXPECT_EQ(window.manager.GetClientSize().cx, 200);
    EXPECT_EQ(window.manager.GetClientSize().cy, 150);
    window.Attach(new CVerticalLayoutUI);
    window.manager.SetInitSize(120, 100);
    EXPECT_EQ(window.manager.GetInitSize().cx, 120);
    EXPECT_EQ(window.manager.GetClientSize().cx, 200) << "the tree is there: only stored";
}

}  // namespace
