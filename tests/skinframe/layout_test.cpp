// Layout passes of the containers, checked on trees without a window: a layout is a pure function
// of the tree's sizes and the rectangle the container gets.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "skinframe/controls/controls.h"

namespace {

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& rc) {
    return "{" + std::to_string(rc.left) + "," + std::to_string(rc.top) + "," +
           std::to_string(rc.right) + "," + std::to_string(rc.bottom) + "}";
}

// A child described by its attribute list, and the rectangle it must end up with.
struct Child {
    const wchar_t* attributes;
    RECT expected;
};

struct LayoutCase {
    const char* name;
    bool vertical;
    const wchar_t* containerAttributes;
    RECT given;
    std::vector<Child> children;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class LinearLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(LinearLayout, PlacesEveryChild) {
    const LayoutCase& c = GetParam();
    std::unique_ptr<CContainerUI> box;
    if (c.vertical) {
        box = std::make_unique<CVerticalLayoutUI>();
    } else {
        box = std::make_unique<CHorizontalLayoutUI>();
    }
    box->ApplyAttributeList(c.containerAttributes);
    std::vector<CControlUI*> children;
    for (const Child& child : c.children) {
        auto* control = new CControlUI;
        control->ApplyAttributeList(child.attributes);
        ASSERT_TRUE(box->Add(control));
        children.push_back(control);
    }
    box->SetPos(c.given);
    for (size_t i = 0; i < children.size(); ++i) {
        EXPECT_TRUE(children[i]->GetPos() == c.children[i].expected)
            << "child " << i << " got " << Show(children[i]->GetPos()) << ", expected "
            << Show(c.children[i].expected);
    }
}

// Columns (vertical) and rows (horizontal) share the rules; each case names what it shows.
INSTANTIATE_TEST_SUITE_P(
    Cases, LinearLayout,
    testing::Values(
        LayoutCase{"column_shares_the_rest_between_automatic_children",
                   true,
                   L"",
                   {0, 0, 100, 300},
                   {{L"height=\"50\"", {0, 0, 100, 50}},
                    {L"", {0, 50, 100, 175}},
                    {L"", {0, 175, 100, 300}}}},
        LayoutCase{"row_shares_the_rest_between_automatic_children",
                   false,
                   L"",
                   {0, 0, 300, 40},
                   {{L"width=\"100\"", {0, 0, 100, 40}},
                    {L"", {100, 0, 200, 40}},
                    {L"", {200, 0, 300, 40}}}},
        LayoutCase{"last_automatic_child_takes_the_rounding_remainder",
                   true,
                   L"",
                   {0, 0, 10, 100},
                   {{L"", {0, 0, 10, 33}}, {L"", {0, 33, 10, 66}}, {L"", {0, 66, 10, 100}}}},
        LayoutCase{"inset_and_child_padding",
                   true,
                   L"inset=\"10,5,10,5\" childpadding=\"4\"",
                   {0, 0, 120, 110},
                   {{L"height=\"20\"", {10, 5, 110, 25}}, {L"", {10, 29, 110, 105}}}},
        LayoutCase{
            "child_padding_moves_and_narrows_it",
            false,
            L"",
            {0, 0, 200, 50},
            {{L"padding=\"5,6,7,8\" width=\"40\"", {5, 6, 45, 42}}, {L"", {52, 0, 200, 50}}}},
        LayoutCase{"fixed_size_across_the_axis_is_kept",
                   true,
                   L"",
                   {10, 10, 210, 110},
                   {{L"width=\"50\" height=\"30\"", {10, 10, 60, 40}}, {L"", {10, 40, 210, 110}}}},
        LayoutCase{
            "minimum_and_maximum_bound_automatic_children",
            true,
            L"",
            {0, 0, 100, 100},
            {{L"maxheight=\"20\"", {0, 0, 100, 20}}, {L"minheight=\"70\"", {0, 20, 100, 100}}}},
        LayoutCase{"hidden_children_take_no_room",
                   false,
                   L"",
                   {0, 0, 100, 10},
                   {{L"visible=\"false\" width=\"60\"", {0, 0, 0, 0}}, {L"", {0, 0, 100, 10}}}},
        LayoutCase{"overfull_column_gives_automatic_children_nothing",
                   true,
                   L"",
                   {0, 0, 100, 50},
                   {{L"height=\"80\"", {0, 0, 100, 80}}, {L"", {0, 80, 100, 80}}}},
        LayoutCase{"floating_child_sits_at_its_pos_inside_the_container",
                   true,
                   L"inset=\"3,3,3,3\"",
                   {100, 200, 300, 400},
                   {{L"float=\"true\" pos=\"10,20,60,45\"", {110, 220, 160, 245}},
                    {L"", {103, 203, 297, 397}}}}));

TEST(ContainerLayout, PlainContainerStacksChildrenOverItsInnerArea) {
    CContainerUI box;
    box.SetAttribute(L"inset", L"2,2,2,2");
    auto* fill = new CControlUI;
    auto* sized = new CControlUI;
    sized->ApplyAttributeList(L"width=\"10\" height=\"5\" padding=\"1,1,0,0\"");
    box.Add(fill);
    box.Add(sized);
    box.SetPos({0, 0, 50, 40});
    EXPECT_TRUE(fill->GetPos() == (RECT{2, 2, 48, 38}));
    EXPECT_TRUE(sized->GetPos() == (RECT{3, 3, 13, 8}));
}

TEST(ContainerLayout, NestedLayoutsGiveEveryLeafItsRectangle) {
    // A window-like tree: a caption row of fixed height over a body split in two columns.
    CVerticalLayoutUI root;
    auto* caption = new CHorizontalLayoutUI;
    caption->SetAttribute(L"height", L"30");
    auto* title = new CLabelUI;
    auto* close = new CButtonUI;
    close->SetAttribute(L"width", L"30");
    caption->Add(title);
    caption->Add(close);
    auto* body = new CHorizontalLayoutUI;
    body->SetAttribute(L"childpadding", L"10");
    auto* left = new CControlUI;
    auto* right = new CControlUI;
    left->SetAttribute(L"width", L"100");
    body->Add(left);
    body->Add(right);
    root.Add(caption);
    root.Add(body);

    root.SetPos({0, 0, 400, 300});
    EXPECT_TRUE(title->GetPos() == (RECT{0, 0, 370, 30}));
    EXPECT_TRUE(close->GetPos() == (RECT{370, 0, 400, 30}));
    EXPECT_TRUE(left->GetPos() == (RECT{0, 30, 100, 300}));
    EXPECT_TRUE(right->GetPos() == (RECT{110, 30, 400, 300}));
}

TEST(ContainerLayout, TabLayoutShowsOnlyTheSelectedChildOverTheWholeArea) {
    CTabLayoutUI tabs;
    auto* first = new CControlUI;
    auto* second = new CControlUI;
    tabs.Add(first);
    tabs.Add(second);
    EXPECT_TRUE(first->IsVisible());
    EXPECT_FALSE(second->IsVisible());
    tabs.SetAttribute(L"selectedid", L"1");
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_FALSE(first->IsVisible());
    tabs.SetPos({0, 0, 80, 60});
    EXPECT_TRUE(second->GetPos() == (RECT{0, 0, 80, 60}));
    EXPECT_FALSE(tabs.SelectItem(2));
}

TEST(ContainerLayout, TileLayoutFillsRowsOfColumns) {
    CTileLayoutUI tiles;
    tiles.ApplyAttributeList(L"columns=\"2\" childpadding=\"10\"");
    std::vector<CControlUI*> cells;
    for (int i = 0; i < 3; ++i) {
        cells.push_back(new CControlUI);
        cells.back()->SetAttribute(L"height", L"20");
        tiles.Add(cells.back());
    }
    tiles.SetPos({0, 0, 210, 100});
    EXPECT_TRUE(cells[0]->GetPos() == (RECT{0, 0, 100, 20}));
    EXPECT_TRUE(cells[1]->GetPos() == (RECT{110, 0, 210, 20}));
    EXPECT_TRUE(cells[2]->GetPos() == (RECT{0, 30, 100, 50}));
}

TEST(ContainerLayout, HidingAContainerHidesItsChildrenAndShowingRestoresThem) {
    CVerticalLayoutUI box;
    auto* child = new CControlUI;
    auto* hiddenChild = new CControlUI;
    hiddenChild->SetVisible(false);
    box.Add(child);
    box.Add(hiddenChild);
    box.SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
    box.SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
    EXPECT_FALSE(hiddenChild->IsVisible()) << "a child hidden on its own stays hidden";
}

}  // namespace
