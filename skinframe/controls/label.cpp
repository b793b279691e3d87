#include "skinframe/controls/label.h"

#include <cwchar>

#include "platform/win_gdi.h"
#include "platform/win_user.h"
#include "skinframe/paint_manager.h"
#include "skinframe/render.h"
#include "skinframe/ui_attr.h"

CLabelUI::CLabelUI() : m_uTextStyle(DT_VCENTER | DT_SINGLELINE) {}

LPCWSTR CLabelUI::GetClass() const {
    return L"LabelUI";
}

LPVOID CLabelUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Label") == 0) return this;
    return CControlUI::GetInterface(pstrName);
}

void CLabelUI::SetTextStyle(UINT uStyle) {
    m_uTextStyle = uStyle;
    Invalidate();
}

UINT CLabelUI::GetTextStyle() const {
    return m_uTextStyle;
}

void CLabelUI::SetTextColor(DWORD dwTextColor) {
    m_dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetTextColor() const {
    return m_dwTextColor;
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor) {
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetDisabledTextColor() const {
    return m_dwDisabledTextColor;
}

void CLabelUI::SetFont(int index) {
    m_iFont = index;
    Invalidate();
}

int CLabelUI::GetFont() const {
    return m_iFont;
}

RECT CLabelUI::GetTextPadding() const {
    return m_rcTextPadding;
}

void CLabelUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}

void CLabelUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (!pstrName || !pstrValue) return;
    const auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    const auto has = [pstrValue](const wchar_t* word) { return ui::HasWord(pstrValue, word); };
    if (is(L"align")) {
        // Horizontal alignment; "top"/"bottom"/"vcenter" may ride along for the vertical.
        if (has(L"left")) m_uTextStyle = (m_uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_LEFT;
        if (has(L"center")) m_uTextStyle = (m_uTextStyle & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER;
        if (has(L"right")) m_uTextStyle = (m_uTextStyle & ~(DT_LEFT | DT_CENTER)) | DT_RIGHT;
        if (has(L"top")) m_uTextStyle = (m_uTextStyle & ~(DT_BOTTOM | DT_VCENTER)) | DT_TOP;
        if (has(L"bottom")) m_uTextStyle = (m_uTextStyle & ~(DT_TOP | DT_VCENTER)) | DT_BOTTOM;
        if (has(L"vcenter")) m_uTextStyle = (m_uTextStyle & ~(DT_TOP | DT_BOTTOM)) | DT_VCENTER;
        Invalidate();
    } else if (is(L"valign")) {
        if (has(L"top")) m_uTextStyle = (m_uTextStyle & ~(DT_BOTTOM | DT_VCENTER)) | DT_TOP;
        if (has(L"bottom")) m_uTextStyle = (m_uTextStyle & ~(DT_TOP | DT_VCENTER)) | DT_BOTTOM;
        if (has(L"center")) m_uTextStyle = (m_uTextStyle & ~(DT_TOP | DT_BOTTOM)) | DT_VCENTER;
        Invalidate();
    } else if (is(L"endellipsis")) {
        if (ui::ParseBool(pstrValue)) {
            m_uTextStyle |= DT_END_ELLIPSIS;
        } else {
            m_uTextStyle &= ~DT_END_ELLIPSIS;
        }
    } else if (is(L"wordbreak") || is(L"multiline")) {
        if (ui::ParseBool(pstrValue)) {
            m_uTextStyle = (m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK;
        } else {
            m_uTextStyle = (m_uTextStyle & ~DT_WORDBREAK) | DT_SINGLELINE;
        }
    } else if (is(L"font")) {
        SetFont(ui::ParseInt(pstrValue));
    } else if (is(L"textcolor")) {
        SetTextColor(ui::ParseColor(pstrValue));
    } else if (is(L"disabledtextcolor")) {
        SetDisabledTextColor(ui::ParseColor(pstrValue));
    } else if (is(L"textpadding")) {
        SetTextPadding(ui::ParseRect(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

DWORD CLabelUI::ResolveTextColor(DWORD own) const {
    if (own != 0) return own;
    if (!m_pManager) return 0xFF000000;
    return IsEnabled() ? m_pManager->GetDefaultFontColor() : m_pManager->GetDefaultDisabledColor();
}

void CLabelUI::PaintText(HDC hDC) {
    if (m_sText.IsEmpty()) return;
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    const DWORD color = ResolveTextColor(IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor);
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText.GetData(), color, m_iFont, m_uTextStyle);
}

CTextUI::CTextUI() {
    m_uTextStyle = DT_WORDBREAK;
}

LPCWSTR CTextUI::GetClass() const {
    return L"TextUI";
}

LPVOID CTextUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Text") == 0) return this;
    return CLabelUI::GetInterface(pstrName);
}
