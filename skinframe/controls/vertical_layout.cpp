#include "skinframe/controls/vertical_layout.h"

#include <cwchar>

#include "skinframe/controls/linear_layout.h"

LPCWSTR CVerticalLayoutUI::GetClass() const {
    return L"VerticalLayoutUI";
}

LPVOID CVerticalLayoutUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"VerticalLayout") == 0) return this;
    return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    ui::LayoutLinear(m_items, GetInnerRect(), m_iChildPadding, true, bNeedInvalidate);
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->IsFloat()) SetFloatPos(static_cast<int>(i));
    }
}
