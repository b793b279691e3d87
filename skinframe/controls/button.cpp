#include "skinframe/controls/button.h"

#include <cwchar>

#include "platform/win_user.h"
#include "skinframe/paint_manager.h"
#include "skinframe/render.h"
#include "skinframe/ui_attr.h"
#include "skinframe/ui_rect.h"

LPCWSTR CButtonUI::GetClass() const {
    return L"ButtonUI";
}

LPVOID CButtonUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Button") == 0) return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetControlFlags() const {
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
    return true;
}

void CButtonUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event) {
    const bool mouseEvent = event.Type >= UIEVENT_MOUSEMOVE && event.Type <= UIEVENT_SCROLLWHEEL;
    if (!IsMouseEnabled() && mouseEvent) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CLabelUI::DoEvent(event);
        }
        return;
    }
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
        case UIEVENT_KILLFOCUS:
            CLabelUI::DoEvent(event);
            return;
        case UIEVENT_KEYDOWN:
            if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
                Activate();
                return;
            }
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (ui::RectContains(m_rcItem, event.ptMouse) && IsEnabled()) {
                m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEMOVE:
            if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
                if (ui::RectContains(m_rcItem, event.ptMouse)) {
                    m_uButtonState |= UISTATE_PUSHED;
                } else {
                    m_uButtonState &= ~UISTATE_PUSHED;
                }
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONUP:
            if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
                // The state is settled before the click goes out: a listener may destroy the
                // button.
                const bool inside = ui::RectContains(m_rcItem, event.ptMouse);
                m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
                Invalidate();
                if (inside) Activate();
            }
            return;
        case UIEVENT_CONTEXTMENU:
            if (IsContextMenuUsed() && m_pManager) {
                m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
            }
            return;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) {
                m_uButtonState |= UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled()) {
                m_uButtonState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        default:
            break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (!pstrName || !pstrValue) return;
    const auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"normalimage")) {
        m_sNormalImage = pstrValue;
    } else if (is(L"hotimage")) {
        m_sHotImage = pstrValue;
    } else if (is(L"hotforeimage")) {
        m_sHotForeImage = pstrValue;
    } else if (is(L"pushedimage")) {
        m_sPushedImage = pstrValue;
    } else if (is(L"pushedforeimage")) {
        m_sPushedForeImage = pstrValue;
    } else if (is(L"focusedimage")) {
        m_sFocusedImage = pstrValue;
    } else if (is(L"disabledimage")) {
        m_sDisabledImage = pstrValue;
    } else if (is(L"hotbkcolor")) {
        m_dwHotBkColor = ui::ParseColor(pstrValue);
    } else if (is(L"pushedbkcolor")) {
        m_dwPushedBkColor = ui::ParseColor(pstrValue);
    } else if (is(L"hottextcolor")) {
        m_dwHotTextColor = ui::ParseColor(pstrValue);
    } else if (is(L"pushedtextcolor")) {
        m_dwPushedTextColor = ui::ParseColor(pstrValue);
    } else if (is(L"focusedtextcolor")) {
        m_dwFocusedTextColor = ui::ParseColor(pstrValue);
    } else {
        CLabelUI::SetAttribute(pstrName, pstrValue);
        return;
    }
    Invalidate();
}

void CButtonUI::PaintText(HDC hDC) {
    if (m_sText.IsEmpty()) return;
    DWORD own = m_dwTextColor;
    if (!IsEnabled()) {
        own = m_dwDisabledTextColor;
    } else if ((m_uButtonState & UISTATE_PUSHED) != 0 && m_dwPushedTextColor != 0) {
        own = m_dwPushedTextColor;
    } else if ((m_uButtonState & UISTATE_HOT) != 0 && m_dwHotTextColor != 0) {
        own = m_dwHotTextColor;
    } else if (IsFocused() && m_dwFocusedTextColor != 0) {
        own = m_dwFocusedTextColor;
    }
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText.GetData(), ResolveTextColor(own), m_iFont,
                            m_uTextStyle);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    // The state's background colour, then the state's image; a state without its own image
    // falls back to the normal one.
    if (IsEnabled()) {
        if ((m_uButtonState & UISTATE_PUSHED) != 0 && m_dwPushedBkColor != 0) {
            CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwPushedBkColor);
        } else if ((m_uButtonState & UISTATE_HOT) != 0 && m_dwHotBkColor != 0) {
            CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwHotBkColor);
        }
    }
    const CSkinString* image = nullptr;
    const CSkinString* foreImage = nullptr;
    if (!IsEnabled()) {
        image = &m_sDisabledImage;
    } else if ((m_uButtonState & UISTATE_PUSHED) != 0) {
        image = &m_sPushedImage;
        foreImage = &m_sPushedForeImage;
    } else if ((m_uButtonState & UISTATE_HOT) != 0) {
        image = &m_sHotImage;
        foreImage = &m_sHotForeImage;
    } else if (IsFocused()) {
        image = &m_sFocusedImage;
    }
    if (image && !image->IsEmpty() && DrawImage(hDC, image->GetData())) {
        if (foreImage && !foreImage->IsEmpty()) DrawImage(hDC, foreImage->GetData());
        return;
    }
    if (!m_sNormalImage.IsEmpty()) DrawImage(hDC, m_sNormalImage.GetData());
}
