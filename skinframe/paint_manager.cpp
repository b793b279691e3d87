#include "skinframe/paint_manager.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>

#include "platform/win_kernel.h"
#include "skinframe/controls/control.h"
#include "skinframe/controls/other_controls.h"
#include "skinframe/render.h"
#include "skinframe/ui_rect.h"

HINSTANCE CPaintManagerUI::m_hInstance = nullptr;
HINSTANCE CPaintManagerUI::m_hResourceInstance = nullptr;
std::vector<CPaintManagerUI*> CPaintManagerUI::m_aPreMessages;
std::vector<LPCREATECONTROL> CPaintManagerUI::m_aPlugins;

namespace {

// Win32 ids of control timers run from 0 to 239; 0xF1 is the caret's blink timer.
constexpr UINT kTimerIdRange = 0xF0;
constexpr UINT kCaretTimerId = 0xF1;
// Notifications of child windows come back to them under this offset ("reflected").
constexpr UINT kReflectBase = 0x2000;
constexpr UINT kDelayedCleanupMessage = WM_APP + 1;
constexpr UINT kToolInfoSize = 48;
constexpr DWORD kDefaultHoverTime = 400;

template <typename T>
bool RemoveFirst(std::vector<T*>& list, T* item) {
    const auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

TEventUI MakeEvent(int type, CControlUI* sender, POINT pt) {
    TEventUI event = {};
    event.Type = type;
    event.pSender = sender;
    event.ptMouse = pt;
    event.dwTimestamp = ::GetTickCount();
    return event;
}

POINT PointFromLParam(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// --- tree-walk procedures ---

CControlUI* FindFromNameHash(CControlUI* pThis, LPVOID pData) {
    auto* names = static_cast<CStdStringPtrMap*>(pData);
    const CSkinString name = pThis->GetName();
    if (name.IsEmpty()) return nullptr;
    // A later control of the same name replaces the earlier one.
    names->Set(name.GetData(), pThis);
    return nullptr;
}

CControlUI* FindFromPoint(CControlUI* pThis, LPVOID pData) {
    return ui::RectContains(pThis->GetPos(), *static_cast<const POINT*>(pData)) ? pThis : nullptr;
}

CControlUI* FindFromUpdate(CControlUI* pThis, LPVOID /*pData*/) {
    return pThis->IsUpdateNeeded() ? pThis : nullptr;
}

struct TabStops {
    CControlUI* focus;
    std::vector<CControlUI*> stops;
    // Number of tab stops met before the focus control in walk order; -1 while not met.
    int focusIndex = -1;
};

CControlUI* CollectTabStops(CControlUI* pThis, LPVOID pData) {
    auto* info = static_cast<TabStops*>(pData);
    if (pThis == info->focus) info->focusIndex = static_cast<int>(info->stops.size());
    if ((pThis->GetControlFlags() & UIFLAG_TABSTOP) != 0) info->stops.push_back(pThis);
    return nullptr;
}

struct ShortcutSearch {
    WCHAR ch;
    bool pickNext;
};

CControlUI* FindFromShortcut(CControlUI* pThis, LPVOID pData) {
    if (!pThis->IsVisible()) return nullptr;
    auto* search = static_cast<ShortcutSearch*>(pData);
    const WCHAR shortcut = pThis->GetShortcut();
    if (shortcut != 0 && static_cast<WCHAR>(std::towupper(shortcut)) == search->ch) {
        search->pickNext = true;
    }
    // A label hands its shortcut on to the next control in walk order.
    if (std::wcsstr(pThis->GetClass(), L"LabelUI") != nullptr) return nullptr;
    return search->pickNext ? pThis : nullptr;
}

struct NameSearch {
    LPCWSTR name;
};

CControlUI* FindFromName(CControlUI* pThis, LPVOID pData) {
    return pThis->GetName() == static_cast<NameSearch*>(pData)->name ? pThis : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Process-wide side
// ---------------------------------------------------------------------------------------------

HINSTANCE CPaintManagerUI::GetInstance() {
    return m_hInstance;
}

CSkinString CPaintManagerUI::GetInstancePath() {
    if (m_hInstance == nullptr) return CSkinString();
    WCHAR path[MAX_PATH] = {0};
    const DWORD n = ::GetModuleFileNameW(m_hInstance, path, MAX_PATH);
    if (n == 0) return CSkinString();
    CSkinString full(path);
    // Folders are cut at the last separator of either kind, keeping it.
    const int pos = std::max(full.ReverseFind(L'/'), full.ReverseFind(L'\\'));
    return full.Left(pos + 1);
}

HINSTANCE CPaintManagerUI::GetResourceDll() {
    return m_hResourceInstance ? m_hResourceInstance : m_hInstance;
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst) {
    m_hInstance = hInst;
    CShadowUI::Initialize(hInst);
}

void CPaintManagerUI::SetResourceDll(HINSTANCE hInst) {
    m_hResourceInstance = hInst;
}

std::vector<LPCREATECONTROL>& CPaintManagerUI::GetPlugins() {
    return m_aPlugins;
}

void CPaintManagerUI::MessageLoop() {
    MSG msg = {};
    // GetMessageW answers -1 on failure; that ends the loop too rather than spinning on it.
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool CPaintManagerUI::TranslateMessage(const MSG* pMsg) {
    if (!pMsg) return false;
    const LONG style = ::GetWindowLongW(pMsg->hwnd, GWL_STYLE);
    if ((static_cast<DWORD>(style) & WS_CHILD) != 0) {
        // A child window's message: every manager whose paint window is among its ancestors
        // gets a look; only an accelerator can keep it from being dispatched.
        for (size_t i = 0; i < m_aPreMessages.size(); ++i) {
            CPaintManagerUI* manager = m_aPreMessages[i];
            for (HWND parent = ::GetParent(pMsg->hwnd); parent != nullptr;
                 parent = ::GetParent(parent)) {
                if (i >= m_aPreMessages.size() || m_aPreMessages[i] != manager) break;
                if (pMsg->hwnd != manager->GetPaintWindow() && parent != manager->GetPaintWindow())
                    continue;
                if (manager->TranslateAccelerator(pMsg)) return true;
                LRESULT lRes = 0;
                manager->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
            }
        }
        return false;
    }
    for (CPaintManagerUI* manager : m_aPreMessages) {
        if (pMsg->hwnd != manager->GetPaintWindow()) continue;
        if (manager->TranslateAccelerator(pMsg)) return true;
        LRESULT lRes = 0;
        return manager->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
    }
    return false;
}

WORD CPaintManagerUI::MapKeyState() {
    WORD state = 0;
    if (::GetKeyState(VK_CONTROL) < 0) state |= UISTATE_CONTROL;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= UISTATE_RBUTTON;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= UISTATE_LBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0) state |= UISTATE_SHIFT;
    if (::GetKeyState(VK_MENU) < 0) state |= UISTATE_ALT;
    return state;
}

// ---------------------------------------------------------------------------------------------
// Construction and destruction
// ---------------------------------------------------------------------------------------------

CPaintManagerUI::CPaintManagerUI() : m_mNameHash(83) {
    static bool s_firstManager = true;
    if (s_firstManager) {
        s_firstManager = false;
        ::InitCommonControls();
    }
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    m_DefaultFontInfo.hFont = ::CreateFontIndirectW(&lf);
    m_DefaultFontInfo.sFontName = lf.lfFaceName;
    m_DefaultFontInfo.iSize = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_DefaultFontInfo.bBold = lf.lfWeight >= FW_BOLD;
    m_DefaultFontInfo.bUnderline = lf.lfUnderline != 0;
    m_DefaultFontInfo.bItalic = lf.lfItalic != 0;
    SetFontMetrics(m_DefaultFontInfo);
}

CPaintManagerUI::~CPaintManagerUI() {
    std::vector<CControlUI*> delayed;
    delayed.swap(m_aDelayedCleanup);
    for (CControlUI* control : delayed) delete control;
    for (TNotifyUI* notify : m_aAsyncNotify) delete notify;
    m_aAsyncNotify.clear();
    m_mNameHash.RemoveAll();
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;

    if (m_DefaultFontInfo.hFont) ::DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = nullptr;
    RemoveAllFonts();
    RemoveAllImages();
    RemoveAllDefaultAttributeList();
    RemoveAllOptionGroups();
    RemoveAllTimers();

    if (m_hwndTooltip && ::IsWindow(m_hwndTooltip)) ::DestroyWindow(m_hwndTooltip);
    m_hwndTooltip = nullptr;
    DropOffscreen();
    if (m_hDcPaint) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hDcPaint = nullptr;
    RemoveFirst(m_aPreMessages, this);
}

void CPaintManagerUI::Init(HWND hWnd) {
    if (m_hDcPaint) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hWndPaint = hWnd;
    m_hDcPaint = ::GetDC(hWnd);
    if (std::find(m_aPreMessages.begin(), m_aPreMessages.end(), this) == m_aPreMessages.end()) {
        m_aPreMessages.push_back(this);
    }
}

SIZE CPaintManagerUI::GetClientSize() const {
    RECT rc = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void CPaintManagerUI::NeedUpdate() {
    m_bUpdateNeeded = true;
}

void CPaintManagerUI::Invalidate(RECT& rcItem) {
    if (!m_hWndPaint) return;
    m_rcLayeredUpdate = rcItem;
    ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_szInitWindowSize = {cx, cy};
    if (m_pRoot == nullptr && m_hWndPaint != nullptr) {
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void CPaintManagerUI::SetMinInfo(int cx, int cy) {
    if (cx < 0 || cy < 0) return;
    m_szMinWindow = {cx, cy};
}

void CPaintManagerUI::SetMaxInfo(int cx, int cy) {
    if (cx < 0 || cy < 0) return;
    m_szMaxWindow = {cx, cy};
}

void CPaintManagerUI::SetTransparent(int nOpacity) {
    m_nOpacity = std::clamp(nOpacity, 0, 255);
    if (!m_hWndPaint || m_bLayered) return;
    // A window that is not painted as layered still fades as a whole.
    const LONG exStyle = ::GetWindowLongW(m_hWndPaint, GWL_EXSTYLE);
    if (m_nOpacity < 255) {
        ::SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, static_cast<LONG>(exStyle | WS_EX_LAYERED));
        ::SetLayeredWindowAttributes(m_hWndPaint, 0, static_cast<BYTE>(m_nOpacity), LWA_ALPHA);
    }
}

void CPaintManagerUI::SetUseLayeredWindow(bool bLayered) {
    if (m_bLayered == bLayered) return;
    m_bLayered = bLayered;
    DropOffscreen();
    m_bRestoreRepaint = true;
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------------
// Fonts, images, default attributes, option groups
// ---------------------------------------------------------------------------------------------

HFONT CPaintManagerUI::CreateFontFor(LPCWSTR pStrFontName, int nSize, bool bBold, bool bUnderline,
                                     bool bItalic) {
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (pStrFontName && *pStrFontName) {
        std::wcsncpy(lf.lfFaceName, pStrFontName, LF_FACESIZE - 1);
        lf.lfFaceName[LF_FACESIZE - 1] = 0;
    }
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -nSize;
    lf.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = bUnderline ? TRUE : FALSE;
    lf.lfItalic = bItalic ? TRUE : FALSE;
    return ::CreateFontIndirectW(&lf);
}

void CPaintManagerUI::SetFontMetrics(TFontInfo& info) {
    HDC hDC = ::CreateCompatibleDC(m_hDcPaint);
    if (!hDC) return;
    HGDIOBJ old = ::SelectObject(hDC, info.hFont);
    ::GetTextMetricsW(hDC, &info.tm);
    ::SelectObject(hDC, old);
    ::DeleteDC(hDC);
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo() {
    return &m_DefaultFontInfo;
}

void CPaintManagerUI::SetDefaultFont(LPCWSTR pStrFontName, int nSize, bool bBold, bool bUnderline,
                                     bool bItalic) {
    HFONT font = CreateFontFor(pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (!font) return;
    if (m_DefaultFontInfo.hFont) ::DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = font;
    m_DefaultFontInfo.sFontName = pStrFontName;
    m_DefaultFontInfo.iSize = nSize;
    m_DefaultFontInfo.bBold = bBold;
    m_DefaultFontInfo.bUnderline = bUnderline;
    m_DefaultFontInfo.bItalic = bItalic;
    SetFontMetrics(m_DefaultFontInfo);
}

HFONT CPaintManagerUI::AddFont(LPCWSTR pStrFontName, int nSize, bool bBold, bool bUnderline,
                               bool bItalic) {
    HFONT font = CreateFontFor(pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (!font) return nullptr;
    auto info = std::make_unique<TFontInfo>();
    info->hFont = font;
    info->sFontName = pStrFontName;
    info->iSize = nSize;
    info->bBold = bBold;
    info->bUnderline = bUnderline;
    info->bItalic = bItalic;
    SetFontMetrics(*info);
    m_aCustomFonts.push_back(info.release());
    return font;
}

TFontInfo* CPaintManagerUI::GetFontInfo(int index) {
    if (index < 0 || index >= static_cast<int>(m_aCustomFonts.size())) return &m_DefaultFontInfo;
    return m_aCustomFonts[static_cast<size_t>(index)];
}

HFONT CPaintManagerUI::GetFont(int index) {
    return GetFontInfo(index)->hFont;
}

void CPaintManagerUI::RemoveAllFonts() {
    for (TFontInfo* info : m_aCustomFonts) {
        if (info->hFont) ::DeleteObject(info->hFont);
        delete info;
    }
    m_aCustomFonts.clear();
}

const TImageInfo* CPaintManagerUI::GetImage(LPCWSTR bitmap) {
    if (!bitmap) return nullptr;
    const auto it = m_mImageHash.find(bitmap);
    return it == m_mImageHash.end() ? nullptr : it->second;
}

const TImageInfo* CPaintManagerUI::GetImageEx(LPCWSTR bitmap, LPCWSTR type, DWORD mask) {
    const TImageInfo* image = GetImage(bitmap);
    return image ? image : AddImage(bitmap, type, mask);
}

const TImageInfo* CPaintManagerUI::AddImage(LPCWSTR bitmap, LPCWSTR type, DWORD mask) {
    if (!bitmap || !*bitmap) return nullptr;
    // A name already loaded keeps its first image; the skin names each image once.
    if (const TImageInfo* existing = GetImage(bitmap)) return existing;
    CSkinString path(bitmap);
    if (bitmap[0] != L'/') path = m_pStrResourcePath + path;
    TImageInfo* image = CRenderEngine::LoadImage(path.GetData(), mask);
    if (!image) return nullptr;
    image->sResType = type;
    image->dwMask = mask;
    m_mImageHash.emplace(bitmap, image);
    return image;
}

bool CPaintManagerUI::RemoveImage(LPCWSTR bitmap) {
    if (!bitmap) return false;
    const auto it = m_mImageHash.find(bitmap);
    if (it == m_mImageHash.end()) return false;
    CRenderEngine::FreeImage(it->second);
    m_mImageHash.erase(it);
    return true;
}

void CPaintManagerUI::RemoveAllImages() {
    for (auto& entry : m_mImageHash) CRenderEngine::FreeImage(entry.second);
    m_mImageHash.clear();
}

void CPaintManagerUI::AddDefaultAttributeList(LPCWSTR pStrControlName,
                                              LPCWSTR pStrControlAttrList) {
    if (!pStrControlName) return;
    m_DefaultAttrHash[pStrControlName] = pStrControlAttrList ? pStrControlAttrList : L"";
}

LPCWSTR CPaintManagerUI::GetDefaultAttributeList(LPCWSTR pStrControlName) const {
    if (!pStrControlName) return nullptr;
    const auto it = m_DefaultAttrHash.find(pStrControlName);
    return it == m_DefaultAttrHash.end() ? nullptr : it->second.c_str();
}

bool CPaintManagerUI::RemoveDefaultAttributeList(LPCWSTR pStrControlName) {
    return pStrControlName && m_DefaultAttrHash.erase(pStrControlName) > 0;
}

void CPaintManagerUI::RemoveAllDefaultAttributeList() {
    m_DefaultAttrHash.clear();
}

bool CPaintManagerUI::AddOptionGroup(LPCWSTR pStrGroupName, CControlUI* pControl) {
    if (!pStrGroupName || !pControl) return false;
    std::vector<CControlUI*>& group = m_mOptionGroup[pStrGroupName];
    if (std::find(group.begin(), group.end(), pControl) != group.end()) return false;
    group.push_back(pControl);
    return true;
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(LPCWSTR pStrGroupName) const {
    if (!pStrGroupName) return nullptr;
    const auto it = m_mOptionGroup.find(pStrGroupName);
    return it == m_mOptionGroup.end() ? nullptr : &it->second;
}

void CPaintManagerUI::RemoveOptionGroup(LPCWSTR pStrGroupName, CControlUI* pControl) {
    if (!pStrGroupName) return;
    const auto it = m_mOptionGroup.find(pStrGroupName);
    if (it == m_mOptionGroup.end()) return;
    RemoveFirst(it->second, pControl);
    if (it->second.empty()) m_mOptionGroup.erase(it);
}

void CPaintManagerUI::RemoveAllOptionGroups() {
    m_mOptionGroup.clear();
}

// ---------------------------------------------------------------------------------------------
// The control tree
// ---------------------------------------------------------------------------------------------

bool CPaintManagerUI::AttachDialog(CControlUI* pControl) {
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    // Re-attaching the installed root must not queue it for deletion.
    if (m_pRoot && m_pRoot != pControl) {
        m_aPostPaintControls.clear();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    m_shadow.Create(this);
    return InitControls(pControl);
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent) {
    if (!pControl) return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    pControl->FindControl(FindFromNameHash, &m_mNameHash, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl) {
    if (!pControl) return;
    if (pControl == m_pEventKey) m_pEventKey = nullptr;
    if (pControl == m_pEventHover) m_pEventHover = nullptr;
    if (pControl == m_pEventClick) m_pEventClick = nullptr;
    if (pControl == m_pFocus) m_pFocus = nullptr;
    KillTimer(pControl);
    const CSkinString name = pControl->GetName();
    if (!name.IsEmpty() && m_mNameHash.Find(name.GetData(), false) == pControl) {
        m_mNameHash.Remove(name.GetData());
    }
    for (TNotifyUI* notify : m_aAsyncNotify) {
        if (notify->pSender == pControl) notify->pSender = nullptr;
    }
    // A control that goes away must not be painted after the tree.
    RemoveFirst(m_aPostPaintControls, pControl);
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl) {
    if (!pControl) return;
    pControl->SetManager(this, nullptr, false);
    m_aDelayedCleanup.push_back(pControl);
    if (m_hWndPaint) ::PostMessageW(m_hWndPaint, kDelayedCleanupMessage, 0, 0);
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    if (!m_pRoot) return nullptr;
    return m_pRoot->FindControl(FindFromPoint, &pt,
                                UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindControl(LPCWSTR pstrName) const {
    if (!pstrName) return nullptr;
    return static_cast<CControlUI*>(m_mNameHash.Find(pstrName));
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const {
    if (!pParent) pParent = m_pRoot;
    if (!pParent) return nullptr;
    return pParent->FindControl(FindFromPoint, &pt,
                                UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, LPCWSTR pstrName) const {
    if (!pParent) pParent = m_pRoot;
    if (!pParent || !pstrName) return nullptr;
    NameSearch search{pstrName};
    return pParent->FindControl(FindFromName, &search, UIFIND_ALL);
}

// ---------------------------------------------------------------------------------------------
// Focus
// ---------------------------------------------------------------------------------------------

void CPaintManagerUI::SetFocus(CControlUI* pControl) {
    if (m_hWndPaint && ::GetFocus() != m_hWndPaint && pControl != m_pFocus) ::SetFocus(m_hWndPaint);
    if (pControl == m_pFocus) return;
    if (CControlUI* old = m_pFocus) {
        TEventUI event = MakeEvent(UIEVENT_KILLFOCUS, pControl, {0, 0});
        old->Event(event);
        if (m_pFocus == old) SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
        m_pFocus = nullptr;
    }
    if (!pControl) return;
    if (pControl->GetManager() != this || !pControl->IsVisible() || !pControl->IsEnabled()) return;
    m_pFocus = pControl;
    TEventUI event = MakeEvent(UIEVENT_SETFOCUS, pControl, {0, 0});
    pControl->Event(event);
    if (m_pFocus == pControl) SendNotify(pControl, DUI_MSGTYPE_SETFOCUS);
}

bool CPaintManagerUI::SetNextTabControl(bool bForward) {
    if (m_bUpdateNeeded && bForward) {
        // The layout is not done yet: the next paint moves the focus.
        m_bFocusNeeded = true;
        if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    TabStops info{m_pFocus, {}};
    if (m_pRoot) {
        m_pRoot->FindControl(CollectTabStops, &info,
                             UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    }
    CControlUI* next = nullptr;
    if (!info.stops.empty()) {
        const int count = static_cast<int>(info.stops.size());
        if (m_pFocus == nullptr || info.focusIndex < 0) {
            next = info.stops.front();
        } else if (bForward) {
            // The stops after the focus start at focusIndex, or one later when the focus is one.
            int index = info.focusIndex;
            if (index < count && info.stops[static_cast<size_t>(index)] == m_pFocus) ++index;
            next = index < count ? info.stops[static_cast<size_t>(index)] : info.stops.front();
        } else {
            const int index = info.focusIndex - 1;
            next = index >= 0 ? info.stops[static_cast<size_t>(index)] : info.stops.back();
        }
    }
    if (next) SetFocus(next);
    m_bFocusNeeded = false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------------------------

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse) {
    // Without a paint window the system would make a thread timer that nothing ever stops.
    if (!m_hWndPaint) return false;
    for (TTimerInfo* timer : m_aTimers) {
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint || timer->nLocalID != nTimerID)
            continue;
        if (!timer->bKilled) return false;
        if (::SetTimer(m_hWndPaint, timer->uWinTimer, uElapse, nullptr) == 0) return false;
        timer->bKilled = false;
        return true;
    }
    m_uTimerID = (m_uTimerID + 1) % kTimerIdRange;
    if (::SetTimer(m_hWndPaint, m_uTimerID, uElapse, nullptr) == 0) return false;
    m_aTimers.push_back(new TTimerInfo{pControl, nTimerID, m_hWndPaint, m_uTimerID, false});
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID) {
    for (TTimerInfo* timer : m_aTimers) {
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint ||
            timer->nLocalID != nTimerID || timer->bKilled) {
            continue;
        }
        if (::IsWindow(m_hWndPaint)) ::KillTimer(timer->hWnd, timer->uWinTimer);
        timer->bKilled = true;
        return true;
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl) {
    for (size_t i = 0; i < m_aTimers.size();) {
        TTimerInfo* timer = m_aTimers[i];
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint) {
            ++i;
            continue;
        }
        if (!timer->bKilled && ::IsWindow(m_hWndPaint)) ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
        m_aTimers.erase(m_aTimers.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    for (TTimerInfo* timer : m_aTimers) {
        if (timer->hWnd == m_hWndPaint && !timer->bKilled && ::IsWindow(m_hWndPaint)) {
            ::KillTimer(timer->hWnd, timer->uWinTimer);
        }
        delete timer;
    }
    m_aTimers.clear();
}

// ---------------------------------------------------------------------------------------------
// Capture
// ---------------------------------------------------------------------------------------------

void CPaintManagerUI::SetCapture() {
    ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture() {
    ::ReleaseCapture();
    m_bMouseCapture = false;
}

// ---------------------------------------------------------------------------------------------
// Listeners and notifications
// ---------------------------------------------------------------------------------------------

bool CPaintManagerUI::AddNotifier(INotifyUI* pNotifier) {
    m_aNotifiers.push_back(pNotifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pNotifier) {
    return RemoveFirst(m_aNotifiers, pNotifier);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter) {
    m_aPreMessageFilters.push_back(pFilter);
    return true;
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter) {
    return RemoveFirst(m_aPreMessageFilters, pFilter);
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter) {
    m_aMessageFilters.push_back(pFilter);
    return true;
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter) {
    return RemoveFirst(m_aMessageFilters, pFilter);
}

bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator) {
    m_aTranslateAccelerator.push_back(pTranslateAccelerator);
    return true;
}

bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator) {
    return RemoveFirst(m_aTranslateAccelerator, pTranslateAccelerator);
}

bool CPaintManagerUI::TranslateAccelerator(const MSG* pMsg) {
    for (size_t i = 0; i < m_aTranslateAccelerator.size(); ++i) {
        if (m_aTranslateAccelerator[i]->TranslateAccelerator(const_cast<MSG*>(pMsg)) == 0)
            return true;
    }
    return false;
}

bool CPaintManagerUI::AddPostPaint(CControlUI* pControl) {
    m_aPostPaintControls.push_back(pControl);
    return true;
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* pControl) {
    return RemoveFirst(m_aPostPaintControls, pControl);
}

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCWSTR pstrMessage, WPARAM wParam,
                                 LPARAM lParam, bool bAsync) {
    TNotifyUI msg;
    msg.pSender = pControl;
    msg.sType = pstrMessage;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync) {
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && Msg.pSender) Msg.sVirtualWnd = Msg.pSender->GetVirtualWnd();
    if (bAsync) {
        m_aAsyncNotify.push_back(new TNotifyUI(Msg));
        return;
    }
    if (Msg.pSender && Msg.pSender->OnNotify) Msg.pSender->OnNotify(&Msg);
    for (size_t i = 0; i < m_aNotifiers.size(); ++i) m_aNotifiers[i]->Notify(Msg);
}

void CPaintManagerUI::DeliverQueuedNotifications() {
    while (!m_aAsyncNotify.empty()) {
        std::unique_ptr<TNotifyUI> msg(m_aAsyncNotify.front());
        m_aAsyncNotify.erase(m_aAsyncNotify.begin());
        if (msg->pSender && msg->pSender->OnNotify) msg->pSender->OnNotify(msg.get());
        for (size_t i = 0; i < m_aNotifiers.size(); ++i) m_aNotifiers[i]->Notify(*msg);
    }
}

// ---------------------------------------------------------------------------------------------
// Message handling
// ---------------------------------------------------------------------------------------------

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    for (size_t i = 0; i < m_aPreMessageFilters.size(); ++i) {
        BOOL bHandled = FALSE;
        const LRESULT result =
            m_aPreMessageFilters[i]->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = result;
            return true;
        }
    }
    switch (uMsg) {
        case WM_KEYDOWN: {
            if (wParam != static_cast<WPARAM>(VK_TAB)) break;
            if (m_pFocus && m_pFocus->IsVisible() && m_pFocus->IsEnabled() &&
                std::wcsstr(m_pFocus->GetClass(), L"RichEditUI") != nullptr) {
                auto* richEdit = static_cast<CRichEditUI*>(m_pFocus->GetInterface(L"RichEdit"));
                if (richEdit && richEdit->IsWantTab()) return false;
            }
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        case WM_SYSKEYDOWN: {
            if (m_pFocus) {
                TEventUI event = MakeEvent(UIEVENT_SYSKEY, nullptr, m_ptLastMousePos);
                event.chKey = static_cast<WORD>(wParam);
                event.wKeyState = MapKeyState();
                m_pFocus->Event(event);
            }
            break;
        }
        case WM_SYSCHAR: {
            if (!m_pRoot) break;
            ShortcutSearch search{static_cast<WCHAR>(std::towupper(static_cast<wint_t>(wParam))),
                                  false};
            CControlUI* control = m_pRoot->FindControl(
                FindFromShortcut, &search, UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST);
            if (control) {
                control->SetFocus();
                control->Activate();
                return true;
            }
            break;
        }
        default:
            break;
    }
    return false;
}

bool CPaintManagerUI::ReflectToChild(HWND hWndChild, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                     LRESULT& lRes) {
    lRes = ::SendMessageW(hWndChild, uMsg + kReflectBase, wParam, lParam);
    return true;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (!m_hWndPaint) return false;
    DeliverQueuedNotifications();

    for (size_t i = 0; i < m_aMessageFilters.size(); ++i) {
        BOOL bHandled = FALSE;
        const LRESULT result = m_aMessageFilters[i]->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) {
            lRes = result;
            return true;
        }
    }

    switch (uMsg) {
        case WM_SIZE: {
            if (m_pFocus) {
                TEventUI event = MakeEvent(UIEVENT_WINDOWSIZE, m_pFocus, {0, 0});
                m_pFocus->Event(event);
            }
            if (m_pRoot) m_pRoot->NeedUpdate();
            return true;
        }
        case WM_PAINT:
            return OnPaint();
        case WM_CLOSE: {
            TEventUI event = MakeEvent(0, nullptr, m_ptLastMousePos);
            if (m_pEventHover) {
                event.Type = UIEVENT_MOUSELEAVE;
                event.pSender = m_pEventHover;
                m_pEventHover->Event(event);
            }
            if (m_pEventClick) {
                event.Type = UIEVENT_BUTTONUP;
                event.pSender = m_pEventClick;
                m_pEventClick->Event(event);
            }
            SetFocus(nullptr);
            if (HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER)) ::SetFocus(owner);
            break;
        }
        case WM_ERASEBKGND:
            lRes = 1;
            return true;
        case WM_SETCURSOR: {
            if (LOWORD(static_cast<DWORD_PTR>(lParam)) != HTCLIENT) break;
            if (m_bMouseCapture) return true;
            POINT pt = {0, 0};
            ::GetCursorPos(&pt);
            ::ScreenToClient(m_hWndPaint, &pt);
            CControlUI* control = FindControl(pt);
            if (!control || (control->GetControlFlags() & UIFLAG_SETCURSOR) == 0) break;
            TEventUI event = MakeEvent(UIEVENT_SETCURSOR, nullptr, pt);
            event.wParam = wParam;
            event.lParam = lParam;
            event.wKeyState = MapKeyState();
            control->Event(event);
            return true;
        }
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (!info) break;
            if (m_szMinWindow.cx > 0) info->ptMinTrackSize.x = m_szMinWindow.cx;
            if (m_szMinWindow.cy > 0) info->ptMinTrackSize.y = m_szMinWindow.cy;
            if (m_szMaxWindow.cx > 0) info->ptMaxTrackSize.x = m_szMaxWindow.cx;
            if (m_szMaxWindow.cy > 0) info->ptMaxTrackSize.y = m_szMaxWindow.cy;
            break;
        }
        case WM_NOTIFY: {
            if (lParam == 0) return true;
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            return ReflectToChild(header->hwndFrom, uMsg, wParam, lParam, lRes);
        }
        case WM_CONTEXTMENU: {
            POINT pt = PointFromLParam(lParam);
            ::ScreenToClient(m_hWndPaint, &pt);
            m_ptLastMousePos = pt;
            if (!m_pEventClick) break;
            ReleaseCapture();
            CControlUI* click = m_pEventClick;
            TEventUI event = MakeEvent(UIEVENT_CONTEXTMENU, click, pt);
            event.wKeyState = LOWORD(wParam);
            event.lParam = reinterpret_cast<LPARAM>(click);
            click->Event(event);
            m_pEventClick = nullptr;
            break;
        }
        case WM_KEYDOWN: {
            if (!m_pFocus) break;
            CControlUI* focus = m_pFocus;
            // Recorded before the event so that a control destroyed by its own key leaves no trace.
            m_pEventKey = focus;
            TEventUI event = MakeEvent(UIEVENT_KEYDOWN, nullptr, m_ptLastMousePos);
            event.chKey = static_cast<WORD>(wParam);
            event.wKeyState = MapKeyState();
            focus->Event(event);
            break;
        }
        case WM_KEYUP: {
            if (!m_pEventKey) break;
            TEventUI event = MakeEvent(UIEVENT_KEYUP, nullptr, m_ptLastMousePos);
            event.chKey = static_cast<WORD>(wParam);
            event.wKeyState = MapKeyState();
            m_pEventKey->Event(event);
            m_pEventKey = nullptr;
            break;
        }
        case WM_CHAR: {
            if (!m_pFocus) break;
            TEventUI event = MakeEvent(UIEVENT_CHAR, nullptr, m_ptLastMousePos);
            event.chKey = static_cast<WORD>(wParam);
            event.wKeyState = MapKeyState();
            m_pFocus->Event(event);
            break;
        }
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (lParam == 0) break;
            return ReflectToChild(reinterpret_cast<HWND>(lParam), uMsg, wParam, lParam, lRes);
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_RESTORE) m_bRestoreRepaint = true;
            return true;
        case WM_TIMER: {
            const UINT id = LOWORD(wParam);
            if (id == kCaretTimerId) {
                if (!ui::RectEmpty(m_rtCaret)) Invalidate(m_rtCaret);
                m_bCaretShowing = !m_bCaretShowing;
                break;
            }
            for (size_t i = 0; i < m_aTimers.size(); ++i) {
                const TTimerInfo* timer = m_aTimers[i];
                if (timer->hWnd != m_hWndPaint || timer->uWinTimer != id || timer->bKilled)
                    continue;
                CControlUI* owner = timer->pSender;
                TEventUI event = MakeEvent(UIEVENT_TIMER, owner, {0, 0});
                event.wParam = timer->nLocalID;
                owner->Event(event);
                break;
            }
            break;
        }
        case WM_MOUSEMOVE:
            OnMouseMove(lParam);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            ::SetFocus(m_hWndPaint);
            const POINT pt = PointFromLParam(lParam);
            m_ptLastMousePos = pt;
            CControlUI* control = FindControl(pt);
            if (!control || control->GetManager() != this) break;
            m_pEventClick = control;
            control->SetFocus();
            SetCapture();
            // The focus change may have taken the control away.
            if (m_pEventClick != control) break;
            TEventUI event = MakeEvent(
                uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_RBUTTONDOWN, control, pt);
            event.wParam = wParam;
            event.lParam = lParam;
            event.wKeyState = LOWORD(wParam);
            control->Event(event);
            break;
        }
        case WM_LBUTTONUP: {
            const POINT pt = PointFromLParam(lParam);
            m_ptLastMousePos = pt;
            if (!m_pEventClick) break;
            ReleaseCapture();
            CControlUI* click = m_pEventClick;
            TEventUI event = MakeEvent(UIEVENT_BUTTONUP, click, pt);
            event.wParam = wParam;
            event.lParam = lParam;
            event.wKeyState = LOWORD(wParam);
            click->Event(event);
            m_pEventClick = nullptr;
            break;
        }
        case WM_LBUTTONDBLCLK: {
            ::SetFocus(m_hWndPaint);
            const POINT pt = PointFromLParam(lParam);
            m_ptLastMousePos = pt;
            CControlUI* control = FindControl(pt);
            if (!control || control->GetManager() != this) break;
            SetCapture();
            m_pEventClick = control;
            TEventUI event = MakeEvent(UIEVENT_DBLCLICK, control, pt);
            event.wKeyState = LOWORD(wParam);
            control->Event(event);
            break;
        }
        case WM_MOUSEWHEEL: {
            POINT pt = PointFromLParam(lParam);
            ::ScreenToClient(m_hWndPaint, &pt);
            m_ptLastMousePos = pt;
            CControlUI* control = FindControl(pt);
            if (!control || control->GetManager() != this) break;
            const int delta = static_cast<short>(HIWORD(wParam));
            TEventUI event = MakeEvent(UIEVENT_SCROLLWHEEL, control, {0, 0});
            event.wParam = delta < 0 ? 1 : 0;
            event.lParam = lParam;
            event.wKeyState = MapKeyState();
            control->Event(event);
            // The content may have moved under the mouse: work the hover out again.
            ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0,
                           MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
            break;
        }
        case WM_MOUSEHOVER:
            if (OnMouseHover(lParam)) return true;
            break;
        case WM_MOUSELEAVE: {
            if (m_hwndTooltip)
                ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE,
                               reinterpret_cast<LPARAM>(&m_ToolTip));
            if (m_bMouseTracking)
                ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
            m_bMouseTracking = false;
            break;
        }
        case kDelayedCleanupMessage: {
            std::vector<CControlUI*> delayed;
            delayed.swap(m_aDelayedCleanup);
            for (CControlUI* control : delayed) delete control;
            break;
        }
        default:
            break;
    }

    DeliverQueuedNotifications();
    return false;
}

void CPaintManagerUI::OnMouseMove(LPARAM lParam) {
    if (!m_bMouseTracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWndPaint;
        tme.dwHoverTime = m_hwndTooltip == nullptr
                              ? kDefaultHoverTime
                              : static_cast<DWORD>(::SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME,
                                                                  TTDT_INITIAL, 0));
        ::_TrackMouseEvent(&tme);
        m_bMouseTracking = true;
    }
    const POINT pt = PointFromLParam(lParam);
    m_ptLastMousePos = pt;
    CControlUI* newHover = FindControl(pt);
    if (newHover && newHover->GetManager() != this) return;

    if (newHover != m_pEventHover && m_pEventHover) {
        CControlUI* old = m_pEventHover;
        TEventUI event = MakeEvent(UIEVENT_MOUSELEAVE, old, pt);
        old->Event(event);
        m_pEventHover = nullptr;
        if (m_hwndTooltip)
            ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE,
                           reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    if (newHover != m_pEventHover && newHover) {
        // Recorded before the event: a control destroyed while entering is forgotten again.
        m_pEventHover = newHover;
        TEventUI event = MakeEvent(UIEVENT_MOUSEENTER, newHover, pt);
        newHover->Event(event);
    }
    if (m_pEventClick) {
        TEventUI event = MakeEvent(UIEVENT_MOUSEMOVE, m_pEventClick, pt);
        m_pEventClick->Event(event);
    } else if (newHover && m_pEventHover == newHover) {
        TEventUI event = MakeEvent(UIEVENT_MOUSEMOVE, newHover, pt);
        newHover->Event(event);
    }
}

bool CPaintManagerUI::OnMouseHover(LPARAM lParam) {
    m_bMouseTracking = false;
    const POINT pt = PointFromLParam(lParam);
    if (!FindControl(pt)) return false;
    if (m_pEventHover) {
        TEventUI event = MakeEvent(UIEVENT_MOUSEHOVER, m_pEventHover, pt);
        m_pEventHover->Event(event);
    }
    // Looked up again: the hover event may have changed the tree.
    CControlUI* control = FindControl(pt);
    if (!control) return true;
    const CSkinString tip = control->GetToolTip();
    if (tip.IsEmpty()) return true;

    m_sToolTipText.assign(tip.GetData());
    m_ToolTip = {};
    m_ToolTip.cbSize = kToolInfoSize;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = m_hInstance;
    m_ToolTip.lpszText = m_sToolTipText.data();
    m_ToolTip.rect = control->GetPos();
    if (m_hwndTooltip == nullptr) {
        m_hwndTooltip =
            ::CreateWindowExW(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              m_hWndPaint, nullptr, m_hInstance, nullptr);
        ::SendMessageW(m_hwndTooltip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    ::SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, control->GetToolTipWidth());
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFO, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Layout and painting
// ---------------------------------------------------------------------------------------------

void CPaintManagerUI::DropOffscreen() {
    if (m_hDcOffscreen) ::DeleteDC(m_hDcOffscreen);
    if (m_hbmpOffscreen) ::DeleteObject(m_hbmpOffscreen);
    m_hDcOffscreen = nullptr;
    m_hbmpOffscreen = nullptr;
    m_pOffscreenBits = nullptr;
}

void CPaintManagerUI::DrawCaret(HDC hDC, const RECT& rcPaint) {
    if (!m_bCaretActive || !m_bCaretShowing) return;
    RECT rc;
    if (ui::RectIntersect(rc, rcPaint, m_rtCaret)) CRenderEngine::DrawColor(hDC, rc, 0xFF000000);
}

bool CPaintManagerUI::OnPaint() {
    RECT rcUpdate = {0, 0, 0, 0};
    if (!::GetUpdateRect(m_hWndPaint, &rcUpdate, FALSE) || !m_pRoot) {
        // Nothing to draw, but the paint is still taken: a window left with a pending paint
        // (a frame or internal paint and no client area to update) would be asked again for
        // ever.
        PAINTSTRUCT ps = {};
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return true;
    }

    PAINTSTRUCT ps = {};
    ::BeginPaint(m_hWndPaint, &ps);
    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWndPaint, &rcClient);
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        if (!ui::RectEmpty(rcClient)) {
            if (m_pRoot->IsUpdateNeeded()) {
                if (!::IsIconic(m_hWndPaint)) m_pRoot->SetPos(rcClient);
                DropOffscreen();
            } else {
                while (CControlUI* control = m_pRoot->FindControl(
                           FindFromUpdate, nullptr, UIFIND_VISIBLE | UIFIND_ME_FIRST)) {
                    control->SetPos(control->GetPos());
                    // A control that keeps asking would hold the window here for ever.
                    if (control->IsUpdateNeeded()) break;
                }
            }
            if (m_bFirstLayout) {
                m_bFirstLayout = false;
                SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWINIT, 0, 0, false);
            }
        }
    }
    if (m_bFocusNeeded) SetNextTabControl();

    const int width = rcClient.right - rcClient.left;
    const int height = rcClient.bottom - rcClient.top;
    if (m_pRoot && width > 0 && height > 0) {
        if (m_bLayered) {
            PaintLayered(ps.rcPaint, rcClient);
        } else {
            if (!m_hDcOffscreen) {
                m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
                m_hbmpOffscreen = ::CreateCompatibleBitmap(m_hDcPaint, width, height);
            }
            HGDIOBJ old = ::SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
            const int saved = ::SaveDC(m_hDcOffscreen);
            m_pRoot->DoPaint(m_hDcOffscreen, ps.rcPaint);
            DrawCaret(m_hDcOffscreen, ps.rcPaint);
            for (size_t i = 0; i < m_aPostPaintControls.size(); ++i) {
                m_aPostPaintControls[i]->DoPostPaint(m_hDcOffscreen, ps.rcPaint);
            }
            ::RestoreDC(m_hDcOffscreen, saved);
            ::BitBlt(ps.hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                     ps.rcPaint.bottom - ps.rcPaint.top, m_hDcOffscreen, ps.rcPaint.left,
                     ps.rcPaint.top, SRCCOPY);
            ::SelectObject(m_hDcOffscreen, old);
        }
    }
    ::EndPaint(m_hWndPaint, &ps);

    // Something asked for layout while the tree painted: paint once more.
    if (m_bUpdateNeeded) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    return true;
}

void CPaintManagerUI::PaintLayered(const RECT& rcPaint, const RECT& rcClient) {
    const LONG exStyle = ::GetWindowLongW(m_hWndPaint, GWL_EXSTYLE);
    if ((static_cast<DWORD>(exStyle) & WS_EX_LAYERED) == 0) {
        ::SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, static_cast<LONG>(exStyle | WS_EX_LAYERED));
    }
    RECT area;
    if (m_bRestoreRepaint) {
        area = rcClient;
        m_bRestoreRepaint = false;
    } else {
        area = ui::RectUnion(rcPaint, m_rcLayeredUpdate);
        m_rcLayeredUpdate = {0, 0, 0, 0};
    }
    if (!ui::RectIntersect(area, area, rcClient)) return;

    const int width = rcClient.right - rcClient.left;
    const int height = rcClient.bottom - rcClient.top;
    if (!m_hDcOffscreen) {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = ::CreateDIBSection(m_hDcPaint, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pOffscreenBits = static_cast<BYTE*>(bits);
        if (!m_hDcOffscreen || !m_hbmpOffscreen || !m_pOffscreenBits) {
            DropOffscreen();
            return;
        }
    }
    auto* pixels = reinterpret_cast<DWORD*>(m_pOffscreenBits);
    const auto forEachPixel = [&](const RECT& rc, auto&& fn) {
        for (LONG y = rc.top; y < rc.bottom; ++y) {
            for (LONG x = rc.left; x < rc.right; ++x)
                fn(pixels[static_cast<size_t>(y) * width + x]);
        }
    };
    // The repainted area starts transparent, so alpha does not pile up over repaints.
    forEachPixel(area, [](DWORD& p) { p = 0; });

    RECT rcRichEdit = {
        rcClient.left + m_rcRichEditCorner.left, rcClient.top + m_rcRichEditCorner.top,
        rcClient.right - m_rcRichEditCorner.right, rcClient.bottom - m_rcRichEditCorner.bottom};
    const bool hasRichEditCorner = !ui::RectEqual(m_rcRichEditCorner, {0, 0, 0, 0}) &&
                                   ui::RectIntersect(rcRichEdit, rcRichEdit, area);

    HGDIOBJ old = ::SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
    const int saved = ::SaveDC(m_hDcOffscreen);
    m_pRoot->DoPaint(m_hDcOffscreen, area);
    DrawCaret(m_hDcOffscreen, area);
    for (size_t i = 0; i < m_aPostPaintControls.size(); ++i) {
        m_aPostPaintControls[i]->DoPostPaint(m_hDcOffscreen, area);
    }
    ::RestoreDC(m_hDcOffscreen, saved);
    // Text drawn by a rich edit carries no alpha; its area is made opaque.
    if (hasRichEditCorner) forEachPixel(rcRichEdit, [](DWORD& p) { p |= 0xFF000000; });

    RECT rcWindow = {0, 0, 0, 0};
    ::GetWindowRect(m_hWndPaint, &rcWindow);
    POINT ptPos = {rcWindow.left, rcWindow.top};
    SIZE size = {width, height};
    POINT ptSrc = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hWndPaint, m_hDcPaint, &ptPos, &size, m_hDcOffscreen, &ptSrc, 0, &blend,
                          ULW_ALPHA);
    ::SelectObject(m_hDcOffscreen, old);
}
