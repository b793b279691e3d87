#include "skinframe/dialog_builder.h"

#include <cwchar>

#include "skinframe/controls/controls.h"
#include "skinframe/paint_manager.h"
#include "skinframe/ui_attr.h"

namespace {

bool Is(LPCWSTR a, LPCWSTR b) {
    return std::wcscmp(a, b) == 0;
}

// An included document is named by at most this many characters of its "source".
constexpr size_t kMaxIncludeSource = 499;

// The element-name table: the length picks the candidates, then the name must match exactly.
CControlUI* CreateBuiltinControl(LPCWSTR name) {
    switch (std::wcslen(name)) {
        case 4:
            if (Is(name, L"Edit")) return new CEditUI;
            if (Is(name, L"List")) return new CListUI;
            if (Is(name, L"Text")) return new CTextUI;
            break;
        case 5:
            if (Is(name, L"Combo")) return new CComboUI;
            if (Is(name, L"Label")) return new CLabelUI;
            if (Is(name, L"Flash")) return new CFlashUI;
            break;
        case 6:
            if (Is(name, L"Button")) return new CButtonUI;
            if (Is(name, L"Option")) return new COptionUI;
            if (Is(name, L"Slider")) return new CSliderUI;
            break;
        case 7:
            if (Is(name, L"Control")) return new CControlUI;
            if (Is(name, L"ActiveX")) return new CActiveXUI;
            if (Is(name, L"GifAnim")) return new CGifAnimUI;
            break;
        case 8:
            if (Is(name, L"Progress")) return new CProgressUI;
            if (Is(name, L"RichEdit")) return new CRichEditUI;
            if (Is(name, L"CheckBox")) return new CCheckBoxUI;
            if (Is(name, L"DateTime")) return new CDateTimeUI;
            if (Is(name, L"TreeView")) return new CTreeViewUI;
            break;
        case 9:
            if (Is(name, L"Container")) return new CContainerUI;
            if (Is(name, L"TabLayout")) return new CTabLayoutUI;
            if (Is(name, L"ScrollBar")) return new CScrollBarUI;
            break;
        case 10:
            if (Is(name, L"ListHeader")) return new CListHeaderUI;
            if (Is(name, L"TileLayout")) return new CTileLayoutUI;
            if (Is(name, L"WebBrowser")) return new CWebBrowserUI;
            break;
        case 11:
            if (Is(name, L"ChildLayout")) return new CChildLayoutUI;
            break;
        case 14:
            if (Is(name, L"VerticalLayout")) return new CVerticalLayoutUI;
            if (Is(name, L"ListHeaderItem")) return new CListHeaderItemUI;
            break;
        case 15:
            if (Is(name, L"ListTextElement")) return new CListTextElementUI;
            break;
        case 16:
            if (Is(name, L"HorizontalLayout")) return new CHorizontalLayoutUI;
            if (Is(name, L"ListLabelElement")) return new CListLabelElementUI;
            break;
        case 20:
            if (Is(name, L"ListContainerElement")) return new CListContainerElementUI;
            break;
        default:
            break;
    }
    return nullptr;
}

void AddImage(const CMarkupNode& node, CPaintManagerUI* pManager) {
    LPCWSTR name = nullptr;
    LPCWSTR type = nullptr;
    DWORD mask = 0;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        LPCWSTR attr = node.GetAttributeName(i);
        LPCWSTR value = node.GetAttributeValue(i);
        if (Is(attr, L"name")) {
            name = value;
        } else if (Is(attr, L"restype")) {
            type = value;
        } else if (Is(attr, L"mask")) {
            mask = ui::ParseColor(value);
        }
    }
    if (name) pManager->AddImage(name, type, mask);
}

void AddFont(const CMarkupNode& node, CPaintManagerUI* pManager) {
    LPCWSTR name = nullptr;
    int size = 12;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool isDefault = false;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        LPCWSTR attr = node.GetAttributeName(i);
        LPCWSTR value = node.GetAttributeValue(i);
        if (Is(attr, L"name")) {
            name = value;
        } else if (Is(attr, L"size")) {
            size = ui::ParseInt(value);
        } else if (Is(attr, L"bold")) {
            bold = ui::ParseBool(value);
        } else if (Is(attr, L"underline")) {
            underline = ui::ParseBool(value);
        } else if (Is(attr, L"italic")) {
            italic = ui::ParseBool(value);
        } else if (Is(attr, L"default")) {
            isDefault = ui::ParseBool(value);
        }
    }
    if (!name) return;  // an empty name still takes its place: fonts are used by index
    pManager->AddFont(name, size, bold, underline, italic);
    if (isDefault) pManager->SetDefaultFont(name, size, bold, underline, italic);
}

void AddDefault(const CMarkupNode& node, CPaintManagerUI* pManager) {
    LPCWSTR name = nullptr;
    LPCWSTR value = nullptr;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        LPCWSTR attr = node.GetAttributeName(i);
        if (Is(attr, L"name")) {
            name = node.GetAttributeValue(i);
        } else if (Is(attr, L"value")) {
            value = node.GetAttributeValue(i);
        }
    }
    if (name) pManager->AddDefaultAttributeList(name, value);
}

// The shared resources declared directly under the root, in document order.
void ApplySharedResources(const CMarkupNode& root, CPaintManagerUI* pManager) {
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        LPCWSTR name = node.GetName();
        if (Is(name, L"Image")) {
            AddImage(node, pManager);
        } else if (Is(name, L"Font")) {
            AddFont(node, pManager);
        } else if (Is(name, L"Default")) {
            AddDefault(node, pManager);
        }
    }
}

// The "Window" root's attributes: the window's own settings and its shadow's.
void ApplyWindowAttributes(const CMarkupNode& root, CPaintManagerUI* pManager) {
    CShadowUI* shadow = pManager->GetShadow();
    for (int i = 0; i < root.GetAttributeCount(); ++i) {
        LPCWSTR name = root.GetAttributeName(i);
        LPCWSTR value = root.GetAttributeValue(i);
        if (Is(name, L"size")) {
            const SIZE size = ui::ParseSize(value);
            pManager->SetInitSize(size.cx, size.cy);
        } else if (Is(name, L"sizebox")) {
            pManager->SetSizeBox(ui::ParseRect(value));
        } else if (Is(name, L"caption")) {
            pManager->SetCaptionRect(ui::ParseRect(value));
        } else if (Is(name, L"roundcorner")) {
            const SIZE size = ui::ParseSize(value);
            pManager->SetRoundCorner(size.cx, size.cy);
        } else if (Is(name, L"mininfo")) {
            const SIZE size = ui::ParseSize(value);
            pManager->SetMinInfo(size.cx, size.cy);
        } else if (Is(name, L"maxinfo")) {
            const SIZE size = ui::ParseSize(value);
            pManager->SetMaxInfo(size.cx, size.cy);
        } else if (Is(name, L"alpha")) {
            pManager->SetTransparent(ui::ParseInt(value));
        } else if (Is(name, L"bktrans")) {
            pManager->SetUseLayeredWindow(ui::ParseBool(value));
        } else if (Is(name, L"gdiplustext")) {
            pManager->SetUseGdiplusText(ui::ParseBool(value));
        } else if (Is(name, L"richeditcorner")) {
            pManager->SetRichEditCorner(ui::ParseRect(value));
        } else if (Is(name, L"disabledfontcolor")) {
            pManager->SetDefaultDisabledColor(ui::ParseColor(value));
        } else if (Is(name, L"defaultfontcolor")) {
            pManager->SetDefaultFontColor(ui::ParseColor(value));
        } else if (Is(name, L"linkfontcolor")) {
            pManager->SetDefaultLinkFontColor(ui::ParseColor(value));
        } else if (Is(name, L"linkhoverfontcolor")) {
            pManager->SetDefaultLinkHoverFontColor(ui::ParseColor(value));
        } else if (Is(name, L"selectedcolor")) {
            pManager->SetDefaultSelectedBkColor(ui::ParseColor(value));
        } else if (Is(name, L"shadowsize")) {
            shadow->SetSize(ui::ParseInt(value));
        } else if (Is(name, L"shadowsharpness")) {
            shadow->SetSharpness(static_cast<unsigned int>(ui::ParseInt(value)));
        } else if (Is(name, L"shadowdarkness")) {
            shadow->SetDarkness(static_cast<unsigned int>(ui::ParseInt(value)));
        } else if (Is(name, L"shadowposition")) {
            const SIZE offset = ui::ParseSize(value);
            shadow->SetPosition(offset.cx, offset.cy);
        } else if (Is(name, L"shadowcolor")) {
            shadow->SetColor(ui::ParseColor(value));
        } else if (Is(name, L"shadowcorner")) {
            shadow->SetShadowCorner(ui::ParseRect(value));
        } else if (Is(name, L"shadowimage")) {
            shadow->SetImage(value);
        } else if (Is(name, L"showshadow")) {
            shadow->ShowShadow(ui::ParseBool(value));
        }
    }
}

// The element's defaults from the manager, then its own attributes, which win.
void ApplyAttributes(CControlUI* pControl, const CMarkupNode& node, LPCWSTR pstrClass,
                     CPaintManagerUI* pManager) {
    if (pManager) {
        pControl->SetManager(pManager, nullptr, false);
        if (LPCWSTR defaults = pManager->GetDefaultAttributeList(pstrClass)) {
            pControl->ApplyAttributeList(defaults);
        }
    }
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        pControl->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
    }
}

}  // namespace

CControlUI* CDialogBuilder::Create(STRINGorID xml, LPCWSTR /*type*/,
                                   IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    if (xml.IsId()) return nullptr;
    if (m_nDepth > kMaxNesting) return nullptr;
    LPCWSTR text = xml.m_lpstr;
    if (text[0] == L'<') {
        if (!m_xml.Load(text)) return nullptr;
    } else {
        // A file that includes itself, directly or through others, would never finish.
        if (IsBuilding(text)) return nullptr;
        if (!m_xml.LoadFromFile(text, XMLFILE_ENCODING_UTF8)) return nullptr;
        m_sFile = text;
    }
    return Create(pCallback, pManager, pParent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    m_pCallback = pCallback;
    const CMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid()) return nullptr;
    if (pManager) {
        ApplySharedResources(root, pManager);
        if (Is(root.GetName(), L"Window") && pManager->GetPaintWindow()) {
            ApplyWindowAttributes(root, pManager);
        }
    }
    return Parse(root, pParent, pManager, m_nDepth + 1);
}

void CDialogBuilder::GetLastErrorMessage(LPWSTR pstrMessage, size_t cchMax) const {
    m_xml.GetLastErrorMessage(pstrMessage, cchMax);
}

void CDialogBuilder::GetLastErrorLocation(LPWSTR pstrSource, size_t cchMax) const {
    m_xml.GetLastErrorLocation(pstrSource, cchMax);
}

bool CDialogBuilder::IsBuilding(LPCWSTR name) const {
    for (const CDialogBuilder* builder = this; builder; builder = builder->m_pIncluder) {
        if (builder->m_sFile == name) return true;
    }
    return false;
}

CControlUI* CDialogBuilder::CreateControlFor(LPCWSTR pstrClass) const {
    if (CControlUI* control = CreateBuiltinControl(pstrClass)) return control;
    for (LPCREATECONTROL factory : CPaintManagerUI::GetPlugins()) {
        if (!factory) continue;
        if (CControlUI* control = factory(pstrClass)) return control;
    }
    if (m_pCallback) return m_pCallback->CreateControl(pstrClass);
    return nullptr;
}

void CDialogBuilder::Include(const CMarkupNode& node, CControlUI* pParent,
                             CPaintManagerUI* pManager, int depth) {
    if (!node.HasAttributes()) return;
    int count = 1;
    CSkinString source;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        LPCWSTR attr = node.GetAttributeName(i);
        LPCWSTR value = node.GetAttributeValue(i);
        if (Is(attr, L"count")) {
            count = ui::ParseInt(value);
        } else if (Is(attr, L"source")) {
            source.Assign(value, static_cast<int>(::wcsnlen(value, kMaxIncludeSource)));
        }
    }
    if (source.IsEmpty()) return;
    for (int i = 0; i < count; ++i) {
        CDialogBuilder builder;
        builder.m_pIncluder = this;
        builder.m_nDepth = depth;
        CControlUI* control =
            builder.Create(source.GetData(), nullptr, m_pCallback, pManager, pParent);
        // Without a parent nothing holds what the included document built.
        if (!pParent) delete control;
    }
}

bool CDialogBuilder::BuildTreeNode(const CMarkupNode& node, CControlUI* pParent,
                                   CPaintManagerUI* pManager, int depth) {
    // At the top level nothing can hold a tree node; it is left out with its subtree.
    if (!pParent) return true;
    auto* pNode = new CTreeNodeUI(nullptr);
    auto* pParentNode = static_cast<CTreeNodeUI*>(pParent->GetInterface(L"TreeNode"));
    if (pParentNode && !pParentNode->AddChildNode(pNode)) {
        delete pNode;
        return true;
    }
    ApplyAttributes(pNode, node, L"TreeNode", pManager);
    if (node.HasChildren()) Parse(node, pNode, pManager, depth + 1);
    if (pParentNode) return true;
    auto* pTreeView = static_cast<CTreeViewUI*>(pParent->GetInterface(L"TreeView"));
    if (!pTreeView) {
        delete pNode;
        return false;
    }
    if (!pTreeView->Add(pNode)) delete pNode;
    return true;
}

CControlUI* CDialogBuilder::Parse(const CMarkupNode& parent, CControlUI* pParent,
                                  CPaintManagerUI* pManager, int depth) {
    if (depth > kMaxNesting) return nullptr;
    IContainerUI* pContainer = nullptr;
    bool containerLooked = false;
    CControlUI* pReturn = nullptr;
    for (CMarkupNode node = parent.GetChild(); node.IsValid(); node = node.GetSibling()) {
        LPCWSTR pstrClass = node.GetName();
        if (Is(pstrClass, L"Image") || Is(pstrClass, L"Font") || Is(pstrClass, L"Default")) {
            continue;
        }
        if (Is(pstrClass, L"Include")) {
            Include(node, pParent, pManager, depth);
            continue;
        }
        if (Is(pstrClass, L"TreeNode")) {
            if (!BuildTreeNode(node, pParent, pManager, depth)) return nullptr;
            continue;
        }

        CControlUI* pControl = CreateControlFor(pstrClass);
        if (!pControl) continue;
        // Children first, so a container holds them before its own attributes are applied.
        if (node.HasChildren()) Parse(node, pControl, pManager, depth + 1);

        if (pParent) {
            auto* pParentNode = static_cast<CTreeNodeUI*>(pParent->GetInterface(L"TreeNode"));
            if (pParentNode) {
                if (!pParentNode->GetTreeNodeHoriznotal()->Add(pControl)) {
                    delete pControl;
                    continue;
                }
            } else {
                if (!containerLooked) {
                    pContainer = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
                    containerLooked = true;
                }
                if (!pContainer) {
                    delete pControl;
                    return nullptr;
                }
                if (!pContainer->Add(pControl)) {
                    delete pControl;
                    continue;
                }
            }
        }

        ApplyAttributes(pControl, node, pstrClass, pManager);
        // The control gets its manager for good when the tree is attached.
        if (pManager) pControl->SetManager(nullptr, nullptr, false);

        if (!pReturn) {
            pReturn = pControl;
        } else if (!pParent) {
            // Only the first top-level control is answered; nothing else could reach this one.
            delete pControl;
        }
    }
    return pReturn;
}
