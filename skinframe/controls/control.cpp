#include "skinframe/controls/control.h"

#include <cwchar>

#include "platform/win_user.h"
#include "skinframe/paint_manager.h"
#include "skinframe/render.h"
#include "skinframe/ui_attr.h"
#include "skinframe/ui_rect.h"

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    OnDestroy(this);
    if (m_pManager) m_pManager->ReapObjects(this);
}

CSkinString CControlUI::GetName() const {
    return m_sName;
}

void CControlUI::SetName(LPCWSTR pstrName) {
    m_sName = pstrName ? pstrName : L"";
}

LPCWSTR CControlUI::GetClass() const {
    return L"ControlUI";
}

LPVOID CControlUI::GetInterface(LPCWSTR pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Control") == 0) return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const {
    return 0;
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

CPaintManagerUI* CControlUI::GetManager() const {
    return m_pManager;
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    m_pManager = pManager;
    m_pParent = pParent;
    if (m_pManager && !m_sVirtualWnd.IsEmpty()) m_pManager->UsedVirtualWnd(true);
    if (bInit && m_pParent) Init();
}

CControlUI* CControlUI::GetParent() const {
    return m_pParent;
}

CSkinString CControlUI::GetText() const {
    return m_sText;
}

void CControlUI::SetText(LPCWSTR pstrText) {
    const CSkinString text(pstrText ? pstrText : L"");
    if (m_sText == text) return;
    m_sText = text;
    Invalidate();
}

void CControlUI::SetBkColor(DWORD dwBackColor) {
    if (m_dwBackColor == dwBackColor) return;
    m_dwBackColor = dwBackColor;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD dwBorderColor) {
    if (m_dwBorderColor == dwBorderColor) return;
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

void CControlUI::SetBorderSize(int nSize) {
    if (m_nBorderSize == nSize) return;
    m_nBorderSize = nSize;
    Invalidate();
}

void CControlUI::SetBkImage(LPCWSTR pStrImage) {
    m_sBkImage = pStrImage ? pStrImage : L"";
    Invalidate();
}

const RECT& CControlUI::GetPos() const {
    return m_rcItem;
}

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    if (m_bSetPos) return;
    m_bSetPos = true;

    const RECT old = m_rcItem;
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    if (m_pManager && bNeedInvalidate && IsVisible() && !ui::RectEqual(old, rc)) {
        RECT area = ui::RectUnion(old, rc);
        if (!ui::RectEmpty(area)) m_pManager->Invalidate(area);
    }
    OnSize(this);
    m_bSetPos = false;
}

int CControlUI::GetWidth() const {
    return m_rcItem.right - m_rcItem.left;
}

int CControlUI::GetHeight() const {
    return m_rcItem.bottom - m_rcItem.top;
}

int CControlUI::GetX() const {
    return m_rcItem.left;
}

int CControlUI::GetY() const {
    return m_rcItem.top;
}

RECT CControlUI::GetPadding() const {
    return m_rcPadding;
}

void CControlUI::SetPadding(RECT rcPadding) {
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const {
    return m_cXY;
}

void CControlUI::SetFixedXY(SIZE szXY) {
    m_cXY = szXY;
    if (m_bFloat) NeedParentUpdate();
}

int CControlUI::GetFixedWidth() const {
    return m_cxyFixed.cx;
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const {
    return m_cxyFixed.cy;
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetMinWidth() const {
    return m_cxyMin.cx;
}

void CControlUI::SetMinWidth(int cx) {
    if (cx < 0 || m_cxyMin.cx == cx) return;
    m_cxyMin.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetMaxWidth() const {
    return m_cxyMax.cx;
}

void CControlUI::SetMaxWidth(int cx) {
    if (cx < 0 || m_cxyMax.cx == cx) return;
    m_cxyMax.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetMinHeight() const {
    return m_cxyMin.cy;
}

void CControlUI::SetMinHeight(int cy) {
    if (cy < 0 || m_cxyMin.cy == cy) return;
    m_cxyMin.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetMaxHeight() const {
    return m_cxyMax.cy;
}

void CControlUI::SetMaxHeight(int cy) {
    if (cy < 0 || m_cxyMax.cy == cy) return;
    m_cxyMax.cy = cy;
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE /*szAvailable*/) {
    return m_cxyFixed;
}

CSkinString CControlUI::GetToolTip() const {
    return m_sToolTip;
}

void CControlUI::SetToolTip(LPCWSTR pstrText) {
    m_sToolTip = pstrText ? pstrText : L"";
}

void CControlUI::SetToolTipWidth(int nWidth) {
    m_nTooltipWidth = nWidth;
}

int CControlUI::GetToolTipWidth() const {
    return m_nTooltipWidth;
}

WCHAR CControlUI::GetShortcut() const {
    return m_chShortcut;
}

void CControlUI::SetShortcut(WCHAR ch) {
    m_chShortcut = ch;
}

bool CControlUI::IsContextMenuUsed() const {
    return m_bMenuUsed;
}

void CControlUI::SetContextMenuUsed(bool bMenuUsed) {
    m_bMenuUsed = bMenuUsed;
}

const CSkinString& CControlUI::GetUserData() const {
    return m_sUserData;
}

void CControlUI::SetUserData(LPCWSTR pstrText) {
    m_sUserData = pstrText ? pstrText : L"";
}

UINT_PTR CControlUI::GetTag() const {
    return m_pTag;
}

void CControlUI::SetTag(UINT_PTR pTag) {
    m_pTag = pTag;
}

bool CControlUI::IsVisible() const {
    return m_bVisible && m_bInternVisible;
}

void CControlUI::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    const bool wasVisible = IsVisible();
    m_bVisible = bVisible;
    if (!IsVisible() && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) {
        // The old area must be repainted too when the control disappears.
        if (!IsVisible() && m_pManager && !ui::RectEmpty(m_rcItem))
            m_pManager->Invalidate(m_rcItem);
        NeedParentUpdate();
    }
}

void CControlUI::SetInternVisible(bool bVisible) {
    m_bInternVisible = bVisible;
    if (!bVisible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const {
    return m_bEnabled;
}

void CControlUI::SetEnabled(bool bEnabled) {
    if (m_bEnabled == bEnabled) return;
    m_bEnabled = bEnabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const {
    return m_bMouseEnabled;
}

void CControlUI::SetMouseEnabled(bool bEnabled) {
    m_bMouseEnabled = bEnabled;
}

bool CControlUI::IsKeyboardEnabled() const {
    return m_bKeyboardEnabled;
}

void CControlUI::SetKeyboardEnabled(bool bEnabled) {
    m_bKeyboardEnabled = bEnabled;
}

bool CControlUI::IsFocused() const {
    return m_bFocused;
}

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const {
    return m_bFloat;
}

void CControlUI::SetFloat(bool bFloat) {
    if (m_bFloat == bFloat) return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0 &&
        (!m_bMouseEnabled || !ui::RectContains(m_rcItem, *static_cast<const POINT*>(pData)))) {
        return nullptr;
    }
    return Proc(this, pData);
}

void CControlUI::Invalidate() {
    if (!IsVisible() || !m_pManager) return;
    // Only the part that the ancestors leave visible needs repainting.
    RECT rc = m_rcItem;
    for (CControlUI* parent = m_pParent; parent; parent = parent->GetParent()) {
        if (!ui::RectIntersect(rc, rc, parent->GetPos())) return;
    }
    m_pManager->Invalidate(rc);
}

bool CControlUI::IsUpdateNeeded() const {
    return m_bUpdateNeeded;
}

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager) m_pManager->NeedUpdate();
}

DWORD CControlUI::GetAdjustColor(DWORD dwColor) const {
    return dwColor;
}

void CControlUI::Init() {
    DoInit();
    OnInit(this);
}

void CControlUI::DoInit() {}

void CControlUI::Event(TEventUI& event) {
    if (OnEvent(&event)) DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
            return;
        case UIEVENT_SETFOCUS:
            m_bFocused = true;
            Invalidate();
            return;
        case UIEVENT_KILLFOCUS:
            m_bFocused = false;
            Invalidate();
            return;
        case UIEVENT_TIMER:
            if (m_pManager)
                m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
            return;
        case UIEVENT_CONTEXTMENU:
            if (IsContextMenuUsed()) {
                if (m_pManager)
                    m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
                return;
            }
            break;
        default:
            break;
    }
    // What a control does not use goes to its container (a wheel over a label scrolls the list).
    if (m_pParent) m_pParent->DoEvent(event);
}

void CControlUI::SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) {
    if (!pstrName || !pstrValue) return;
    const auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"pos")) {
        const RECT rc = ui::ParseRect(pstrValue);
        SetFixedXY({rc.left, rc.top});
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (is(L"padding")) {
        SetPadding(ui::ParseRect(pstrValue));
    } else if (is(L"bkcolor") || is(L"bkcolor1")) {
        SetBkColor(ui::ParseColor(pstrValue));
    } else if (is(L"bordercolor")) {
        SetBorderColor(ui::ParseColor(pstrValue));
    } else if (is(L"focusbordercolor")) {
        m_dwFocusBorderColor = ui::ParseColor(pstrValue);
    } else if (is(L"bordersize")) {
        SetBorderSize(ui::ParseInt(pstrValue));
    } else if (is(L"bkimage")) {
        SetBkImage(pstrValue);
    } else if (is(L"width")) {
        SetFixedWidth(ui::ParseInt(pstrValue));
    } else if (is(L"height")) {
        SetFixedHeight(ui::ParseInt(pstrValue));
    } else if (is(L"minwidth")) {
        SetMinWidth(ui::ParseInt(pstrValue));
    } else if (is(L"minheight")) {
        SetMinHeight(ui::ParseInt(pstrValue));
    } else if (is(L"maxwidth")) {
        SetMaxWidth(ui::ParseInt(pstrValue));
    } else if (is(L"maxheight")) {
        SetMaxHeight(ui::ParseInt(pstrValue));
    } else if (is(L"name")) {
        SetName(pstrValue);
    } else if (is(L"text")) {
        SetText(pstrValue);
    } else if (is(L"tooltip")) {
        SetToolTip(pstrValue);
    } else if (is(L"userdata")) {
        SetUserData(pstrValue);
    } else if (is(L"enabled")) {
        SetEnabled(ui::ParseBool(pstrValue));
    } else if (is(L"mouse")) {
        SetMouseEnabled(ui::ParseBool(pstrValue));
    } else if (is(L"keyboard")) {
        SetKeyboardEnabled(ui::ParseBool(pstrValue));
    } else if (is(L"visible")) {
        SetVisible(ui::ParseBool(pstrValue));
    } else if (is(L"float")) {
        SetFloat(ui::ParseBool(pstrValue));
    } else if (is(L"shortcut")) {
        SetShortcut(pstrValue[0]);
    } else if (is(L"menu")) {
        SetContextMenuUsed(ui::ParseBool(pstrValue));
    } else if (is(L"virtualwnd")) {
        SetVirtualWnd(pstrValue);
    }
}

CControlUI* CControlUI::ApplyAttributeList(LPCWSTR pstrList) {
    if (!pstrList) return this;
    const wchar_t* p = pstrList;
    while (*p) {
        const wchar_t* eq = std::wcschr(p, L'=');
        if (!eq) break;
        const CSkinString name(std::wstring(p, eq).c_str());
        if (eq[1] != L'"') break;
        const wchar_t* valueStart = eq + 2;
        const wchar_t* valueEnd = std::wcschr(valueStart, L'"');
        if (!valueEnd) break;
        const CSkinString value(std::wstring(valueStart, valueEnd).c_str());
        SetAttribute(name.GetData(), value.GetData());
        p = valueEnd + 1;
        if (*p == 0) break;
        if (*p != L' ') break;
        ++p;
    }
    return this;
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!ui::RectIntersect(m_rcPaint, rcPaint, m_rcItem)) return;
    if (!OnPaint(this)) return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC) {
    if (m_dwBackColor != 0) CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwBackColor));
}

void CControlUI::PaintBkImage(HDC hDC) {
    if (m_sBkImage.IsEmpty()) return;
    if (!DrawImage(hDC, m_sBkImage.GetData())) m_sBkImage.Empty();
}

void CControlUI::PaintStatusImage(HDC /*hDC*/) {}

void CControlUI::PaintText(HDC /*hDC*/) {}

void CControlUI::PaintBorder(HDC hDC) {
    if (m_nBorderSize <= 0) return;
    const DWORD color =
        (m_bFocused && m_dwFocusBorderColor != 0) ? m_dwFocusBorderColor : m_dwBorderColor;
    if (color != 0) CRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, GetAdjustColor(color));
}

void CControlUI::DoPostPaint(HDC /*hDC*/, const RECT& /*rcPaint*/) {}

void CControlUI::SetVirtualWnd(LPCWSTR pstrValue) {
    m_sVirtualWnd = pstrValue ? pstrValue : L"";
    if (m_pManager) m_pManager->UsedVirtualWnd(true);
}

CSkinString CControlUI::GetVirtualWnd() const {
    // A control without a name of its own belongs to its container's virtual window.
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    if (m_pParent) return m_pParent->GetVirtualWnd();
    return CSkinString();
}

bool CControlUI::DrawImage(HDC hDC, LPCWSTR pStrImage, LPCWSTR pStrModify) {
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, pStrImage,
                                          pStrModify);
}
