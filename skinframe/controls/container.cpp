#include "skinframe/controls/container.h"

#include <algorithm>
#include <cwchar>

#include "platform/win_gdi.h"
#include "skinframe/paint_manager.h"
#include "skinframe/ui_attr.h"
#include "skinframe/ui_rect.h"

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go with their container, at once: the manager may be going away too.
    m_bDelayedDestroy = false;
    RemoveAll();
}

LPCWSTR CContainerUI::GetClass() const {
    return L"ContainerUI";
}

LPVOID CContainerUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, DUI_CTR_INTERFACE_CONTAINER) == 0) {
        return static_cast<IContainerUI*>(this);
    }
    if (pstrName && std::wcscmp(pstrName, L"Container") == 0) return this;
    return CControlUI::GetInterface(pstrName);
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= static_cast<int>(m_items.size())) return nullptr;
    return m_items[static_cast<size_t>(iIndex)];
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const {
    const auto it = std::find(m_items.begin(), m_items.end(), pControl);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    const int from = GetItemIndex(pControl);
    if (from < 0 || iIndex < 0 || iIndex >= static_cast<int>(m_items.size())) return false;
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + iIndex, pControl);
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const {
    return static_cast<int>(m_items.size());
}

bool CContainerUI::Add(CControlUI* pControl) {
    return AddAt(pControl, static_cast<int>(m_items.size()));
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex) {
    if (!pControl || pControl == this) return false;
    if (iIndex < 0 || iIndex > static_cast<int>(m_items.size())) return false;
    if (GetItemIndex(pControl) >= 0) return false;
    m_items.insert(m_items.begin() + iIndex, pControl);
    if (m_pManager) m_pManager->InitControls(pControl, this);
    pControl->SetInternVisible(IsVisible());
    if (IsVisible()) NeedUpdate();
    return true;
}

void CContainerUI::DestroyChild(CControlUI* pControl) {
    if (m_bDelayedDestroy && m_pManager) {
        m_pManager->AddDelayedCleanup(pControl);
    } else {
        delete pControl;
    }
}

bool CContainerUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    const int index = GetItemIndex(pControl);
    if (index < 0) return false;
    return RemoveAt(index, bDoNotDestroy);
}

bool CContainerUI::RemoveAt(int iIndex, bool bDoNotDestroy) {
    CControlUI* pControl = GetItemAt(iIndex);
    if (!pControl) return false;
    m_items.erase(m_items.begin() + iIndex);
    if (!bDoNotDestroy && m_bAutoDestroy) DestroyChild(pControl);
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(m_items);
    if (m_bAutoDestroy) {
        for (CControlUI* item : items) DestroyChild(item);
    }
    NeedUpdate();
}

void CContainerUI::DoEvent(TEventUI& event) {
    CControlUI::DoEvent(event);
}

void CContainerUI::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    CControlUI::SetVisible(bVisible);
    for (CControlUI* item : m_items) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible) {
    CControlUI::SetInternVisible(bVisible);
    for (CControlUI* item : m_items) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool bEnabled) {
    CControlUI::SetMouseEnabled(bEnabled);
}

RECT CContainerUI::GetInset() const {
    return m_rcInset;
}

void CContainerUI::SetInset(RECT rcInset) {
    m_rcInset = rcInset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const {
    return m_iChildPadding;
}

void CContainerUI::SetChildPadding(int iPadding) {
    m_iChildPadding = iPadding;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const {
    return m_bAutoDestroy;
}

void CContainerUI::SetAutoDestroy(bool bAuto) {
    m_bAutoDestroy = bAuto;
}

bool CContainerUI::IsDelayedDestroy() const {
    return m_bDelayedDestroy;
}

void CContainerUI::SetDelayedDestroy(bool bDelayed) {
    m_bDelayedDestroy = bDelayed;
}

bool CContainerUI::IsMouseChildEnabled() const {
    return m_bMouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool bEnable) {
    m_bMouseChildEnabled = bEnable;
}

RECT CContainerUI::GetInnerRect() const {
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    return rc;
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT inner = GetInnerRect();
    for (size_t i = 0; i < m_items.size(); ++i) {
        CControlUI* item = m_items[i];
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(static_cast<int>(i));
            continue;
        }
        // A child of the plain container fills the inner area less its padding, limited by its
        // fixed, minimum and maximum sizes.
        const RECT padding = item->GetPadding();
        RECT rcChild = {inner.left + padding.left, inner.top + padding.top,
                        inner.right - padding.right, inner.bottom - padding.bottom};
        SIZE sz = item->EstimateSize({rcChild.right - rcChild.left, rcChild.bottom - rcChild.top});
        if (sz.cx == 0) sz.cx = rcChild.right - rcChild.left;
        if (sz.cy == 0) sz.cy = rcChild.bottom - rcChild.top;
        sz.cx = std::clamp<LONG>(sz.cx, item->GetMinWidth(),
                                 std::max(item->GetMinWidth(), item->GetMaxWidth()));
        sz.cy = std::clamp<LONG>(sz.cy, item->GetMinHeight(),
                                 std::max(item->GetMinHeight(), item->GetMaxHeight()));
        rcChild.right = rcChild.left + sz.cx;
        rcChild.bottom = rcChild.top + sz.cy;
        item->SetPos(rcChild, bNeedInvalidate);
    }
}

void CContainerUI::SetFloatPos(int iIndex) {
    CControlUI* item = GetItemAt(iIndex);
    if (!item || !item->IsVisible() || !item->IsFloat()) return;
    const SIZE xy = item->GetFixedXY();
    const int cx = item->GetFixedWidth();
    const int cy = item->GetFixedHeight();
    RECT rc = {m_rcItem.left + xy.cx, m_rcItem.top + xy.cy, m_rcItem.left + xy.cx + cx,
               m_rcItem.top + xy.cy + cy};
    item->SetPos(rc);
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT rcTemp;
    if (!ui::RectIntersect(rcTemp, rcPaint, m_rcItem)) return;
    CControlUI::DoPaint(hDC, rcPaint);
    if (m_items.empty()) return;

    // Children are clipped to the inner area, floating ones to the whole item.
    const RECT inner = GetInnerRect();
    RECT rcInner;
    const bool innerVisible = ui::RectIntersect(rcInner, rcTemp, inner);
    for (CControlUI* item : m_items) {
        if (!item->IsVisible()) continue;
        RECT rcChild;
        if (!ui::RectIntersect(rcChild, rcPaint, item->GetPos())) continue;
        if (!item->IsFloat() && !innerVisible) continue;
        const RECT& clip = item->IsFloat() ? rcTemp : rcInner;
        const int saved = ::SaveDC(hDC);
        ::IntersectClipRect(hDC, clip.left, clip.top, clip.right, clip.bottom);
        item->DoPaint(hDC, rcPaint);
        ::RestoreDC(hDC, saved);
    }
}

void CContainerUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (!pstrName || !pstrValue) return;
    if (std::wcscmp(pstrName, L"inset") == 0) {
        SetInset(ui::ParseRect(pstrValue));
    } else if (std::wcscmp(pstrName, L"childpadding") == 0) {
        SetChildPadding(ui::ParseInt(pstrValue));
    } else if (std::wcscmp(pstrName, L"mousechild") == 0) {
        SetMouseChildEnabled(ui::ParseBool(pstrValue));
    } else if (std::wcscmp(pstrName, L"autodestroy") == 0) {
        SetAutoDestroy(ui::ParseBool(pstrValue));
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    for (CControlUI* item : m_items) item->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0) {
        if (!ui::RectContains(m_rcItem, *static_cast<const POINT*>(pData))) return nullptr;
        if (!m_bMouseChildEnabled) {
            // Children that cannot take the mouse leave the hit to the container itself.
            return CControlUI::FindControl(Proc, pData, uFlags);
        }
    }
    if ((uFlags & UIFIND_ME_FIRST) != 0) {
        if (CControlUI* found = CControlUI::FindControl(Proc, pData, uFlags)) return found;
    }
    if ((uFlags & UIFIND_TOP_FIRST) != 0) {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            if (CControlUI* found = (*it)->FindControl(Proc, pData, uFlags)) return found;
        }
    } else {
        for (CControlUI* item : m_items) {
            if (CControlUI* found = item->FindControl(Proc, pData, uFlags)) return found;
        }
    }
    if ((uFlags & UIFIND_ME_FIRST) == 0) return CControlUI::FindControl(Proc, pData, uFlags);
    return nullptr;
}

CControlUI* CContainerUI::FindSubControl(LPCWSTR pstrSubControlName) {
    if (!pstrSubControlName) return nullptr;
    return FindControl(
        [](CControlUI* control, LPVOID data) -> CControlUI* {
            return control->GetName() == static_cast<LPCWSTR>(data) ? control : nullptr;
        },
        const_cast<wchar_t*>(pstrSubControlName), UIFIND_ALL);
}
