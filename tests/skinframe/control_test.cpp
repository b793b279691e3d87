// The control base and the small control library without a window: tree walks, attributes,
// initialisation, options and progress.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "skinframe/controls/controls.h"
#include "skinframe/paint_manager.h"

namespace {

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

CControlUI* Named(CControlUI* control, const wchar_t* name) {
    control->SetName(name);
    return control;
}

// Records the names of the controls a walk visits, never stopping it.
CControlUI* RecordVisit(CControlUI* control, LPVOID data) {
    auto* visits = static_cast<std::vector<std::wstring>*>(data);
    visits->push_back(control->GetName().GetData());
    return nullptr;
}

// root: a (a1, a2 disabled), b hidden (b1).
struct WalkTree {
    std::unique_ptr<CVerticalLayoutUI> root{new CVerticalLayoutUI};
    WalkTree() {
        root->SetName(L"root");
        auto* a = static_cast<CContainerUI*>(Named(new CHorizontalLayoutUI, L"a"));
        auto* b = static_cast<CContainerUI*>(Named(new CVerticalLayoutUI, L"b"));
        a->Add(Named(new CControlUI, L"a1"));
        CControlUI* a2 = Named(new CControlUI, L"a2");
        a2->SetEnabled(false);
        a->Add(a2);
        b->Add(Named(new CControlUI, L"b1"));
        root->Add(a);
        root->Add(b);
        b->SetVisible(false);
    }
};

struct WalkCase {
    const char* name;
    UINT flags;
    std::vector<std::wstring> order;
};

void PrintTo(const WalkCase& c, std::ostream* os) {
    *os << c.name;
}

class TreeWalk : public testing::TestWithParam<WalkCase> {};

TEST_P(TreeWalk, VisitsInFlagOrder) {
    WalkTree tree;
    std::vector<std::wstring> visits;
    EXPECT_EQ(tree.root->FindControl(RecordVisit, &visits, GetParam().flags), nullptr);
    EXPECT_EQ(visits, GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, TreeWalk,
    testing::Values(
        WalkCase{"all_children_before_their_container",
                 UIFIND_ALL,
                 {L"a1", L"a2", L"a", L"b1", L"b", L"root"}},
        WalkCase{"me_first", UIFIND_ME_FIRST, {L"root", L"a", L"a1", L"a2", L"b", L"b1"}},
        WalkCase{"top_first", UIFIND_TOP_FIRST, {L"b1", L"b", L"a2", L"a1", L"a", L"root"}},
        WalkCase{"visible_skips_hidden_subtrees", UIFIND_VISIBLE, {L"a1", L"a2", L"a", L"root"}},
        WalkCase{"enabled_skips_disabled", UIFIND_ENABLED, {L"a1", L"a", L"b1", L"b", L"root"}},
        WalkCase{"shortcut_search_order",
                 UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST,
                 {L"root", L"b", L"b1", L"a", L"a1"}}));

TEST(TreeWalk, StopsAtTheFirstAnswer) {
    WalkTree tree;
    int calls = 0;
    struct Ctx {
        int* calls;
    } ctx{&calls};
    CControlUI* found = tree.root->FindControl(
        [](CControlUI* control, LPVOID data) -> CControlUI* {
            ++*static_cast<Ctx*>(data)->calls;
            return control->GetName() == L"a2" ? control : nullptr;
        },
        &ctx, UIFIND_ALL);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetName(), L"a2");
    EXPECT_EQ(calls, 2);
}

TEST(TreeWalk, HitTestFindsTheTopmostControlThatTakesTheMouse) {
    CContainerUI root;
    auto* under = Named(new CControlUI, L"under");
    auto* over = Named(new CControlUI, L"over");
    auto* mute = Named(new CControlUI, L"mute");
    mute->SetMouseEnabled(false);
    root.Add(under);
    root.Add(over);
    root.Add(mute);
    root.SetPos({0, 0, 100, 100});
    const UINT flags = UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST;
    const auto hit = [&](POINT pt) {
        return root.FindControl([](CControlUI* c, LPVOID) -> CControlUI* { return c; }, &pt, flags);
    };
    // All three cover the same area; the mouse-deaf last one is passed over.
    EXPECT_EQ(hit({50, 50}), over);
    over->SetVisible(false);
    EXPECT_EQ(hit({50, 50}), under);
    EXPECT_EQ(hit({100, 50}), nullptr) << "right and bottom edges lie outside";

    root.SetMouseChildEnabled(false);
    over->SetVisible(true);
    EXPECT_EQ(hit({50, 50}), &root) << "a container whose children are mouse-deaf takes the hit";
}

struct AttributeListCase {
    const char* name;
    const wchar_t* list;
    const wchar_t* expectedName;
    const wchar_t* expectedText;
};

void PrintTo(const AttributeListCase& c, std::ostream* os) {
    *os << c.name;
}

class AttributeList : public testing::TestWithParam<AttributeListCase> {};

TEST_P(AttributeList, AppliesThePairsReadBeforeAnyFault) {
    CLabelUI label;
    label.ApplyAttributeList(GetParam().list);
    EXPECT_EQ(label.GetName(), GetParam().expectedName);
    EXPECT_EQ(label.GetText(), GetParam().expectedText);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AttributeList,
    testing::Values(
        AttributeListCase{"two_pairs", L"name=\"n\" text=\"t\"", L"n", L"t"},
        AttributeListCase{"value_with_spaces_and_equals", L"text=\"a = b\" name=\"n\"", L"n",
                          L"a = b"},
        AttributeListCase{"empty_text", L"", L"", L""},
        AttributeListCase{"two_spaces_apply_only_the_first", L"name=\"n\"  text=\"t\"", L"n", L""},
        AttributeListCase{"no_space_after_quote_stops", L"name=\"n\"text=\"t\"", L"n", L""},
        AttributeListCase{"name_without_equals_stops", L"name=\"n\" text", L"n", L""},
        AttributeListCase{"equals_without_quote_stops", L"name=n text=\"t\"", L"", L""},
        AttributeListCase{"unclosed_value_stops", L"name=\"n\" text=\"t", L"n", L""},
        AttributeListCase{"trailing_space_is_fine", L"name=\"n\" ", L"n", L""}));

TEST(ControlAttributes, CommonAttributesReachTheirSetters) {
    CLabelUI label;
    label.ApplyAttributeList(
        L"name=\"title\" pos=\"1,2,41,22\" float=\"true\" minwidth=\"5\" maxwidth=\"90\" "
        L"minheight=\"6\" maxheight=\"80\" padding=\"1,2,3,4\" bkcolor=\"#FF102030\" "
        L"bordercolor=\"#FF405060\" bordersize=\"2\" text=\"Hi\" textcolor=\"#FFAABBCC\" "
        L"font=\"1\" align=\"right\" enabled=\"false\" tooltip=\"tip\" shortcut=\"x\" "
        L"virtualwnd=\"page\"");
    EXPECT_EQ(label.GetName(), L"title");
    EXPECT_EQ(label.GetFixedXY().cx, 1);
    EXPECT_EQ(label.GetFixedXY().cy, 2);
    EXPECT_EQ(label.GetFixedWidth(), 40);
    EXPECT_EQ(label.GetFixedHeight(), 20);
    EXPECT_TRUE(label.IsFloat());
    EXPECT_EQ(label.GetMinWidth(), 5);
    EXPECT_EQ(label.GetMaxWidth(), 90);
    EXPECT_EQ(label.GetMinHeight(), 6);
    EXPECT_EQ(label.GetMaxHeight(), 80);
    EXPECT_TRUE(label.GetPadding() == (RECT{1, 2, 3, 4}));
    EXPECT_EQ(label.GetBkColor(), 0xFF102030u);
    EXPECT_EQ(label.GetBorderColor(), 0xFF405060u);
    EXPECT_EQ(label.GetBorderSize(), 2);
    EXPECT_EQ(label.GetText(), L"Hi");
    EXPECT_EQ(label.GetTextColor(), 0xFFAABBCCu);
    EXPECT_EQ(label.GetFont(), 1);
    EXPECT_EQ(label.GetTextStyle() & (DT_LEFT | DT_CENTER | DT_RIGHT), static_cast<UINT>(DT_RIGHT));
    EXPECT_FALSE(label.IsEnabled());
    EXPECT_EQ(label.GetToolTip(), L"tip");
    EXPECT_EQ(label.GetShortcut(), L'x');
    EXPECT_EQ(label.GetVirtualWnd(), L"page");

    label.SetAttribute(L"visible", L"false");
    EXPECT_FALSE(label.IsVisible());
    label.SetAttribute(L"visible", L"TRUE");
    EXPECT_FALSE(label.IsVisible()) << "Booleans are exactly \"true\"";
}

TEST(ControlAttributes, ColoursAndAlignmentWords) {
    CLabelUI label;
    label.SetAttribute(L"bkcolor", L"#80FF0000");
    EXPECT_EQ(label.GetBkColor(), 0x80FF0000u);
    label.SetAttribute(L"bkcolor", L"00FF00");
    EXPECT_EQ(label.GetBkColor(), 0xFF00FF00u) << "six digits are an opaque colour";
    label.SetAttribute(L"align", L"center");
    label.SetAttribute(L"valign", L"bottom");
    EXPECT_EQ(label.GetTextStyle() & (DT_LEFT | DT_CENTER | DT_RIGHT),
              static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(label.GetTextStyle() & (DT_TOP | DT_VCENTER | DT_BOTTOM),
              static_cast<UINT>(DT_BOTTOM));
    label.SetAttribute(L"align", L"vcenter");
    EXPECT_EQ(label.GetTextStyle() & (DT_LEFT | DT_CENTER | DT_RIGHT), static_cast<UINT>(DT_CENTER))
        << "\"vcenter\" is not \"center\"";
}

// Every element name of the skin vocabulary has a class that names itself and, for containers,
// offers the container interface the layout builder adds children through.
struct ClassCase {
    const char* element;
    CControlUI* (*make)();
    const wchar_t* className;
    bool container;
};

template <typename T>
CControlUI* Make() {
    return new T;
}

TEST(ControlClasses, EachElementHasItsOwnClass) {
    const ClassCase cases[] = {
        {"Edit", Make<CEditUI>, L"EditUI", false},
        {"List", Make<CListUI>, L"ListUI", true},
        {"Text", Make<CTextUI>, L"TextUI", false},
        {"Combo", Make<CComboUI>, L"ComboUI", true},
        {"Label", Make<CLabelUI>, L"LabelUI", false},
        {"Flash", Make<CFlashUI>, L"FlashUI", false},
        {"Button", Make<CButtonUI>, L"ButtonUI", false},
        {"Option", Make<COptionUI>, L"OptionUI", false},
        {"Slider", Make<CSliderUI>, L"SliderUI", false},
        {"Control", Make<CControlUI>, L"ControlUI", false},
        {"ActiveX", Make<CActiveXUI>, L"ActiveXUI", false},
        {"GifAnim", Make<CGifAnimUI>, L"GifAnimUI", false},
        {"Progress", Make<CProgressUI>, L"ProgressUI", false},
        {"RichEdit", Make<CRichEditUI>, L"RichEditUI", true},
        {"CheckBox", Make<CCheckBoxUI>, L"CheckBoxUI", false},
        {"DateTime", Make<CDateTimeUI>, L"DateTimeUI", false},
        {"TreeView", Make<CTreeViewUI>, L"TreeViewUI", true},
        {"Container", Make<CContainerUI>, L"ContainerUI", true},
        {"TabLayout", Make<CTabLayoutUI>, L"TabLayoutUI", true},
        {"ScrollBar", Make<CScrollBarUI>, L"ScrollBarUI", false},
        {"ListHeader", Make<CListHeaderUI>, L"ListHeaderUI", true},
        {"TileLayout", Make<CTileLayoutUI>, L"TileLayoutUI", true},
        {"WebBrowser", Make<CWebBrowserUI>, L"WebBrowserUI", false},
        {"ChildLayout", Make<CChildLayoutUI>, L"ChildLayoutUI", true},
        {"VerticalLayout", Make<CVerticalLayoutUI>, L"VerticalLayoutUI", true},
        {"ListHeaderItem", Make<CListHeaderItemUI>, L"ListHeaderItemUI", false},
        {"ListTextElement", Make<CListTextElementUI>, L"ListTextElementUI", false},
        {"HorizontalLayout", Make<CHorizontalLayoutUI>, L"HorizontalLayoutUI", true},
        {"ListLabelElement", Make<CListLabelElementUI>, L"ListLabelElementUI", false},
        {"ListContainerElement", Make<CListContainerElementUI>, L"ListContainerElementUI", true},
        {"TreeNode", Make<CTreeNodeUI>, L"TreeNodeUI", true},
    };
    for (const ClassCase& c : cases) {
        std::unique_ptr<CControlUI> control(c.make());
        EXPECT_STREQ(control->GetClass(), c.className) << c.element;
        auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
        EXPECT_EQ(container != nullptr, c.container) << c.element;
        if (container) {
            EXPECT_TRUE(container->Add(new CControlUI)) << c.element;
        }
    }
    CTreeNodeUI node;
    EXPECT_EQ(node.GetInterface(L"TreeNode"), &node);
    EXPECT_NE(node.GetTreeNodeHoriznotal(), nullptr);
    CTreeViewUI view;
    EXPECT_EQ(view.GetInterface(L"TreeView"), &view);
    EXPECT_TRUE(view.Add(new CTreeNodeUI));
}

// Counts initialisations and remembers the parent it had then.
class InitProbe : public CControlUI {
  public:
    void DoInit() override {
        ++inits;
        parentAtInit = GetParent();
    }
    int inits = 0;
    CControlUI* parentAtInit = nullptr;
};

TEST(ControlInit, RunsOnceAttachedUnderAParentWithTheInitFlag) {
    CPaintManagerUI manager;
    auto* root = new CVerticalLayoutUI;
    auto* probe = new InitProbe;
    int listenerCalls = 0;
    probe->OnInit += [&](void*) {
        ++listenerCalls;
        return true;
    };
    root->Add(probe);
    // The layout builder attaches without initialising while it applies attributes.
    probe->SetManager(&manager, nullptr, false);
    probe->SetManager(nullptr, nullptr, false);
    EXPECT_EQ(probe->inits, 0);

    ASSERT_TRUE(manager.AttachDialog(root));
    EXPECT_EQ(probe->inits, 1);
    EXPECT_EQ(listenerCalls, 1);
    EXPECT_EQ(probe->parentAtInit, root);
    EXPECT_EQ(probe->GetManager(), &manager);
    EXPECT_EQ(root->GetManager(), &manager);
}

TEST(ControlInit, ControlsAddedLaterJoinTheManagerAndItsNameMap) {
    CPaintManagerUI manager;
    auto* root = new CVerticalLayoutUI;
    ASSERT_TRUE(manager.AttachDialog(root));
    auto* late = new InitProbe;
    late->SetName(L"late");
    ASSERT_TRUE(root->Add(late));
    EXPECT_EQ(late->inits, 1);
    EXPECT_EQ(manager.FindControl(L"late"), late);
}

struct ProgressCase {
    int min, max, value;
    bool horizontal;
    RECT expected;
};

TEST(Progress, ForegroundCoversTheShareOfTheRange) {
    const ProgressCase cases[] = {
        {0, 100, 50, true, {0, 0, 100, 20}},
        {0, 100, 0, true, {0, 0, 0, 20}},
        {0, 100, 100, true, {0, 0, 200, 20}},
        {0, 100, 150, true, {0, 0, 200, 20}},  // past the maximum: full
        {0, 100, -5, true, {0, 0, 0, 20}},     // below the minimum: empty
        {50, 150, 75, true, {0, 0, 50, 20}},
        {0, 0, 10, true, {0, 0, 0, 20}},  // empty range: nothing, no division by zero
        {0, 100, 25, false, {0, 15, 200, 20}},
    };
    for (const ProgressCase& c : cases) {
        CProgressUI progress;
        progress.SetMinValue(c.min);
        progress.SetMaxValue(c.max);
        progress.SetValue(c.value);
        progress.SetHorizontal(c.horizontal);
        progress.SetPos({0, 0, 200, 20});
        EXPECT_TRUE(progress.GetForeRect() == c.expected)
            << c.min << ".." << c.max << " at " << c.value
            << (c.horizontal ? " across" : " upward");
    }
}

// Records every notification: type and sender name.
class NotifyLog : public INotifyUI {
  public:
    void Notify(TNotifyUI& msg) override {
        seen.push_back(std::wstring(msg.sType.GetData()) + L":" + msg.pSender->GetName().GetData());
    }
    std::vector<std::wstring> seen;
};

TEST(Options, AGroupKeepsOneSelectedAndReportsEachChange) {
    CPaintManagerUI manager;
    NotifyLog log;
    manager.AddNotifier(&log);
    auto* root = new CHorizontalLayoutUI;
    auto* first = new COptionUI;
    auto* second = new COptionUI;
    auto* loose = new CCheckBoxUI;
    first->ApplyAttributeList(L"name=\"first\" group=\"g\" selected=\"true\"");
    second->ApplyAttributeList(L"name=\"second\" group=\"g\"");
    loose->SetName(L"loose");
    root->Add(first);
    root->Add(second);
    root->Add(loose);
    ASSERT_TRUE(manager.AttachDialog(root));
    ASSERT_NE(manager.GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(manager.GetOptionGroup(L"g")->size(), 2u);

    ASSERT_TRUE(second->Activate());
    EXPECT_TRUE(second->IsSelected());
    EXPECT_FALSE(first->IsSelected());
    EXPECT_EQ(log.seen, (std::vector<std::wstring>{L"click:second", L"selectchanged:first",
                                                   L"selectchanged:second"}));

    log.seen.clear();
    ASSERT_TRUE(second->Activate());
    EXPECT_TRUE(second->IsSelected()) << "activating the selected option of a group keeps it";
    EXPECT_EQ(log.seen, (std::vector<std::wstring>{L"click:second"}));

    ASSERT_TRUE(loose->Activate());
    EXPECT_TRUE(loose->GetCheck());
    ASSERT_TRUE(loose->Activate());
    EXPECT_FALSE(loose->GetCheck()) << "an option outside a group toggles";

    second->SetEnabled(false);
    EXPECT_FALSE(second->Activate());
    EXPECT_TRUE(second->IsSelected());

    root->SetDelayedDestroy(false);
    root->Remove(first);
    EXPECT_EQ(manager.GetOptionGroup(L"g")->size(), 1u) << "a destroyed option leaves its group";
}

}  // namespace
