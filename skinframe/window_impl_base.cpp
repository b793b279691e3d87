#include "skinframe/window_impl_base.h"

#include "platform/win_gdi.h"
#include "platform/win_kernel.h"
#include "skinframe/controls/control.h"

namespace {

// "Failed to load the resource file".
constexpr const WCHAR* kLayoutErrorText = L"\u52a0\u8f7d\u8d44\u6e90\u6587\u4ef6\u5931\u8d25";
constexpr const WCHAR* kLayoutErrorCaption = L"Skin";

// Controls in the caption band that take their own clicks rather than drag the window.
constexpr const WCHAR* kClickableClasses[] = {L"ButtonUI", L"OptionUI", L"TextUI", L"SliderUI"};

MONITORINFO NearestMonitor(HWND hWnd) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

}  // namespace

WindowImplBase::~WindowImplBase() {
    // A window that outlives this object must not reach it, nor the paint manager about to go.
    DetachFromWindow();
}

// ---------------------------------------------------------------------------------------------
// Message map and notifications
// ---------------------------------------------------------------------------------------------

const SKIN_MSGMAP* WindowImplBase::GetThisMessageMap() {
    static const SKIN_MSGMAP_ENTRY entries[] = {
        SkinNotifyEntry<WindowImplBase>(DUI_MSGTYPE_CLICK, L"", &WindowImplBase::OnClick),
        SkinEndEntry(),
    };
    static const SKIN_MSGMAP map = {&CNotifyPump::GetThisMessageMap, entries};
    return &map;
}

const SKIN_MSGMAP* WindowImplBase::GetMessageMap() const {
    return GetThisMessageMap();
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    NotifyPump(msg);
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
    if (msg.pSender == nullptr) return;
    const CSkinString sCtrlName = msg.pSender->GetName();
    if (sCtrlName == L"closebtn") {
        Close(IDOK);
    } else if (sCtrlName == L"minbtn") {
        SendMessageW(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (sCtrlName == L"maxbtn") {
        SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (sCtrlName == L"restorebtn") {
        SendMessageW(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/,
                                       BOOL& /*bHandled*/) {
    if (uMsg == WM_KEYDOWN &&
        (wParam == static_cast<WPARAM>(VK_RETURN) || wParam == static_cast<WPARAM>(VK_ESCAPE))) {
        return ResponseDefaultKeyEvent(wParam);
    }
    return FALSE;
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
    if (wParam == static_cast<WPARAM>(VK_RETURN)) return FALSE;
    if (wParam == static_cast<WPARAM>(VK_ESCAPE)) return TRUE;
    return FALSE;
}

CControlUI* WindowImplBase::CreateControl(LPCWSTR /*pstrClass*/) {
    return nullptr;
}

void WindowImplBase::InitWindow() {}

UINT WindowImplBase::GetClassStyle() const {
    return CS_DBLCLKS;
}

LONG WindowImplBase::GetStyle() {
    const LONG styleValue = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    return styleValue & ~static_cast<LONG>(WS_CAPTION);
}

void WindowImplBase::OnFinalMessage(HWND /*hWnd*/) {
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    m_PaintManager.ReapObjects(m_PaintManager.GetRoot());
}

// ---------------------------------------------------------------------------------------------
// Message routing
// ---------------------------------------------------------------------------------------------

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT lRes = 0;
    BOOL bHandled = TRUE;
    switch (uMsg) {
        case WM_CREATE:
            lRes = OnCreate(uMsg, wParam, lParam, bHandled);
            break;
        case WM_DESTROY:
            lRes = OnDestroy(uMsg, wParam, lParam, bHandled);
            break;
        case WM_SIZE:
            lRes = OnSize(uMsg, wParam, lParam, bHandled);
            break;
        case WM_SETFOCUS:
            lRes = OnSetFocus(uMsg, wParam, lParam, bHandled);
            break;
        case WM_KILLFOCUS:
            lRes = OnKillFocus(uMsg, wParam, lParam, bHandled);
            break;
        case WM_CLOSE:
            lRes = OnClose(uMsg, wParam, lParam, bHandled);
            break;
        case WM_GETMINMAXINFO:
            lRes = OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled);
            break;
        case WM_NCCALCSIZE:
            lRes = OnNcCalcSize(uMsg, wParam, lParam, bHandled);
            break;
        case WM_NCHITTEST:
            lRes = OnNcHitTest(uMsg, wParam, lParam, bHandled);
            break;
        case WM_NCPAINT:
            lRes = OnNcPaint(uMsg, wParam, lParam, bHandled);
            break;
        case WM_NCACTIVATE:
            lRes = OnNcActivate(uMsg, wParam, lParam, bHandled);
            break;
        case WM_KEYDOWN:
            lRes = OnKeyDown(uMsg, wParam, lParam, bHandled);
            break;
        case WM_CHAR:
            lRes = OnChar(uMsg, wParam, lParam, bHandled);
            break;
        case WM_SYSCOMMAND:
            lRes = OnSysCommand(uMsg, wParam, lParam, bHandled);
            break;
        case WM_MOUSEMOVE:
            lRes = OnMouseMove(uMsg, wParam, lParam, bHandled);
            break;
        case WM_LBUTTONDOWN:
            lRes = OnLButtonDown(uMsg, wParam, lParam, bHandled);
            break;
        case WM_LBUTTONUP:
            lRes = OnLButtonUp(uMsg, wParam, lParam, bHandled);
            break;
        case WM_MOUSEWHEEL:
            lRes = OnMouseWheel(uMsg, wParam, lParam, bHandled);
            break;
        case WM_MOUSEHOVER:
            lRes = OnMouseHover(uMsg, wParam, lParam, bHandled);
            break;
        default:
            bHandled = FALSE;
            break;
    }
    if (bHandled) return lRes;

    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;

    // What the custom handler returned without claiming the message is no answer.
    lRes = 0;
    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

// The handlers the window base leaves to the paint manager and the default procedure.
LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Creation
// ---------------------------------------------------------------------------------------------

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    LONG styleValue = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    styleValue &= ~static_cast<LONG>(WS_CAPTION);
    ::SetWindowLongW(m_hWnd, GWL_STYLE,
                     styleValue | static_cast<LONG>(WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &rcClient);
    ::SetWindowPos(m_hWnd, nullptr, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);

    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddPreMessageFilter(this);

    CControlUI* pRoot = nullptr;
    {
        const CSkinString layout = GetLayoutFile();
        CDialogBuilder builder;
        pRoot = builder.Create(layout.GetData(), nullptr, this, &m_PaintManager, nullptr);
    }
    if (pRoot == nullptr) {
        // Without its layout the window is nothing; the process cannot go on.
        ::MessageBoxW(nullptr, kLayoutErrorText, kLayoutErrorCaption, MB_ICONERROR);
        ::ExitProcess(1);
    }
    m_PaintManager.AttachDialog(pRoot);
    m_PaintManager.AddNotifier(this);

    InitWindow();
    bHandled = TRUE;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Non-client area
// ---------------------------------------------------------------------------------------------

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (::IsIconic(m_hWnd)) {
        bHandled = FALSE;
        return 0;
    }
    // No frame to repaint: answer as the default would, without its painting.
    return (wParam == 0) ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    bHandled = TRUE;
    LPRECT pRect = wParam ? &reinterpret_cast<LPNCCALCSIZE_PARAMS>(lParam)->rgrc[0]
                          : reinterpret_cast<LPRECT>(lParam);
    if (pRect == nullptr || !::IsZoomed(m_hWnd)) return 0;  // the whole window is client area
    // Maximised, the client area is the work area exactly, wherever that lies on the screen.
    *pRect = NearestMonitor(m_hWnd).rcWork;
    return WVR_REDRAW;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = TRUE;
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    bHandled = TRUE;
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &pt);

    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &rcClient);

    if (!::IsZoomed(m_hWnd)) {
        const RECT rcSizeBox = m_PaintManager.GetSizeBox();
        if (pt.y < rcClient.top + rcSizeBox.top) {
            if (pt.x < rcClient.left + rcSizeBox.left) return HTTOPLEFT;
            if (pt.x > rcClient.right - rcSizeBox.right) return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y > rcClient.bottom - rcSizeBox.bottom) {
            if (pt.x < rcClient.left + rcSizeBox.left) return HTBOTTOMLEFT;
            if (pt.x > rcClient.right - rcSizeBox.right) return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < rcClient.left + rcSizeBox.left) return HTLEFT;
        if (pt.x > rcClient.right - rcSizeBox.right) return HTRIGHT;
    }

    const RECT rcCaption = m_PaintManager.GetCaptionRect();
    if (pt.x >= rcClient.left + rcCaption.left && pt.x < rcClient.right - rcCaption.right &&
        pt.y >= rcCaption.top && pt.y < rcCaption.bottom) {
        CControlUI* pControl = m_PaintManager.FindControl(pt);
        if (pControl != nullptr) {
            const CSkinString className = pControl->GetClass();
            bool clickable = false;
            for (LPCWSTR name : kClickableClasses) {
                clickable = clickable || className.CompareNoCase(name) == 0;
            }
            if (!clickable) return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    bHandled = FALSE;
    auto* lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
    if (lpMMI == nullptr) return 0;
    const MONITORINFO oMonitor = NearestMonitor(m_hWnd);
    RECT rcWork = oMonitor.rcWork;
    ::OffsetRect(&rcWork, -oMonitor.rcMonitor.left, -oMonitor.rcMonitor.top);

    lpMMI->ptMaxPosition.x = rcWork.left;
    lpMMI->ptMaxPosition.y = rcWork.top;
    lpMMI->ptMaxTrackSize.x = rcWork.right - rcWork.left;
    lpMMI->ptMaxTrackSize.y = rcWork.bottom - rcWork.top;
    lpMMI->ptMinTrackSize.x = m_PaintManager.GetMinInfo().cx;
    lpMMI->ptMinTrackSize.y = m_PaintManager.GetMinInfo().cy;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    if (::IsIconic(m_hWnd)) return 0;
    const SIZE szRoundCorner = m_PaintManager.GetRoundCorner();
    RECT rcWnd = {0, 0, 0, 0};
    ::GetWindowRect(m_hWnd, &rcWnd);
    ::OffsetRect(&rcWnd, -rcWnd.left, -rcWnd.top);
    rcWnd.right++;
    rcWnd.bottom++;
    // Also without rounding: the window always carries a region of its current size.
    HRGN hRgn = ::CreateRoundRectRgn(rcWnd.left, rcWnd.top, rcWnd.right, rcWnd.bottom,
                                     szRoundCorner.cx, szRoundCorner.cy);
    if (hRgn != nullptr && ::SetWindowRgn(m_hWnd, hRgn, TRUE) == 0) ::DeleteObject(hRgn);
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (wParam == SC_CLOSE) {
        bHandled = TRUE;
        SendMessageW(WM_CLOSE);
        return 0;
    }
    const bool bZoomed = ::IsZoomed(m_hWnd) != FALSE;
    const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    if ((::IsZoomed(m_hWnd) != FALSE) != bZoomed) {
        CControlUI* pbtnMax = m_PaintManager.FindControl(L"maxbtn");
        CControlUI* pbtnRestore = m_PaintManager.FindControl(L"restorebtn");
        if (pbtnMax != nullptr && pbtnRestore != nullptr) {
            pbtnMax->SetVisible(bZoomed);
            pbtnRestore->SetVisible(!bZoomed);
        }
    }
    // A restore goes on down the chain, so the paint manager repaints the restored window.
    if ((wParam & 0xFFF0) == SC_RESTORE) bHandled = FALSE;
    return lRes;
}
