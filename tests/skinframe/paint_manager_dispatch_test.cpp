// The paint window's messages turned into control events, and the painting of the tree, on the
// headless display: input through SendInput where the display makes the message, the message
// itself where only the manager's answer to it matters.
#include <cairo.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_kernel.h"
#include "support/temp_dir.h"
#include "tests/skinframe/paint_manager_fixture.h"

namespace {

using pmtest::MouseAtClient;
using pmtest::NotifyRecorder;
using pmtest::Pump;
using pmtest::Recorder;
using pmtest::TestWindow;

bool Deliver(CPaintManagerUI& manager, UINT msg, WPARAM wParam, LPARAM lParam,
             LRESULT* result = nullptr) {
    LRESULT r = result ? *result : 0;
    const bool handled = manager.MessageHandler(msg, wParam, lParam, r);
    if (result) *result = r;
    return handled;
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

LPARAM AtScreen(int x, int y) {
    return MAKELPARAM(TestWindow::kLeft + x, TestWindow::kTop + y);
}

// 300x200 window, root column (mouse-deaf, so its bare parts hit no control):
//   label "label"   0..40
//   row 40..80: button "left" 0..150, button "right" 150..300
//   progress "progress" 80..120
//   rest 120..200: button "bottom"
class Dispatch : public testing::Test {
  protected:
    void SetUp() override {
        root = new CVerticalLayoutUI;
        root->SetMouseEnabled(false);
        root->SetBkColor(0xFFFFFFFF);
        label = new Recorder<CLabelUI>(L"label");
        label->ApplyAttributeList(L"height=\"40\" bkcolor=\"#FF0000FF\"");
        auto* row = new CHorizontalLayoutUI;
        row->SetAttribute(L"height", L"40");
        row->SetMouseEnabled(false);
        left = new Recorder<CButtonUI>(L"left");
        left->ApplyAttributeList(L"bkcolor=\"#FF00FF00\" hotbkcolor=\"#FFFF0000\"");
        right = new Recorder<CButtonUI>(L"right");
        right->SetAttribute(L"menu", L"true");
        row->Add(left);
        row->Add(right);
        progress = new Recorder<CProgressUI>(L"progress");
        progress->ApplyAttributeList(
            L"height=\"40\" bkcolor=\"#FF000000\" forecolor=\"#FFFFFF00\" value=\"50\"");
        bottom = new Recorder<CButtonUI>(L"bottom");
        bottom->SetAttribute(L"padding", L"0,10,0,0");
        root->Add(label);
        root->Add(row);
        root->Add(progress);
        root->Add(bottom);
        window.manager.AddNotifier(&notes);
        window.Attach(root);
        // The first paint focused the first tab stop; the tests start from no focus.
        window.manager.SetFocus(nullptr);
        for (auto* c : {left, right, bottom}) c->events.clear();
        label->events.clear();
        progress->events.clear();
        notes.seen.clear();
    }
    void TearDown() override {
        pmtest::MouseAt(0, 0);
        Pump();
    }

    TestWindow window;
    CVerticalLayoutUI* root = nullptr;
    Recorder<CLabelUI>* label = nullptr;
    Recorder<CButtonUI>* left = nullptr;
    Recorder<CButtonUI>* right = nullptr;
    Recorder<CProgressUI>* progress = nullptr;
    Recorder<CButtonUI>* bottom = nullptr;
    NotifyRecorder notes;
};

TEST_F(Dispatch, FirstPaintLaysOutSendsWindowInitAndPaintsTheTree) {
    // SetUp attached and painted; "windowinit" came from the root, once.
    TestWindow other;
    NotifyRecorder otherNotes;
    other.manager.AddNotifier(&otherNotes);
    auto* otherRoot = new CVerticalLayoutUI;
    otherRoot->SetName(L"r");
    other.Attach(otherRoot);
    EXPECT_EQ(otherNotes.seen, std::vector<std::wstring>{L"windowinit:r"});
    ::InvalidateRect(other.hwnd, nullptr, FALSE);
    Pump();
    EXPECT_EQ(otherNotes.seen.size(), 1u);

    EXPECT_EQ(window.Pixel(5, 5), 0x0000FFu) << "label background";
    EXPECT_EQ(window.Pixel(75, 60), 0x00FF00u) << "left button";
    EXPECT_EQ(window.Pixel(10, 100), 0xFFFF00u) << "progress foreground";
    EXPECT_EQ(window.Pixel(149, 100), 0xFFFF00u);
    EXPECT_EQ(window.Pixel(151, 100), 0x000000u) << "progress background past the value";
    EXPECT_EQ(window.Pixel(20, 125), 0xFFFFFFu) << "the root shows through the bottom's padding";
}

TEST_F(Dispatch, ClickSendsDownUpAndClickAndMovesTheFocus) {
    MouseAtClient(75, 60, MOUSEEVENTF_LEFTDOWN);
    Pump();
    EXPECT_EQ(window.manager.GetFocus(), left);
    EXPECT_TRUE(window.manager.IsCaptured());
    MouseAtClient(75, 60, MOUSEEVENTF_LEFTUP);
    Pump();
    EXPECT_FALSE(window.manager.IsCaptured());
    ASSERT_NE(left->Last(UIEVENT_BUTTONDOWN), nullptr);
    const pmtest::SeenEvent& down = *left->Last(UIEVENT_BUTTONDOWN);
    EXPECT_EQ(down.sender, left);
    EXPECT_EQ(down.pt.x, 75);
    EXPECT_EQ(down.pt.y, 60);
    EXPECT_EQ(down.keyState & UISTATE_LBUTTON, UISTATE_LBUTTON);
    EXPECT_NE(left->Last(UIEVENT_BUTTONUP), nullptr);
    EXPECT_TRUE(notes.Saw(L"setfocus:left"));
    EXPECT_TRUE(notes.Saw(L"click:left"));
}

TEST_F(Dispatch, AReleaseOutsideTheButtonIsNoClick) {
    MouseAtClient(75, 60, MOUSEEVENTF_LEFTDOWN);
    MouseAtClient(225, 60);
    MouseAtClient(225, 60, MOUSEEVENTF_LEFTUP);
    Pump();
    EXPECT_NE(left->Last(UIEVENT_BUTTONUP), nullptr) << "the click control gets the release";
    EXPECT_EQ(right->Last(UIEVENT_BUTTONUP), nullptr);
    EXPECT_FALSE(notes.Saw(L"click:left"));
    EXPECT_FALSE(notes.Saw(L"click:right"));
}

TEST_F(Dispatch, APressOnNoControlLeavesNothingForTheRelease) {
    // The bottom button's padding leaves the mouse-deaf root bare there.
    EXPECT_FALSE(Deliver(window.manager, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 125)));
    EXPECT_FALSE(window.manager.IsCaptured());
    EXPECT_FALSE(Deliver(window.manager, WM_LBUTTONUP, 0, At(20, 125)));
    for (auto* c : {left, right, bottom}) EXPECT_TRUE(c->events.empty());
    EXPECT_TRUE(notes.seen.empty());
    EXPECT_EQ(window.manager.GetMousePos().y, 125);
}

TEST_F(Dispatch, ADoubleClickDoesNotMoveTheFocusButASinglePressDoes) {
    window.manager.SetFocus(right);
    Deliver(window.manager, WM_LBUTTONDBLCLK, MK_LBUTTON, At(75, 60));
    EXPECT_EQ(window.manager.GetFocus(), right);
    ASSERT_NE(left->Last(UIEVENT_DBLCLICK), nullptr);
    EXPECT_EQ(left->Last(UIEVENT_DBLCLICK)->wParam, 0u);
    EXPECT_EQ(left->Last(UIEVENT_DBLCLICK)->lParam, 0);
    Deliver(window.manager, WM_LBUTTONUP, 0, At(75, 60));
    EXPECT_NE(left->Last(UIEVENT_BUTTONUP), nullptr)
        << "the double click made it the click control";
    EXPECT_TRUE(notes.Saw(L"click:left"));

    Deliver(window.manager, WM_LBUTTONDOWN, MK_LBUTTON, At(75, 60));
    EXPECT_EQ(window.manager.GetFocus(), left);
    Deliver(window.manager, WM_LBUTTONUP, 0, At(75, 60));
}

TEST_F(Dispatch, ARealDoubleClickComesAsPressReleaseDoubleRelease) {
    for (DWORD flags :
         {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        MouseAtClient(225, 60, flags);
    }
    Pump();
    std::vector<int> buttons;
    for (int t : right->Types()) {
        if (t == UIEVENT_BUTTONDOWN || t == UIEVENT_BUTTONUP || t == UIEVENT_DBLCLICK)
            buttons.push_back(t);
    }
    EXPECT_EQ(buttons, (std::vector<int>{UIEVENT_BUTTONDOWN, UIEVENT_BUTTONUP, UIEVENT_DBLCLICK,
                                         UIEVENT_BUTTONUP}));
}

TEST_F(Dispatch, RightClickGivesRButtonDownThenTheContextMenuThatEndsTheCapture) {
    MouseAtClient(225, 60, MOUSEEVENTF_RIGHTDOWN);
    Pump();
    ASSERT_NE(right->Last(UIEVENT_RBUTTONDOWN), nullptr);
    EXPECT_EQ(window.manager.GetFocus(), right);
    EXPECT_TRUE(window.manager.IsCaptured()) << "the right release alone does not end it";
    MouseAtClient(225, 60, MOUSEEVENTF_RIGHTUP);
    Pump();
    const pmtest::SeenEvent* menu = right->Last(UIEVENT_CONTEXTMENU);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->sender, right);
    EXPECT_EQ(menu->lParam, reinterpret_cast<LPARAM>(right));
    EXPECT_EQ(menu->pt.x, 225);
    EXPECT_EQ(menu->pt.y, 60);
    EXPECT_FALSE(window.manager.IsCaptured());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(notes.Saw(L"menu:right"));

    // A second context menu finds no click control.
    right->events.clear();
    Deliver(window.manager, WM_CONTEXTMENU, 0, AtScreen(225, 60));
    EXPECT_EQ(right->Last(UIEVENT_CONTEXTMENU), nullptr);
}

TEST_F(Dispatch, WheelDirectionAndTheHoverWorkedOutAgain) {
    struct {
        short delta;
        WPARAM expected;
    } const cases[] = {{-120, 1}, {120, 0}, {-1, 1}, {0, 0}};
    for (const auto& c : cases) {
        // Away first, so the wheel's own move is what brings the hover back.
        Deliver(window.manager, WM_MOUSEMOVE, 0, At(20, 125));
        bottom->events.clear();
        Deliver(window.manager, WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), AtScreen(150, 170));
        const std::vector<int> types = bottom->Types();
        ASSERT_GE(types.size(), 2u) << c.delta;
        EXPECT_EQ(types[0], UIEVENT_SCROLLWHEEL);
        EXPECT_EQ(types[1], UIEVENT_MOUSEENTER);
        const pmtest::SeenEvent* wheel = bottom->Last(UIEVENT_SCROLLWHEEL);
        EXPECT_EQ(wheel->wParam, c.expected) << c.delta;
        EXPECT_EQ(wheel->lParam, AtScreen(150, 170));
        EXPECT_EQ(wheel->sender, bottom);
    }
}

TEST_F(Dispatch, ARealWheelReachesTheControlUnderTheCursor) {
    MouseAtClient(150, 170);
    Pump();
    MouseAtClient(150, 170, MOUSEEVENTF_WHEEL, static_cast<DWORD>(-120));
    Pump();
    ASSERT_NE(bottom->Last(UIEVENT_SCROLLWHEEL), nullptr);
    EXPECT_EQ(bottom->Last(UIEVENT_SCROLLWHEEL)->wParam, 1u);
}

TEST_F(Dispatch, MovesEnterAndLeaveAndTheLeaveReportMovesToMinusOne) {
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(75, 60));
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(80, 61));
    EXPECT_EQ(left->Types(),
              (std::vector<int>{UIEVENT_MOUSEENTER, UIEVENT_MOUSEMOVE, UIEVENT_MOUSEMOVE}));
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(225, 60));
    EXPECT_EQ(left->Types().back(), UIEVENT_MOUSELEAVE);
    EXPECT_EQ(right->Types(), (std::vector<int>{UIEVENT_MOUSEENTER, UIEVENT_MOUSEMOVE}));

    Deliver(window.manager, WM_MOUSELEAVE, 0, 0);
    const pmtest::SeenEvent* leave = right->Last(UIEVENT_MOUSELEAVE);
    ASSERT_NE(leave, nullptr);
    EXPECT_EQ(leave->pt.x, -1);
    EXPECT_EQ(leave->pt.y, -1);
    EXPECT_EQ(window.manager.GetMousePos().x, -1);
    // The hover is empty now: coming back is a fresh enter.
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(225, 60));
    EXPECT_EQ(right->Count(UIEVENT_MOUSEENTER), 2);
}

TEST_F(Dispatch, TheClickControlGetsTheMovesWhileItHoldsTheMouse) {
    Deliver(window.manager, WM_LBUTTONDOWN, MK_LBUTTON, At(75, 60));
    left->events.clear();
    Deliver(window.manager, WM_MOUSEMOVE, MK_LBUTTON, At(225, 60));
    EXPECT_EQ(left->Types(), (std::vector<int>{UIEVENT_MOUSEMOVE}));
    EXPECT_EQ(right->Types(), (std::vector<int>{UIEVENT_MOUSEENTER}));
    Deliver(window.manager, WM_LBUTTONUP, 0, At(225, 60));
}

TEST_F(Dispatch, AControlThatDiesWhileHeldIsForgotten) {
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(75, 60));
    Deliver(window.manager, WM_LBUTTONDOWN, MK_LBUTTON, At(75, 60));
    Deliver(window.manager, WM_KEYDOWN, 'K', 0);
    ASSERT_EQ(window.manager.GetFocus(), left);
    static_cast<CContainerUI*>(left->GetParent())->SetDelayedDestroy(false);
    static_cast<CContainerUI*>(left->GetParent())->Remove(left);
    left = nullptr;
    EXPECT_EQ(window.manager.GetFocus(), nullptr);
    // Hover, click and key control are gone with it: nothing reaches freed memory.
    Deliver(window.manager, WM_KEYUP, 'K', 0);
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(225, 60));
    Deliver(window.manager, WM_LBUTTONUP, 0, At(225, 60));
    Deliver(window.manager, WM_CLOSE, 0, 0);
    EXPECT_EQ(right->Count(UIEVENT_MOUSEENTER), 1);
    window.manager.ReleaseCapture();
}

TEST_F(Dispatch, HoverWithoutATooltipStillReachesTheHoverControl) {
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(75, 60));
    EXPECT_TRUE(Deliver(window.manager, WM_MOUSEHOVER, 0, At(75, 60)));
    ASSERT_NE(left->Last(UIEVENT_MOUSEHOVER), nullptr);
    EXPECT_EQ(window.manager.GetTooltipWindow(), nullptr);
    EXPECT_FALSE(Deliver(window.manager, WM_MOUSEHOVER, 0, At(20, 125))) << "over no control";

    right->SetToolTip(L"Right side");
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(225, 60));
    EXPECT_TRUE(Deliver(window.manager, WM_MOUSEHOVER, 0, At(225, 60)));
    HWND tip = window.manager.GetTooltipWindow();
    ASSERT_NE(tip, nullptr);
    WCHAR cls[64] = {0};
    ::GetClassNameW(tip, cls, 64);
    EXPECT_STREQ(cls, L"tooltips_class32");
    EXPECT_EQ(::GetWindow(tip, GW_OWNER), window.hwnd);
}

TEST_F(Dispatch, SetCursorAnswers) {
    struct {
        const char* name;
        int x, y;
        WORD hit;
        bool capture;
        bool answer;
        bool event;
    } const cases[] = {
        {"button", 75, 60, static_cast<WORD>(HTCLIENT), false, true, true},
        {"label_without_the_flag", 5, 5, static_cast<WORD>(HTCLIENT), false, false, false},
        {"not_the_client_area", 75, 60, static_cast<WORD>(HTCAPTION), false, false, false},
        {"under_capture", 75, 60, static_cast<WORD>(HTCLIENT), true, true, false},
    };
    for (const auto& c : cases) {
        left->events.clear();
        ::SetCursorPos(TestWindow::kLeft + c.x, TestWindow::kTop + c.y);
        if (c.capture) window.manager.SetCapture();
        EXPECT_EQ(Deliver(window.manager, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.hwnd),
                          MAKELPARAM(c.hit, WM_MOUSEMOVE)),
                  c.answer)
            << c.name;
        EXPECT_EQ(left->Last(UIEVENT_SETCURSOR) != nullptr, c.event) << c.name;
        if (c.capture) window.manager.ReleaseCapture();
    }
}

TEST_F(Dispatch, KeysGoToTheFocusAndTheReleaseToTheControlThatGotThePress) {
    window.manager.SetFocus(left);
    Deliver(window.manager, WM_KEYDOWN, 'A', 0);
    window.manager.SetFocus(right);
    Deliver(window.manager, WM_CHAR, 'a', 0);
    Deliver(window.manager, WM_KEYUP, 'A', 0);
    ASSERT_NE(left->Last(UIEVENT_KEYDOWN), nullptr);
    EXPECT_EQ(left->Last(UIEVENT_KEYDOWN)->chKey, 'A');
    EXPECT_EQ(left->Last(UIEVENT_KEYDOWN)->sender, nullptr);
    EXPECT_NE(left->Last(UIEVENT_KEYUP), nullptr);
    EXPECT_EQ(right->Last(UIEVENT_KEYUP), nullptr);
    EXPECT_NE(right->Last(UIEVENT_CHAR), nullptr);
    left->events.clear();
    Deliver(window.manager, WM_KEYUP, 'A', 0);
    EXPECT_TRUE(left->events.empty()) << "the key control was cleared";

    // Space on a focused button is a click.
    Deliver(window.manager, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(notes.Saw(L"click:right"));
}

TEST_F(Dispatch, KeyStateWordsFollowTheKeyboardAndButtons) {
    struct {
        const char* name;
        std::vector<WORD> keys;
        DWORD buttonDown;
        DWORD buttonUp;
        WORD expected;
    } const cases[] = {
        {"nothing", {}, 0, 0, 0},
        {"ctrl", {VK_CONTROL}, 0, 0, UISTATE_CONTROL},
        {"shift", {VK_SHIFT}, 0, 0, UISTATE_SHIFT},
        {"alt", {VK_MENU}, 0, 0, UISTATE_ALT},
        {"ctrl_shift", {VK_CONTROL, VK_SHIFT}, 0, 0, UISTATE_CONTROL | UISTATE_SHIFT},
        {"left_button", {}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, UISTATE_LBUTTON},
        {"right_button", {}, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, UISTATE_RBUTTON},
    };
    ::SetFocus(window.hwnd);
    for (const auto& c : cases) {
        for (WORD vk : c.keys) pmtest::Key(vk);
        if (c.buttonDown) MouseAtClient(20, 125, c.buttonDown);
        Pump();
        EXPECT_EQ(CPaintManagerUI::MapKeyState(), c.expected) << c.name;
        for (WORD vk : c.keys) pmtest::Key(vk, true);
        if (c.buttonUp) MouseAtClient(20, 125, c.buttonUp);
        Pump();
    }
    EXPECT_EQ(CPaintManagerUI::MapKeyState(), 0);
}

TEST(DispatchClose, CloseLeavesTheHoverReleasesTheClickAndHandsTheFocusToTheOwner) {
    TestWindow owner(40, 40);
    TestWindow window(300, 200, owner.hwnd);
    auto* root = new CHorizontalLayoutUI;
    auto* hovered = new Recorder<CButtonUI>(L"hovered");
    auto* pressed = new Recorder<CButtonUI>(L"pressed");
    root->Add(hovered);
    root->Add(pressed);
    window.Attach(root);
    NotifyRecorder notes;
    window.manager.AddNotifier(&notes);
    Deliver(window.manager, WM_MOUSEMOVE, 0, At(75, 60));
    Deliver(window.manager, WM_LBUTTONDOWN, MK_LBUTTON, At(225, 60));
    ASSERT_EQ(window.manager.GetFocus(), pressed);
    hovered->events.clear();
    EXPECT_FALSE(Deliver(window.manager, WM_CLOSE, 0, 0));
    EXPECT_EQ(hovered->Types(), std::vector<int>{UIEVENT_MOUSELEAVE});
    ASSERT_NE(pressed->Last(UIEVENT_BUTTONUP), nullptr);
    EXPECT_EQ(pressed->Last(UIEVENT_BUTTONUP)->pt.x, 225);
    EXPECT_EQ(window.manager.GetFocus(), nullptr);
    EXPECT_TRUE(notes.Saw(L"killfocus:pressed"));
    EXPECT_EQ(::GetFocus(), owner.hwnd);
    window.manager.ReleaseCapture();
}

// A child window that answers reflected messages with a mark of its own.
LRESULT ReflectingChildProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= 0x2000 && msg < 0x3000) return 0x1000 + msg;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(Dispatch, NotificationsOfChildWindowsAreReflectedBackToThem) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ReflectingChildProc;
    wc.lpszClassName = L"ReflectingChild";
    ::RegisterClassW(&wc);
    HWND child = ::CreateWindowExW(0, L"ReflectingChild", L"", WS_CHILD, 0, 0, 5, 5, window.hwnd,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    NMHDR header = {child, 1, 0};
    LRESULT result = 0;
    EXPECT_TRUE(Deliver(window.manager, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header), &result));
    EXPECT_EQ(result, 0x1000 + 0x2000 + 0x4E);
    EXPECT_TRUE(Deliver(window.manager, WM_COMMAND, 1, reinterpret_cast<LPARAM>(child), &result));
    EXPECT_EQ(result, 0x1000 + 0x2000 + 0x111);
    EXPECT_TRUE(
        Deliver(window.manager, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(child), &result));
    EXPECT_EQ(result, 0x1000 + 0x2000 + 0x138);

    result = 7;
    EXPECT_TRUE(Deliver(window.manager, WM_NOTIFY, 1, 0, &result))
        << "a null header is still taken";
    EXPECT_EQ(result, 7) << "and the result is untouched";
    EXPECT_FALSE(Deliver(window.manager, WM_COMMAND, 1, 0));
    ::DestroyWindow(child);
}

TEST_F(Dispatch, SmallAnswers) {
    LRESULT result = 0;
    EXPECT_TRUE(Deliver(window.manager, WM_ERASEBKGND, 0, 0, &result));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Deliver(window.manager, WM_SYSCOMMAND, SC_RESTORE, 0));
    EXPECT_TRUE(Deliver(window.manager, WM_SYSCOMMAND, SC_MINIMIZE, 0));

    window.manager.SetMinInfo(120, 0);
    window.manager.SetMaxInfo(0, 900);
    MINMAXINFO info = {};
    info.ptMinTrackSize = {1, 2};
    info.ptMaxTrackSize = {3, 4};
    EXPECT_FALSE(Deliver(window.manager, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.ptMinTrackSize.x, 120);
    EXPECT_EQ(info.ptMinTrackSize.y, 2) << "zero settings leave the record alone";
    EXPECT_EQ(info.ptMaxTrackSize.x, 3);
    EXPECT_EQ(info.ptMaxTrackSize.y, 900);
}

TEST_F(Dispatch, ResizingLaysTheTreeOutAgain) {
    window.manager.SetFocus(left);
    left->events.clear();
    ::SetWindowPos(window.hwnd, nullptr, 0, 0, 400, 200,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(window.hwnd);
    Pump();
    EXPECT_NE(left->Last(UIEVENT_WINDOWSIZE), nullptr) << "the focus control hears of it";
    EXPECT_EQ(right->GetPos().right, 400);
    EXPECT_EQ(window.Pixel(395, 5), 0x0000FFu) << "the label was painted at its new width";
}

// Asks for another layout pass from inside its first paint.
class ReLayoutInPaint : public CControlUI {
  public:
    void DoPaint(HDC hDC, const RECT& rcPaint) override {
        ++paints;
        if (paints == 1) NeedUpdate();
        CControlUI::DoPaint(hDC, rcPaint);
    }
    int paints = 0;
};

TEST(DispatchPaint, ALayoutRequestDuringPaintBringsAnotherPaint) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* asking = new ReLayoutInPaint;
    root->Add(asking);
    ASSERT_TRUE(window.manager.AttachDialog(root));
    ::UpdateWindow(window.hwnd);
    EXPECT_EQ(asking->paints, 1);
    RECT pending = {};
    EXPECT_TRUE(::GetUpdateRect(window.hwnd, &pending, FALSE)) << "invalidated again";
    EXPECT_EQ(pending.right - pending.left, 300);
    Pump();
    EXPECT_EQ(asking->paints, 2);
    EXPECT_FALSE(::GetUpdateRect(window.hwnd, &pending, FALSE));
}

TEST(DispatchPaint, WithoutARootAPaintOnlyValidates) {
    TestWindow window;
    ::InvalidateRect(window.hwnd, nullptr, FALSE);
    EXPECT_TRUE(Deliver(window.manager, WM_PAINT, 0, 0));
    RECT pending = {};
    EXPECT_FALSE(::GetUpdateRect(window.hwnd, &pending, FALSE));
}

TEST(DispatchPaint, OnlyTheControlsThatAskAreLaidOutAgain) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* label = new CLabelUI;
    label->SetBkColor(0xFF00FF00);
    root->Add(label);
    window.Attach(root);
    int rootSizes = 0;
    int labelSizes = 0;
    root->OnSize += [&](void*) { return ++rootSizes > 0; };
    label->OnSize += [&](void*) { return ++labelSizes > 0; };
    label->SetText(L"changed");
    label->NeedUpdate();
    Pump();
    EXPECT_EQ(labelSizes, 1);
    EXPECT_EQ(rootSizes, 0);
}

TEST(DispatchPaint, BordersTextAndImagesReachThePixels) {
    TestWindow window(120, 60);
    auto* root = new CHorizontalLayoutUI;
    root->SetBkColor(0xFFFFFFFF);
    auto* boxed = new CLabelUI;
    boxed->ApplyAttributeList(
        L"width=\"60\" bordersize=\"3\" bordercolor=\"#FFFF0000\" bkcolor=\"#FF00FF00\"");
    auto* text = new CLabelUI;
    text->ApplyAttributeList(L"text=\"WWWW\" textcolor=\"#FF000000\" align=\"center\"");
    root->Add(boxed);
    root->Add(text);
    window.Attach(root);
    EXPECT_EQ(window.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(window.Pixel(2, 30), 0xFF0000u);
    EXPECT_EQ(window.Pixel(3, 30), 0x00FF00u);
    EXPECT_EQ(window.Pixel(59, 59), 0xFF0000u);
    int dark = 0;
    for (int x = 60; x < 120; ++x) {
        for (int y = 20; y < 40; ++y) dark += window.Pixel(x, y) < 0x808080u ? 1 : 0;
    }
    EXPECT_GT(dark, 20) << "the text left ink in the middle of its label";
}

TEST(DispatchPaint, HalfTransparentColoursBlendOverWhatIsBelow) {
    TestWindow window(40, 40);
    auto* root = new CContainerUI;
    root->SetBkColor(0xFF0000FF);
    auto* veil = new CControlUI;
    veil->SetBkColor(0x80FF0000);
    root->Add(veil);
    window.Attach(root);
    const DWORD px = window.Pixel(10, 10);
    EXPECT_NEAR(static_cast<int>((px >> 16) & 0xFF), 128, 2);
    EXPECT_NEAR(static_cast<int>(px & 0xFF), 127, 2);
}

TEST(DispatchPaint, PngImagesDrawWithTheirMaskColourTransparent) {
    // A 4x4 picture: red on the left, magenta (the mask colour) on the right.
    TempDir dir;
    cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
    cairo_t* cr = cairo_create(png);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 2, 4);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 0, 1);
    cairo_rectangle(cr, 2, 0, 2, 4);
    cairo_fill(cr);
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(png, dir.File("pic.png").c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(png);

    const std::wstring folder(dir.path().begin(), dir.path().end());
    CPaintManagerUI::SetResourcePath(folder.c_str());
    TestWindow window(80, 40);
    auto* root = new CHorizontalLayoutUI;
    root->SetBkColor(0xFF0000FF);
    auto* masked = new CControlUI;
    masked->SetBkImage(L"file='pic.png' mask='#FFFF00FF'");
    auto* missing = new CControlUI;
    missing->SetBkImage(L"nothing_here.png");
    root->Add(masked);
    root->Add(missing);
    window.Attach(root);
    EXPECT_EQ(window.Pixel(5, 20), 0xFF0000u);
    EXPECT_EQ(window.Pixel(35, 20), 0x0000FFu) << "the mask colour lets the background through";
    EXPECT_EQ(window.Pixel(60, 20), 0x0000FFu) << "a missing image draws nothing";
    const TImageInfo* info = window.manager.GetImage(L"pic.png");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->nX, 4);
    EXPECT_TRUE(info->bAlpha);
    EXPECT_EQ(window.manager.GetImage(L"nothing_here.png"), nullptr);
    CPaintManagerUI::SetResourcePath(L"");
}

// The whole path a user takes: a window of its own with labels, buttons and a progress bar,
// painted, clicked, hovered, typed at, scrolled and ticking, all through the display's input.
TEST(DispatchWindow, AWindowOfLabelsButtonsAndProgressReactsToTheUser) {
    TestWindow window(240, 120);
    auto* root = new CVerticalLayoutUI;
    root->ApplyAttributeList(L"bkcolor=\"#FFFFFFFF\" inset=\"10,10,10,10\" childpadding=\"10\"");
    auto* title = new CLabelUI;
    title->ApplyAttributeList(
        L"name=\"title\" text=\"Repair\" height=\"20\" textcolor=\"#FF000000\"");
    auto* buttons = new CHorizontalLayoutUI;
    buttons->ApplyAttributeList(L"height=\"30\" childpadding=\"20\"");
    auto* ok = new Recorder<CButtonUI>(L"ok");
    ok->ApplyAttributeList(L"bkcolor=\"#FF00FF00\" hotbkcolor=\"#FFFF0000\"");
    auto* cancel = new Recorder<CButtonUI>(L"cancel");
    cancel->ApplyAttributeList(L"bkcolor=\"#FF008000\"");
    buttons->Add(ok);
    buttons->Add(cancel);
    auto* progress = new Recorder<CProgressUI>(L"progress");
    progress->ApplyAttributeList(L"bkcolor=\"#FF000000\" forecolor=\"#FF0000FF\" value=\"25\"");
    root->Add(title);
    root->Add(buttons);
    root->Add(progress);
    NotifyRecorder notes;
    window.manager.AddNotifier(&notes);
    window.Attach(root);

    // Layout: 220 wide inside the inset; buttons share 200 after the padding.
    EXPECT_EQ(ok->GetPos().left, 10);
    EXPECT_EQ(ok->GetPos().right, 110);
    EXPECT_EQ(cancel->GetPos().left, 130);
    EXPECT_EQ(progress->GetPos().top, 80);
    EXPECT_EQ(progress->GetPos().bottom, 110);
    EXPECT_EQ(window.Pixel(50, 55), 0x00FF00u);
    EXPECT_EQ(window.Pixel(150, 55), 0x008000u);
    EXPECT_EQ(window.Pixel(60, 95), 0x0000FFu) << "a quarter of the bar is done";
    EXPECT_EQ(window.Pixel(100, 95), 0x000000u);
    EXPECT_EQ(window.Pixel(115, 55), 0xFFFFFFu) << "the gap between the buttons";
    EXPECT_TRUE(notes.Saw(L"windowinit:")) << "the root has no name";
    EXPECT_EQ(window.manager.GetFocus(), ok) << "the first tab stop";

    // Hover: the pointer over "ok" lights it up.
    MouseAtClient(50, 55);
    Pump();
    EXPECT_EQ(ok->Count(UIEVENT_MOUSEENTER), 1);
    EXPECT_EQ(window.Pixel(50, 55), 0xFF0000u);
    MouseAtClient(150, 55);
    Pump();
    EXPECT_EQ(window.Pixel(50, 55), 0x00FF00u);

    // Click on "cancel".
    MouseAtClient(150, 55, MOUSEEVENTF_LEFTDOWN);
    MouseAtClient(150, 55, MOUSEEVENTF_LEFTUP);
    Pump();
    EXPECT_TRUE(notes.Saw(L"click:cancel"));
    EXPECT_EQ(window.manager.GetFocus(), cancel);

    // Keys: Tab goes round to "ok", Space clicks it.
    notes.seen.clear();
    pmtest::Key(VK_TAB);
    pmtest::Key(VK_TAB, true);
    Pump();
    EXPECT_EQ(window.manager.GetFocus(), ok);
    pmtest::Key(VK_SPACE);
    pmtest::Key(VK_SPACE, true);
    Pump();
    EXPECT_TRUE(notes.Saw(L"click:ok"));
    EXPECT_NE(ok->Last(UIEVENT_KEYUP), nullptr);

    // Wheel over the progress bar.
    MouseAtClient(60, 95);
    MouseAtClient(60, 95, MOUSEEVENTF_WHEEL, 120);
    Pump();
    ASSERT_NE(progress->Last(UIEVENT_SCROLLWHEEL), nullptr);
    EXPECT_EQ(progress->Last(UIEVENT_SCROLLWHEEL)->wParam, 0u);

    // A timer moves the bar; the next paint shows it.
    progress->OnEvent += [progress](void* param) {
        if (static_cast<TEventUI*>(param)->Type == UIEVENT_TIMER) progress->SetValue(100);
        return true;
    };
    ASSERT_TRUE(window.manager.SetTimer(progress, 1, 10));
    for (int i = 0; i < 100 && !notes.Saw(L"timer:progress"); ++i) {
        ::Sleep(5);
        Pump();
    }
    EXPECT_TRUE(notes.Saw(L"timer:progress"));
    window.manager.KillTimer(progress, 1);
    Pump();
    EXPECT_EQ(window.Pixel(200, 95), 0x0000FFu);
}

TEST(DispatchPaint, ALayeredWindowKeepsItsAlphaAndARichEditCornerIsMadeOpaque) {
    TestWindow window(60, 40);
    window.manager.SetUseLayeredWindow(true);
    window.manager.SetRichEditCorner({30, 0, 0, 0});
    auto* root = new CContainerUI;
    root->SetBkColor(0x80FF0000);
    window.Attach(root);
    EXPECT_NE(::GetWindowLongPtrW(window.hwnd, GWL_EXSTYLE) & static_cast<LONG_PTR>(WS_EX_LAYERED),
              0);
    EXPECT_NEAR(static_cast<int>(window.RawPixel(10, 10) >> 24), 128, 2) << "left of the corner";
    EXPECT_EQ(window.RawPixel(45, 10) >> 24, 0xFFu) << "inside the rich-edit area";
    // A restore repaints the whole client area.
    LRESULT result = 0;
    window.manager.MessageHandler(WM_SYSCOMMAND, SC_RESTORE, 0, result);
    ::InvalidateRect(window.hwnd, nullptr, FALSE);
    Pump();
    EXPECT_NEAR(static_cast<int>(window.RawPixel(10, 10) >> 24), 128, 2) << "no alpha piled up";
}

}  // namespace
