#include "skinframe/controls/horizontal_layout.h"

#include <cwchar>

#include "skinframe/controls/linear_layout.h"

LPCWSTR CHorizontalLayoutUI::GetClass() const {
    return L"HorizontalLayoutUI";
}

LPVOID CHorizontalLayoutUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"HorizontalLayout") == 0) return this;
    return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    ui::LayoutLinear(m_items, GetInnerRect(), m_iChildPadding, false, bNeedInvalidate);
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->IsFloat()) SetFloatPos(static_cast<int>(i));
    }
}
