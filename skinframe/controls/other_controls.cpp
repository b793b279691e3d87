#include "skinframe/controls/other_controls.h"

#include <algorithm>
#include <cwchar>

#include "skinframe/paint_manager.h"
#include "skinframe/ui_attr.h"

namespace {

bool NameIs(LPCWSTR name, LPCWSTR expected) {
    return name && std::wcscmp(name, expected) == 0;
}

}  // namespace

#define IEFIX_THIN_CONTROL_IMPL(Class, Base, ClassName, InterfaceName) \
    LPCWSTR Class::GetClass() const {                                  \
        return ClassName;                                              \
    }                                                                  \
    LPVOID Class::GetInterface(LPCWSTR pstrName) {                     \
        if (NameIs(pstrName, InterfaceName)) return this;              \
        return Base::GetInterface(pstrName);                           \
    }

IEFIX_THIN_CONTROL_IMPL(CEditUI, CLabelUI, L"EditUI", L"Edit")
IEFIX_THIN_CONTROL_IMPL(CRichEditUI, CContainerUI, L"RichEditUI", L"RichEdit")
IEFIX_THIN_CONTROL_IMPL(CComboUI, CContainerUI, L"ComboUI", L"Combo")
IEFIX_THIN_CONTROL_IMPL(CDateTimeUI, CLabelUI, L"DateTimeUI", L"DateTime")
IEFIX_THIN_CONTROL_IMPL(CScrollBarUI, CControlUI, L"ScrollBarUI", L"ScrollBar")
IEFIX_THIN_CONTROL_IMPL(CGifAnimUI, CControlUI, L"GifAnimUI", L"GifAnim")
IEFIX_THIN_CONTROL_IMPL(CActiveXUI, CControlUI, L"ActiveXUI", L"ActiveX")
IEFIX_THIN_CONTROL_IMPL(CFlashUI, CActiveXUI, L"FlashUI", L"Flash")
IEFIX_THIN_CONTROL_IMPL(CWebBrowserUI, CActiveXUI, L"WebBrowserUI", L"WebBrowser")
IEFIX_THIN_CONTROL_IMPL(CListUI, CVerticalLayoutUI, L"ListUI", L"List")
IEFIX_THIN_CONTROL_IMPL(CListHeaderUI, CHorizontalLayoutUI, L"ListHeaderUI", L"ListHeader")
IEFIX_THIN_CONTROL_IMPL(CListHeaderItemUI, CLabelUI, L"ListHeaderItemUI", L"ListHeaderItem")
IEFIX_THIN_CONTROL_IMPL(CListLabelElementUI, CLabelUI, L"ListLabelElementUI", L"ListItem")
IEFIX_THIN_CONTROL_IMPL(CListTextElementUI, CListLabelElementUI, L"ListTextElementUI",
                        L"ListTextElement")
IEFIX_THIN_CONTROL_IMPL(CListContainerElementUI, CHorizontalLayoutUI, L"ListContainerElementUI",
                        L"ListContainerElement")
IEFIX_THIN_CONTROL_IMPL(CChildLayoutUI, CContainerUI, L"ChildLayoutUI", L"ChildLayout")
IEFIX_THIN_CONTROL_IMPL(CTabLayoutUI, CContainerUI, L"TabLayoutUI", L"TabLayout")
IEFIX_THIN_CONTROL_IMPL(CTileLayoutUI, CContainerUI, L"TileLayoutUI", L"TileLayout")
IEFIX_THIN_CONTROL_IMPL(CTreeViewUI, CListUI, L"TreeViewUI", L"TreeView")
IEFIX_THIN_CONTROL_IMPL(CTreeNodeUI, CListContainerElementUI, L"TreeNodeUI", L"TreeNode")

UINT CEditUI::GetControlFlags() const {
    return IsEnabled() ? UIFLAG_TABSTOP | UIFLAG_SETCURSOR : 0;
}

UINT CRichEditUI::GetControlFlags() const {
    return IsEnabled() ? UIFLAG_TABSTOP | UIFLAG_SETCURSOR : 0;
}

void CRichEditUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (NameIs(pstrName, L"wanttab")) {
        SetWantTab(ui::ParseBool(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

void CChildLayoutUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (NameIs(pstrName, L"xmlfile")) {
        SetChildLayoutXML(pstrValue);
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

// --- tab layout ---

bool CTabLayoutUI::Add(CControlUI* pControl) {
    return AddAt(pControl, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex) {
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    if (m_iCurSel < 0) {
        m_iCurSel = iIndex;
    } else if (iIndex <= m_iCurSel) {
        ++m_iCurSel;
    }
    ShowOnly(m_iCurSel);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    const int index = GetItemIndex(pControl);
    if (index < 0) return false;
    if (!CContainerUI::Remove(pControl, bDoNotDestroy)) return false;
    if (index < m_iCurSel || m_iCurSel >= GetCount()) --m_iCurSel;
    if (m_iCurSel < 0 && GetCount() > 0) m_iCurSel = 0;
    ShowOnly(m_iCurSel);
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

void CTabLayoutUI::ShowOnly(int iIndex) {
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == iIndex);
}

bool CTabLayoutUI::SelectItem(int iIndex) {
    if (iIndex < 0 || iIndex >= GetCount()) return false;
    if (iIndex == m_iCurSel) return true;
    const int old = m_iCurSel;
    m_iCurSel = iIndex;
    ShowOnly(iIndex);
    NeedParentUpdate();
    if (m_pManager) {
        m_pManager->SendNotify(this, DUI_MSGTYPE_TABSELECT, static_cast<WPARAM>(m_iCurSel),
                               static_cast<LPARAM>(old));
    }
    return true;
}

void CTabLayoutUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (NameIs(pstrName, L"selectedid")) {
        SelectItem(ui::ParseInt(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

// --- tile layout ---

void CTileLayoutUI::SetColumns(int nCols) {
    if (nCols <= 0) return;
    m_nColumns = nCols;
    NeedUpdate();
}

void CTileLayoutUI::SetItemSize(SIZE szItem) {
    m_szItem = szItem;
    NeedUpdate();
}

void CTileLayoutUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (NameIs(pstrName, L"columns")) {
        SetColumns(ui::ParseInt(pstrValue));
    } else if (NameIs(pstrName, L"itemsize")) {
        SetItemSize(ui::ParseSize(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

void CTileLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT inner = GetInnerRect();
    const int width = inner.right - inner.left;
    int columns = m_nColumns;
    if (m_szItem.cx > 0)
        columns = std::max(1, (width + m_iChildPadding) / (m_szItem.cx + m_iChildPadding));
    const int cellWidth = m_szItem.cx > 0
                              ? m_szItem.cx
                              : std::max(0, (width - (columns - 1) * m_iChildPadding) / columns);
    int column = 0;
    LONG top = inner.top;
    LONG rowHeight = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CControlUI* item = m_items[i];
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(static_cast<int>(i));
            continue;
        }
        const SIZE est = item->EstimateSize({cellWidth, inner.bottom - inner.top});
        const LONG cellHeight = m_szItem.cy > 0 ? m_szItem.cy : (est.cy > 0 ? est.cy : cellWidth);
        const LONG left = inner.left + column * (cellWidth + m_iChildPadding);
        const RECT padding = item->GetPadding();
        item->SetPos({left + padding.left, top + padding.top, left + cellWidth - padding.right,
                      top + cellHeight - padding.bottom},
                     bNeedInvalidate);
        rowHeight = std::max(rowHeight, cellHeight);
        if (++column == columns) {
            column = 0;
            top += rowHeight + m_iChildPadding;
            rowHeight = 0;
        }
    }
}

// --- tree ---

bool CTreeViewUI::Add(CTreeNodeUI* pControl) {
    return CListUI::Add(pControl);
}

namespace {
constexpr LONG kTreeRowHeight = 22;
}

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* pParentNode)
    : m_pParentNode(pParentNode), m_pHorizontal(new CHorizontalLayoutUI) {
    CContainerUI::Add(m_pHorizontal);
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* pNode) {
    if (!pNode) return false;
    if (!CContainerUI::Add(pNode)) return false;
    pNode->m_pParentNode = this;
    return true;
}

int CTreeNodeUI::GetCountChild() const {
    return GetCount() - 1;
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int iIndex) const {
    return static_cast<CTreeNodeUI*>(GetItemAt(iIndex + 1));
}

SIZE CTreeNodeUI::EstimateSize(SIZE szAvailable) {
    LONG height = m_cxyFixed.cy > 0 ? m_cxyFixed.cy : kTreeRowHeight;
    for (int i = 1; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child->IsVisible()) height += child->EstimateSize(szAvailable).cy;
    }
    return {m_cxyFixed.cx, height};
}

void CTreeNodeUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT inner = GetInnerRect();
    LONG top = inner.top;
    const LONG rowHeight = m_cxyFixed.cy > 0 ? m_cxyFixed.cy : kTreeRowHeight;
    m_pHorizontal->SetPos({inner.left, top, inner.right, std::min(inner.bottom, top + rowHeight)},
                          bNeedInvalidate);
    top += rowHeight;
    for (int i = 1; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        const LONG h = child->EstimateSize({inner.right - inner.left, inner.bottom - top}).cy;
        child->SetPos({inner.left, top, inner.right, top + h}, bNeedInvalidate);
        top += h;
    }
}
