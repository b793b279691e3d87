// Building control trees from layout documents, without a window: loading, the element table,
// the callback and plug-ins, build order, shared resources, includes, tree nodes and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "skinframe/controls/controls.h"
#include "skinframe/dialog_builder.h"
#include "skinframe/paint_manager.h"

namespace {

using Log = std::vector<std::wstring>;

// Points the skin folder at the builder fixtures for one test.
class FixtureFolder {
  public:
    FixtureFolder() { CPaintManagerUI::SetResourcePath(L"" IEFIX_BUILDER_FIXTURES); }
    ~FixtureFolder() { CPaintManagerUI::SetResourcePath(L""); }
};

// A container that notes in a shared log what is done to it, under its element name.
class Probe : public CContainerUI {
  public:
    Probe(LPCWSTR id, Log* log) : id(id), m_log(log) {}
    ~Probe() override { Note(L"destroyed"); }

    LPCWSTR GetClass() const override { return L"ProbeUI"; }
    bool Add(CControlUI* pControl) override {
        auto* probe = dynamic_cast<Probe*>(pControl);
        const std::wstring child = probe ? probe->id : L"?";
        Note(L"add " + child);
        if (child == L"Refused") return false;
        return CContainerUI::Add(pControl);
    }
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) override {
        Note(pManager ? L"manager" : L"no manager");
        CContainerUI::SetManager(pManager, pParent, bInit);
    }
    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override {
        Note(std::wstring(pstrName) + L"=" + pstrValue);
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }

    std::wstring id;

  private:
    void Note(const std::wstring& what) { m_log->push_back(id + L": " + what); }
    Log* m_log;
};

// Answers every element name it is asked for with a probe, except the names it refuses.
class ProbeFactory : public IDialogBuilderCallback {
  public:
    CControlUI* CreateControl(LPCWSTR pstrClass) override {
        asked.push_back(pstrClass);
        if (refuse.count(pstrClass)) return nullptr;
        log.push_back(std::wstring(L"create ") + pstrClass);
        return new Probe(pstrClass, &log);
    }
    Log asked;
    Log log;
    std::set<std::wstring> refuse;
};

std::unique_ptr<CControlUI> Build(const std::wstring& xml,
                                  IDialogBuilderCallback* callback = nullptr,
                                  CPaintManagerUI* manager = nullptr) {
    CDialogBuilder builder;
    return std::unique_ptr<CControlUI>(builder.Create(xml.c_str(), nullptr, callback, manager));
}

IContainerUI* Container(CControlUI* control) {
    return control ? static_cast<IContainerUI*>(control->GetInterface(L"IContainer")) : nullptr;
}

std::wstring NameAt(CControlUI* control, int index) {
    CControlUI* item = Container(control)->GetItemAt(index);
    return item ? item->GetName().GetData() : L"(none)";
}

std::vector<std::wstring> ChildNames(CControlUI* control) {
    std::vector<std::wstring> names;
    for (int i = 0; i < Container(control)->GetCount(); ++i) names.push_back(NameAt(control, i));
    return names;
}

// Markup quoting for an attribute list written inside an attribute value.
std::wstring Quoted(std::wstring text) {
    for (size_t at = text.find(L'"'); at != std::wstring::npos; at = text.find(L'"', at)) {
        text.replace(at, 1, L"&quot;");
    }
    return text;
}

std::wstring Error(const CDialogBuilder& builder) {
    wchar_t text[100] = {};
    builder.GetLastErrorMessage(text, 100);
    return text;
}

TEST(DialogBuilder, ResolvesTheLayoutArgument) {
    FixtureFolder folder;
    struct Case {
        const char* what;
        STRINGorID layout;
        bool built;
        const wchar_t* error;
    } cases[] = {
        {"markup text", L"<Window><Label name=\"x\" /></Window>", true, L""},
        {"file under the resource path", L"include_items.xml", true, L""},
        {"resource identifier", STRINGorID(101u), false, L""},
        {"null text is identifier 0", STRINGorID(static_cast<LPCWSTR>(nullptr)), false, L""},
        {"missing file", L"missing.xml", false, L"Error opening file"},
        {"malformed markup", L"<Window><Label></Window>", false, L"Unmatched closing tag"},
        {"no root element", L"<!-- nothing -->", false, L""},
        {"root without controls", L"<Window><Font name=\"x\" /></Window>", false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> root(builder.Create(c.layout));
        EXPECT_EQ(root != nullptr, c.built);
        EXPECT_EQ(Error(builder), c.error);
    }
}

TEST(DialogBuilder, ElementTableCreatesItsClassesWithoutAskingTheCallback) {
    const struct {
        const wchar_t* element;
        const wchar_t* cls;
    } table[] = {
        {L"Edit", L"EditUI"},
        {L"List", L"ListUI"},
        {L"Text", L"TextUI"},
        {L"Combo", L"ComboUI"},
        {L"Label", L"LabelUI"},
        {L"Flash", L"FlashUI"},
        {L"Button", L"ButtonUI"},
        {L"Option", L"OptionUI"},
        {L"Slider", L"SliderUI"},
        {L"Control", L"ControlUI"},
        {L"ActiveX", L"ActiveXUI"},
        {L"GifAnim", L"GifAnimUI"},
        {L"Progress", L"ProgressUI"},
        {L"RichEdit", L"RichEditUI"},
        {L"CheckBox", L"CheckBoxUI"},
        {L"DateTime", L"DateTimeUI"},
        {L"TreeView", L"TreeViewUI"},
        {L"Container", L"ContainerUI"},
        {L"TabLayout", L"TabLayoutUI"},
        {L"ScrollBar", L"ScrollBarUI"},
        {L"ListHeader", L"ListHeaderUI"},
        {L"TileLayout", L"TileLayoutUI"},
        {L"WebBrowser", L"WebBrowserUI"},
        {L"ChildLayout", L"ChildLayoutUI"},
        {L"VerticalLayout", L"VerticalLayoutUI"},
        {L"ListHeaderItem", L"ListHeaderItemUI"},
        {L"ListTextElement", L"ListTextElementUI"},
        {L"HorizontalLayout", L"HorizontalLayoutUI"},
        {L"ListLabelElement", L"ListLabelElementUI"},
        {L"ListContainerElement", L"ListContainerElementUI"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << row.element);
        ProbeFactory factory;
        auto root = Build(std::wstring(L"<Window><") + row.element + L" /></Window>", &factory);
        ASSERT_NE(root, nullptr);
        EXPECT_STREQ(root->GetClass(), row.cls);
        EXPECT_TRUE(factory.asked.empty());
    }
}

TEST(DialogBuilder, NamesOutsideTheTableGoToTheCallback) {
    // Wrong case, a table name with one letter more or less, and lengths the table never has.
    for (const wchar_t* name : {L"button", L"WebView", L"Labe", L"Buttons", L"VerticalLayouts",
                                L"ListContainerElements", L"Btn", L"TREEVIEW"}) {
        SCOPED_TRACE(testing::Message() << name);
        ProbeFactory factory;
        auto root = Build(std::wstring(L"<Window><") + name + L" /></Window>", &factory);
        ASSERT_NE(root, nullptr);
        EXPECT_STREQ(root->GetClass(), L"ProbeUI");
        EXPECT_EQ(factory.asked, Log{name});
    }
}

CControlUI* NullPlugin(LPCWSTR) {
    return nullptr;
}

CControlUI* PluggedLabel(LPCWSTR name) {
    if (std::wstring(name) != L"Plugged") return nullptr;
    auto* label = new CLabelUI;
    label->SetName(L"from plug-in");
    return label;
}

TEST(DialogBuilder, PluginsAreAskedBeforeTheCallbackSkippingEmptyEntries) {
    auto& plugins = CPaintManagerUI::GetPlugins();
    const size_t before = plugins.size();
    plugins.push_back(nullptr);
    plugins.push_back(NullPlugin);
    plugins.push_back(PluggedLabel);
    ProbeFactory factory;
    auto root =
        Build(L"<Window><VerticalLayout><Plugged /><Other /></VerticalLayout></Window>", &factory);
    plugins.resize(before);

    ASSERT_NE(root, nullptr);
    EXPECT_EQ(NameAt(root.get(), 0), L"from plug-in");
    EXPECT_EQ(factory.asked, Log{L"Other"});
}

TEST(DialogBuilder, AnElementNobodyCreatesIsSkippedWithItsSubtree) {
    const std::wstring xml =
        L"<Window><VerticalLayout name=\"top\">"
        L"<WebView name=\"web\"><Label name=\"inside\" /></WebView><Label name=\"after\" />"
        L"</VerticalLayout></Window>";
    {
        auto root = Build(xml);  // no callback
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"after"}));
    }
    {
        ProbeFactory factory;
        auto root = Build(xml, &factory);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"web", L"after"}));
        EXPECT_EQ(NameAt(Container(root.get())->GetItemAt(0), 0), L"inside");
    }
    {
        ProbeFactory factory;
        factory.refuse = {L"WebView"};
        auto root = Build(xml, &factory);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"after"}));
        EXPECT_EQ(factory.asked, Log{L"WebView"});  // the subtree was never looked at
    }
}

TEST(DialogBuilder, ChildrenAndParentComeBeforeAControlsOwnDefaultsAndAttributes) {
    CPaintManagerUI manager;
    ProbeFactory factory;
    auto root = Build(
        L"<Window><Default name=\"Outer\" value=\"d=&quot;0&quot;\" />"
        L"<Outer a=\"1\"><Inner b=\"2\" /></Outer></Window>",
        &factory, &manager);
    ASSERT_NE(root, nullptr);
    const Log expected = {
        L"create Outer",      L"create Inner",      L"Outer: add Inner",
        L"Inner: manager",    L"Inner: b=2",        L"Inner: no manager",
        L"Outer: manager",  // a container passes its manager on to its children
        L"Inner: manager",    L"Outer: d=0",        L"Outer: a=1",
        L"Outer: no manager", L"Inner: no manager",
    };
    EXPECT_EQ(factory.log, expected);
    EXPECT_EQ(root->GetManager(), nullptr);
}

TEST(DialogBuilder, WithoutAManagerNoDefaultsAndNoManagerCalls) {
    ProbeFactory factory;
    auto root = Build(
        L"<Window><Default name=\"Outer\" value=\"d=&quot;0&quot;\" /><Outer a=\"1\" /></Window>",
        &factory);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(factory.log, (Log{L"create Outer", L"Outer: a=1"}));
}

TEST(DialogBuilder, ElementAttributesOverrideTheDefaultList) {
    CPaintManagerUI manager;
    auto root = Build(
        L"<Window><Default name=\"Button\" value=\"text=&quot;default&quot; "
        L"tooltip=&quot;tip&quot;\" />"
        L"<VerticalLayout><Button name=\"own\" text=\"own\" /><Button name=\"plain\" />"
        L"<Label name=\"label\" /></VerticalLayout></Window>",
        nullptr, &manager);
    ASSERT_NE(root, nullptr);
    IContainerUI* items = Container(root.get());
    EXPECT_EQ(items->GetItemAt(0)->GetText(), L"own");
    EXPECT_EQ(items->GetItemAt(0)->GetToolTip(), L"tip");
    EXPECT_EQ(items->GetItemAt(1)->GetText(), L"default");
    EXPECT_EQ(items->GetItemAt(2)->GetText(), L"");  // defaults go by element name
}

TEST(DialogBuilder, AttributeListStopsAtTheFirstMalformedPair) {
    const struct {
        const wchar_t* list;
        const wchar_t* text;
        const wchar_t* tooltip;
    } cases[] = {
        {L"text=\"a\" tooltip=\"b\"", L"a", L"b"},
        {L"text=\"a\"  tooltip=\"b\"", L"a", L""},  // two spaces
        {L"text=\"a\"tooltip=\"b\"", L"a", L""},    // no space
        {L"text=\"a\" tooltip", L"a", L""},         // name without "="
        {L"text=\"a\" tooltip=b", L"a", L""},       // "=" without a quote
        {L"text=\"a\" tooltip=\"b", L"a", L""},     // value never closed
        {L"text=a tooltip=\"b\"", L"", L""},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.list);
        CPaintManagerUI manager;
        auto root = Build(L"<Window><Default name=\"Label\" value=\"" + Quoted(c.list) +
                              L"\" /><Label /></Window>",
                          nullptr, &manager);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->GetText(), c.text);
        EXPECT_EQ(root->GetToolTip(), c.tooltip);
    }
}

TEST(DialogBuilder, FontsReachTheManager) {
    struct Case {
        const wchar_t* font;
        bool added;
        const wchar_t* name = nullptr;
        int size = 0;
        bool bold = false, underline = false, italic = false, isDefault = false;
    } cases[] = {
        {L"<Font size=\"20\" default=\"true\" />", false},
        {L"<Font name=\"DejaVu Sans\" />", true, L"DejaVu Sans", 12, false, false, false, false},
        {L"<Font name=\"DejaVu Serif\" size=\"18\" bold=\"true\" underline=\"true\" "
         L"italic=\"true\" default=\"true\" />",
         true, L"DejaVu Serif", 18, true, true, true, true},
        {L"<Font name=\"DejaVu Sans\" bold=\"True\" default=\"TRUE\" />", true, L"DejaVu Sans", 12,
         false, false, false, false},
        {L"<Font name=\"DejaVu Sans\" size=\"10\" size=\"16\" />", true, L"DejaVu Sans", 16},
        // An empty name is still a font: later fonts keep their indexes.
        {L"<Font name=\"\" size=\"14\" />", true, L"", 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.font);
        CPaintManagerUI manager;
        const TFontInfo before = *manager.GetDefaultFontInfo();
        auto root =
            Build(std::wstring(L"<Window>") + c.font + L"<Label /></Window>", nullptr, &manager);
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(manager.GetCustomFontCount(), c.added ? 1u : 0u);
        const TFontInfo* def = manager.GetDefaultFontInfo();
        const TFontInfo& expectedDefault = c.isDefault ? *manager.GetFontInfo(0) : before;
        EXPECT_EQ(def->sFontName, expectedDefault.sFontName);
        EXPECT_EQ(def->iSize, expectedDefault.iSize);
        EXPECT_EQ(def->bBold, expectedDefault.bBold);
        if (!c.added) continue;
        const TFontInfo* info = manager.GetFontInfo(0);
        EXPECT_EQ(info->sFontName, c.name);
        EXPECT_EQ(info->iSize, c.size);
        EXPECT_EQ(info->bBold, c.bold);
        EXPECT_EQ(info->bUnderline, c.underline);
        EXPECT_EQ(info->bItalic, c.italic);
    }
}

TEST(DialogBuilder, ImagesReachTheManager) {
    FixtureFolder folder;
    CPaintManagerUI manager;
    auto root = Build(
        L"<Window><Image name=\"swatch.png\" restype=\"PNG\" mask=\"#FFFF00FF\" />"
        L"<Image restype=\"PNG\" /><Label /></Window>",
        nullptr, &manager);
    ASSERT_NE(root, nullptr);
    const TImageInfo* image = manager.GetImage(L"swatch.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->nX, 8);
    EXPECT_EQ(image->sResType, L"PNG");
    EXPECT_EQ(image->dwMask, 0xFFFF00FFu);
}

TEST(DialogBuilder, SharedDeclarationsCountOnlyDirectlyUnderTheRoot) {
    CPaintManagerUI manager;
    auto root = Build(
        L"<Window><VerticalLayout><Font name=\"DejaVu Sans\" />"
        L"<Default name=\"Label\" value=\"text=&quot;x&quot;\" /><Label /></VerticalLayout>"
        L"</Window>",
        nullptr, &manager);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(manager.GetCustomFontCount(), 0u);
    EXPECT_EQ(manager.GetDefaultAttributeList(L"Label"), nullptr);
    ASSERT_EQ(Container(root.get())->GetCount(), 1);
    EXPECT_EQ(Container(root.get())->GetItemAt(0)->GetText(), L"");
}

TEST(DialogBuilder, IncludeInsertsTheIncludedChildrenCountTimes) {
    FixtureFolder folder;
    const std::vector<std::wstring> once = {L"item1", L"item2"};
    std::vector<std::wstring> three;
    for (int i = 0; i < 3; ++i) three.insert(three.end(), once.begin(), once.end());
    const struct {
        const wchar_t* include;
        std::vector<std::wstring> children;
    } cases[] = {
        {L"<Include source=\"include_items.xml\" count=\"3\" />", three},
        {L"<Include source=\"include_items.xml\" count=\"0\" />", {}},
        {L"<Include source=\"include_items.xml\" count=\"-2\" />", {}},
        {L"<Include source=\"include_items.xml\" />", once},
        {L"<Include count=\"2\" source=\"&lt;I&gt;&lt;Label name=&quot;m&quot; /&gt;&lt;/I&gt;\" "
         L"/>",
         {L"m", L"m"}},
        {L"<Include count=\"2\" />", {}},
        {L"<Include />", {}},
        {L"<Include source=\"missing.xml\" />", {}},
        {L"<Include source=\"&lt;I&gt;&lt;Label&gt;&lt;/I&gt;\" />", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.include);
        auto root = Build(std::wstring(L"<Window><VerticalLayout><Label name=\"first\" />") +
                          c.include + L"<Label name=\"last\" /></VerticalLayout></Window>");
        ASSERT_NE(root, nullptr);
        std::vector<std::wstring> expected = {L"first"};
        expected.insert(expected.end(), c.children.begin(), c.children.end());
        expected.push_back(L"last");
        EXPECT_EQ(ChildNames(root.get()), expected);
    }
}

TEST(DialogBuilder, IncludedDocumentsBringTheirSharedDeclarations) {
    FixtureFolder folder;
    CPaintManagerUI manager;
    auto root = Build(
        L"<Window><VerticalLayout><Label name=\"before\" />"
        L"<Include source=\"include_shared.xml\" /><Label name=\"after\" /></VerticalLayout>"
        L"</Window>",
        nullptr, &manager);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(ChildNames(root.get()),
              (std::vector<std::wstring>{L"before", L"included", L"after"}));
    ASSERT_EQ(manager.GetCustomFontCount(), 1u);
    EXPECT_EQ(manager.GetFontInfo(0)->iSize, 21);
    // The default arrives while the outer level is being built: later elements get it.
    IContainerUI* items = Container(root.get());
    EXPECT_EQ(items->GetItemAt(0)->GetText(), L"");
    EXPECT_EQ(items->GetItemAt(1)->GetText(), L"shared");
    EXPECT_EQ(items->GetItemAt(2)->GetText(), L"shared");
    // No paint window: the included root's window settings are not applied.
    EXPECT_EQ(manager.GetCaptionRect().bottom, 0);
}

TEST(DialogBuilder, IncludedControlsAreNeverTheResult) {
    FixtureFolder folder;
    auto root =
        Build(L"<Window><Include source=\"include_items.xml\" /><Label name=\"own\" /></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"own");
    EXPECT_EQ(Build(L"<Window><Include source=\"include_items.xml\" /></Window>"), nullptr);
}

TEST(DialogBuilder, IncludeLoopsAreCut) {
    FixtureFolder folder;
    const struct {
        const wchar_t* file;
        std::vector<std::wstring> children;
    } cases[] = {
        {L"self_include.xml", {L"once"}},
        {L"cycle_a.xml", {L"a", L"b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file);
        auto root = Build(c.file);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(ChildNames(root.get()), c.children);
    }
}

TEST(DialogBuilder, IncludeSourceIsReadUpTo499Characters) {
    // An included markup text whose decoded length is exactly `length`.
    const auto include = [](size_t length) {
        const std::wstring head = L"<I><Label text=\"", tail = L"\" /></I>";
        const std::wstring source =
            head + std::wstring(length - head.size() - tail.size(), L'x') + tail;
        std::wstring escaped;
        for (wchar_t ch : source) {
            if (ch == L'<')
                escaped += L"&lt;";
            else if (ch == L'>')
                escaped += L"&gt;";
            else if (ch == L'"')
                escaped += L"&quot;";
            else
                escaped += ch;
        }
        return L"<Window><VerticalLayout><Include source=\"" + escaped +
               L"\" /></VerticalLayout></Window>";
    };
    for (const auto& [length, children] : {std::pair<size_t, int>{499, 1}, {500, 0}, {4000, 0}}) {
        SCOPED_TRACE(length);
        auto root = Build(include(length));
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(Container(root.get())->GetCount(), children);
    }
}

TEST(DialogBuilder, TopLevelControlsAfterTheFirstAreBuiltThenDropped) {
    ProbeFactory factory;
    auto root = Build(L"<Window><First a=\"1\" /><Second b=\"2\" /></Window>", &factory);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(static_cast<Probe*>(root.get())->id, L"First");
    EXPECT_EQ(factory.log, (Log{L"create First", L"First: a=1", L"create Second", L"Second: b=2",
                                L"Second: destroyed"}));
}

TEST(DialogBuilder, ControlsTheParentCannotHoldAreDestroyed) {
    ProbeFactory factory;
    auto root = Build(
        L"<Window><Outer><Refused /><Kept /></Outer>"
        L"<Label name=\"no container\"><Inner /><Never /></Label></Window>",
        &factory);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildNames(root.get()).size(), 1u);
    EXPECT_EQ(static_cast<Probe*>(Container(root.get())->GetItemAt(0))->id, L"Kept");
    // A refused child goes on to its next sibling; a parent without a container ends its level
    // at the first child, so "Never" is not even created.
    EXPECT_EQ(factory.asked, (Log{L"Outer", L"Refused", L"Kept", L"Inner"}));
    for (const wchar_t* gone : {L"Refused: destroyed", L"Inner: destroyed"}) {
        EXPECT_NE(std::find(factory.log.begin(), factory.log.end(), gone), factory.log.end())
            << gone;
    }
}

TEST(DialogBuilder, TreeNodesNestUnderTreeViewsAndNodes) {
    CPaintManagerUI manager;
    auto root = Build(
        L"<Window><Default name=\"TreeNode\" value=\"text=&quot;d&quot; tooltip=&quot;t&quot;\" />"
        L"<TreeView><TreeNode name=\"n1\" text=\"own\"><Label name=\"l1\" />"
        L"<TreeNode name=\"n2\" /></TreeNode></TreeView></Window>",
        nullptr, &manager);
    ASSERT_NE(root, nullptr);
    ASSERT_STREQ(root->GetClass(), L"TreeViewUI");
    ASSERT_EQ(Container(root.get())->GetCount(), 1);
    auto* n1 = static_cast<CTreeNodeUI*>(Container(root.get())->GetItemAt(0));
    EXPECT_EQ(n1->GetName(), L"n1");
    EXPECT_EQ(n1->GetText(), L"own");
    EXPECT_EQ(n1->GetToolTip(), L"t");
    EXPECT_EQ(n1->GetParentNode(), nullptr);
    EXPECT_EQ(ChildNames(n1->GetTreeNodeHoriznotal()), std::vector<std::wstring>{L"l1"});
    ASSERT_EQ(n1->GetCountChild(), 1);
    CTreeNodeUI* n2 = n1->GetChildNode(0);
    EXPECT_EQ(n2->GetName(), L"n2");
    EXPECT_EQ(n2->GetText(), L"d");
    EXPECT_EQ(n2->GetParentNode(), n1);
}

TEST(DialogBuilder, TreeNodesWithoutATreeViewToJoin) {
    // Under a plain container the node ends its level: the siblings after it are not built.
    auto root = Build(
        L"<Window><VerticalLayout><TreeNode name=\"n\"><Label /></TreeNode><Label name=\"x\" />"
        L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Container(root.get())->GetCount(), 0);
    // At the top level nothing could hold it; it is left out and the build goes on.
    root = Build(L"<Window><TreeNode><Label /></TreeNode><Label name=\"x\" /></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"x");
}

TEST(DialogBuilder, DeepNestingIsCutInsteadOfExhaustingTheStack) {
    const int levels = 50000;
    std::wstring xml = L"<Window>";
    for (int i = 0; i < levels; ++i) xml += L"<Container>";
    for (int i = 0; i < levels; ++i) xml += L"</Container>";
    xml += L"</Window>";
    auto root = Build(xml);
    ASSERT_NE(root, nullptr);
    int depth = 1;
    for (CControlUI* c = root.get(); Container(c)->GetCount() > 0; c = Container(c)->GetItemAt(0)) {
        ++depth;
    }
    EXPECT_EQ(depth, CDialogBuilder::kMaxNesting);
}

}  // namespace
