#include "skinframe/controls/progress.h"

#include <algorithm>
#include <cwchar>

#include "platform/win_gdi.h"
#include "skinframe/render.h"
#include "skinframe/ui_attr.h"

CProgressUI::CProgressUI() {
    m_uTextStyle = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
}

LPCWSTR CProgressUI::GetClass() const {
    return L"ProgressUI";
}

LPVOID CProgressUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Progress") == 0) return this;
    return CLabelUI::GetInterface(pstrName);
}

void CProgressUI::SetHorizontal(bool bHorizontal) {
    m_bHorizontal = bHorizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int nMin) {
    m_nMin = nMin;
    Invalidate();
}

void CProgressUI::SetMaxValue(int nMax) {
    m_nMax = nMax;
    Invalidate();
}

void CProgressUI::SetValue(int nValue) {
    if (m_nValue == nValue) return;
    m_nValue = nValue;
    Invalidate();
}

void CProgressUI::SetForeColor(DWORD dwColor) {
    m_dwForeColor = dwColor;
    Invalidate();
}

void CProgressUI::SetForeImage(LPCWSTR pStrImage) {
    m_sForeImage = pStrImage ? pStrImage : L"";
    Invalidate();
}

RECT CProgressUI::GetForeRect() const {
    RECT rc = m_rcItem;
    if (m_nMax <= m_nMin) {
        // An empty range shows nothing rather than dividing by zero.
        if (m_bHorizontal) {
            rc.right = rc.left;
        } else {
            rc.top = rc.bottom;
        }
        return rc;
    }
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    const long long done =
        std::clamp<long long>(static_cast<long long>(m_nValue) - m_nMin, 0, range);
    if (m_bHorizontal) {
        rc.right = rc.left + static_cast<LONG>((rc.right - rc.left) * done / range);
    } else {
        rc.top = rc.bottom - static_cast<LONG>((rc.bottom - rc.top) * done / range);
    }
    return rc;
}

void CProgressUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (!pstrName || !pstrValue) return;
    const auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"hor")) {
        SetHorizontal(ui::ParseBool(pstrValue));
    } else if (is(L"min")) {
        SetMinValue(ui::ParseInt(pstrValue));
    } else if (is(L"max")) {
        SetMaxValue(ui::ParseInt(pstrValue));
    } else if (is(L"value")) {
        SetValue(ui::ParseInt(pstrValue));
    } else if (is(L"forecolor")) {
        SetForeColor(ui::ParseColor(pstrValue));
    } else if (is(L"foreimage")) {
        SetForeImage(pstrValue);
    } else {
        CLabelUI::SetAttribute(pstrName, pstrValue);
    }
}

void CProgressUI::PaintStatusImage(HDC hDC) {
    const RECT fore = GetForeRect();
    if (fore.right <= fore.left || fore.bottom <= fore.top) return;
    RECT visible;
    if (m_dwForeColor != 0) {
        visible = {std::max(fore.left, m_rcPaint.left), std::max(fore.top, m_rcPaint.top),
                   std::min(fore.right, m_rcPaint.right), std::min(fore.bottom, m_rcPaint.bottom)};
        if (visible.right > visible.left && visible.bottom > visible.top) {
            CRenderEngine::DrawColor(hDC, visible, m_dwForeColor);
        }
    }
    if (m_sForeImage.IsEmpty()) return;
    // The image is cut, not squeezed: the covered share of the image shows over the covered
    // share of the bar.
    wchar_t modify[128];
    const int w = m_rcItem.right - m_rcItem.left;
    const int h = m_rcItem.bottom - m_rcItem.top;
    const RECT d = {fore.left - m_rcItem.left, fore.top - m_rcItem.top, fore.right - m_rcItem.left,
                    fore.bottom - m_rcItem.top};
    std::swprintf(modify, sizeof(modify) / sizeof(modify[0]),
                  L"dest='%ld,%ld,%ld,%ld' sourcescale='%d,%d'", static_cast<long>(d.left),
                  static_cast<long>(d.top), static_cast<long>(d.right), static_cast<long>(d.bottom),
                  w, h);
    if (!DrawImage(hDC, m_sForeImage.GetData(), modify)) m_sForeImage.Empty();
}

LPCWSTR CSliderUI::GetClass() const {
    return L"SliderUI";
}

LPVOID CSliderUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Slider") == 0) return this;
    return CProgressUI::GetInterface(pstrName);
}

UINT CSliderUI::GetControlFlags() const {
    return IsEnabled() ? UIFLAG_TABSTOP : 0;
}
