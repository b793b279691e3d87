#include "skinframe/controls/option.h"

#include <cwchar>

#include "skinframe/paint_manager.h"
#include "skinframe/render.h"
#include "skinframe/ui_attr.h"

COptionUI::~COptionUI() {
    if (!m_sGroupName.IsEmpty() && m_pManager)
        m_pManager->RemoveOptionGroup(m_sGroupName.GetData(), this);
}

LPCWSTR COptionUI::GetClass() const {
    return L"OptionUI";
}

LPVOID COptionUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Option") == 0) return this;
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    // Leaving a manager leaves its group too, so the group never holds a stale option.
    if (m_pManager && m_pManager != pManager && !m_sGroupName.IsEmpty()) {
        m_pManager->RemoveOptionGroup(m_sGroupName.GetData(), this);
    }
    CButtonUI::SetManager(pManager, pParent, bInit);
    if (bInit && m_pManager && !m_sGroupName.IsEmpty()) {
        m_pManager->AddOptionGroup(m_sGroupName.GetData(), this);
    }
}

void COptionUI::SetGroup(LPCWSTR pStrGroupName) {
    const CSkinString name(pStrGroupName ? pStrGroupName : L"");
    if (m_sGroupName == name) return;
    if (!m_sGroupName.IsEmpty() && m_pManager)
        m_pManager->RemoveOptionGroup(m_sGroupName.GetData(), this);
    m_sGroupName = name;
    if (!m_sGroupName.IsEmpty() && m_pManager)
        m_pManager->AddOptionGroup(m_sGroupName.GetData(), this);
    Selected(m_bSelected, false);
}

void COptionUI::Selected(bool bSelected, bool bTriggerEvent) {
    const bool changed = m_bSelected != bSelected;
    m_bSelected = bSelected;
    if (m_bSelected) {
        m_uButtonState |= UISTATE_SELECTED;
    } else {
        m_uButtonState &= ~UISTATE_SELECTED;
    }
    if (m_pManager && m_bSelected && !m_sGroupName.IsEmpty()) {
        const std::vector<CControlUI*>* group = m_pManager->GetOptionGroup(m_sGroupName.GetData());
        if (group) {
            // A copy: unselecting another option may send notifications whose listeners change
            // the group.
            const std::vector<CControlUI*> members = *group;
            for (CControlUI* member : members) {
                if (member == this) continue;
                if (auto* option = static_cast<COptionUI*>(member->GetInterface(L"Option"))) {
                    option->Selected(false, bTriggerEvent);
                }
            }
        }
    }
    if (changed && bTriggerEvent && m_pManager) {
        m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED);
    }
    Invalidate();
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_sGroupName.IsEmpty()) {
        Selected(true);
    } else {
        Selected(!m_bSelected);
    }
    return true;
}

void COptionUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    // The selection survives disabling; only the transient states go.
    m_uButtonState = m_bSelected ? UISTATE_SELECTED : 0;
}

void COptionUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (!pstrName || !pstrValue) return;
    const auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"group")) {
        SetGroup(pstrValue);
    } else if (is(L"selected")) {
        Selected(ui::ParseBool(pstrValue), false);
    } else if (is(L"selectedimage")) {
        m_sSelectedImage = pstrValue;
    } else if (is(L"selectedhotimage")) {
        m_sSelectedHotImage = pstrValue;
    } else if (is(L"foreimage")) {
        m_sForeImage = pstrValue;
    } else if (is(L"selectedbkcolor")) {
        m_dwSelectedBkColor = ui::ParseColor(pstrValue);
    } else if (is(L"selectedtextcolor")) {
        m_dwSelectedTextColor = ui::ParseColor(pstrValue);
    } else {
        CButtonUI::SetAttribute(pstrName, pstrValue);
    }
}

void COptionUI::PaintStatusImage(HDC hDC) {
    if (m_bSelected) {
        if (m_dwSelectedBkColor != 0) CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwSelectedBkColor);
        const bool hot = (m_uButtonState & UISTATE_HOT) != 0;
        const CSkinString& image =
            (hot && !m_sSelectedHotImage.IsEmpty()) ? m_sSelectedHotImage : m_sSelectedImage;
        if (image.IsEmpty() || !DrawImage(hDC, image.GetData())) CButtonUI::PaintStatusImage(hDC);
    } else {
        CButtonUI::PaintStatusImage(hDC);
    }
    if (!m_sForeImage.IsEmpty()) DrawImage(hDC, m_sForeImage.GetData());
}

void COptionUI::PaintText(HDC hDC) {
    if (!m_bSelected || m_dwSelectedTextColor == 0) {
        CButtonUI::PaintText(hDC);
        return;
    }
    if (m_sText.IsEmpty()) return;
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText.GetData(), m_dwSelectedTextColor, m_iFont,
                            m_uTextStyle);
}

LPCWSTR CCheckBoxUI::GetClass() const {
    return L"CheckBoxUI";
}

LPVOID CCheckBoxUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"CheckBox") == 0) return this;
    return COptionUI::GetInterface(pstrName);
}

void CCheckBoxUI::SetCheck(bool bCheck, bool bTriggerEvent) {
    Selected(bCheck, bTriggerEvent);
}

bool CCheckBoxUI::GetCheck() const {
    return IsSelected();
}
