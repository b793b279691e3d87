#include "skinframe/window_wnd.h"

#include <cstdio>

#include "platform/win_kernel.h"
#include "skinframe/paint_manager.h"
#include "skinframe/skin_string.h"

namespace {

// Superclassed windows keep their object in this property: their class's own window data may
// already be taken by the procedure they extend.
constexpr const WCHAR* kObjectProp = L"WndX";

}  // namespace

CWindowWnd::CWindowWnd() : m_OldWndProc(::DefWindowProcW) {}

CWindowWnd::~CWindowWnd() {
    DetachFromWindow();
}

void CWindowWnd::DetachFromWindow() {
    if (m_hWnd == nullptr) return;
    const HWND hWnd = m_hWnd;
    if (::IsWindow(hWnd)) {
        if (m_bSubclassed) Unsubclass();
        if (::GetWindowLongPtrW(hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        }
        if (::GetPropW(hWnd, kObjectProp) == static_cast<HANDLE>(this)) {
            ::SetPropW(hWnd, kObjectProp, nullptr);
        }
    }
    m_hWnd = nullptr;
}

LPCWSTR CWindowWnd::GetSuperClassName() const {
    return nullptr;
}

UINT CWindowWnd::GetClassStyle() const {
    return 0;
}

void CWindowWnd::OnFinalMessage(HWND /*hWnd*/) {}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Classes and creation
// ---------------------------------------------------------------------------------------------

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hIcon = nullptr;
    wc.lpfnWndProc = CWindowWnd::__WndProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = GetWindowClassName();
    const ATOM atom = ::RegisterClassW(&wc);
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = 48;  // the size callers written for 32-bit Windows pass
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(CPaintManagerUI::GetInstance(), GetSuperClassName(), &wc)) {
        return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::__ControlProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    const ATOM atom = ::RegisterClassExW(&wc);
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                        const RECT rc, HMENU hMenu) {
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x,
                        int y, int cx, int cy, HMENU hMenu) {
    if (GetSuperClassName() != nullptr && !RegisterSuperclass()) return nullptr;
    if (GetSuperClassName() == nullptr && !RegisterWindowClass()) return nullptr;
    // The handle is stored when WM_NCCREATE arrives and cleared at WM_NCDESTROY. It is not
    // written again here: a window that dies during creation may already have run
    // OnFinalMessage, which is free to delete this object.
    return ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy,
                             hwndParent, hMenu, CPaintManagerUI::GetInstance(), this);
}

HWND CWindowWnd::CreateSkinWindow(HWND hwndParent, LPCWSTR pstrWindowName, DWORD dwStyle,
                                  DWORD dwExStyle) {
    return Create(hwndParent, pstrWindowName, dwStyle, dwExStyle, 0, 0, 0, 0, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Subclassing
// ---------------------------------------------------------------------------------------------

HWND CWindowWnd::Subclass(HWND hWnd) {
    const auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CWindowWnd::__WndProc)));
    if (previous == nullptr) return nullptr;
    m_OldWndProc = previous;
    m_bSubclassed = true;
    m_hWnd = hWnd;
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_hWnd;
}

void CWindowWnd::Unsubclass() {
    if (!::IsWindow(m_hWnd)) return;
    if (!m_bSubclassed) return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
}

// ---------------------------------------------------------------------------------------------
// Show, close, modal loop
// ---------------------------------------------------------------------------------------------

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
    if (!::IsWindow(m_hWnd)) return;
    int command = SW_HIDE;
    if (bShow) command = bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE;
    ::ShowWindow(m_hWnd, command);
}

UINT CWindowWnd::ShowModal() {
    // The loop reads a copy: the object may be gone once the window's final message has run.
    const HWND hWnd = m_hWnd;
    UINT nRet = 0;
    const HWND hWndOwner = ::GetWindow(hWnd, GW_OWNER);
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    if (hWndOwner != nullptr) ::EnableWindow(hWndOwner, FALSE);
    MSG msg = {};
    // GetMessageW answers -1 on failure; that ends the loop rather than spinning on it.
    while (::IsWindow(hWnd) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_CLOSE && msg.hwnd == hWnd) {
            nRet = static_cast<UINT>(msg.wParam);
            // Without an owner there is nobody to hand the focus back to.
            if (hWndOwner != nullptr) {
                ::EnableWindow(hWndOwner, TRUE);
                ::SetFocus(hWndOwner);
            }
        }
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (hWndOwner != nullptr) {
        ::EnableWindow(hWndOwner, TRUE);
        ::SetFocus(hWndOwner);
    }
    if (msg.message == WM_QUIT) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return nRet;
}

void CWindowWnd::Close(UINT nRet) {
    if (!::IsWindow(m_hWnd)) return;
    PostMessageW(WM_CLOSE, static_cast<WPARAM>(nRet), 0L);
}

// ---------------------------------------------------------------------------------------------
// Placement and icon
// ---------------------------------------------------------------------------------------------

void CWindowWnd::CenterWindow() {
    RECT rcDlg = {0, 0, 0, 0};
    ::GetWindowRect(m_hWnd, &rcDlg);
    const int DlgWidth = rcDlg.right - rcDlg.left;
    const int DlgHeight = rcDlg.bottom - rcDlg.top;

    const HWND hWndCenter = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO oMonitor = {};
    oMonitor.cbSize = sizeof(oMonitor);
    ::GetMonitorInfoW(
        ::MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST), &oMonitor);
    const RECT rcArea = oMonitor.rcWork;
    RECT rcCenter = rcArea;
    if (hWndCenter != nullptr) ::GetWindowRect(hWndCenter, &rcCenter);

    int xLeft = (rcCenter.left + rcCenter.right) / 2 - DlgWidth / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - DlgHeight / 2;

    // Inside the work area; a window larger than the area keeps its left or top edge in view.
    if (xLeft < rcArea.left) {
        xLeft = rcArea.left;
    } else if (xLeft + DlgWidth > rcArea.right) {
        xLeft = rcArea.right - DlgWidth;
    }
    if (yTop < rcArea.top) {
        yTop = rcArea.top;
    } else if (yTop + DlgHeight > rcArea.bottom) {
        yTop = rcArea.bottom - DlgHeight;
    }
    ::SetWindowPos(m_hWnd, nullptr, xLeft, yTop, -1, -1,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    RECT rc = {0, 0, 0, 0};
    if (!::GetClientRect(m_hWnd, &rc)) return;
    if (cx != -1) rc.right = cx;
    if (cy != -1) rc.bottom = cy;
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
    // No window of this system has a menu bar.
    const BOOL hasMenu = FALSE;
    if (!::AdjustWindowRectEx(&rc, style, hasMenu, exStyle)) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes) {
    CSkinString path = CPaintManagerUI::GetResourcePath();
    CSkinString name;
    name.Format(L"%u.ico", nRes);
    path += name;
    const int cx = (::GetSystemMetrics(SM_CXICON) + 15) & ~15;
    const int cy = (::GetSystemMetrics(SM_CYICON) + 15) & ~15;
    // Both icons use the large size on purpose: the system scales the small one down.
    const auto hIcon = static_cast<HICON>(
        ::LoadImageW(nullptr, path.GetData(), IMAGE_ICON, cx, cy, LR_LOADFROMFILE));
    if (hIcon == nullptr) return;
    SendMessageW(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
    const auto hIconSmall = static_cast<HICON>(
        ::LoadImageW(nullptr, path.GetData(), IMAGE_ICON, cx, cy, LR_LOADFROMFILE));
    if (hIconSmall != nullptr) {
        SendMessageW(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIconSmall));
    }
}

LRESULT CWindowWnd::SendMessageW(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessageW(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Window procedures
// ---------------------------------------------------------------------------------------------

LRESULT CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        const auto* lpcs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        // A window of this class made without an object as its creation parameter stays a
        // plain window.
        pThis = lpcs ? static_cast<CWindowWnd*>(lpcs->lpCreateParams) : nullptr;
        if (pThis != nullptr) {
            pThis->m_hWnd = hWnd;
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
        }
    } else {
        pThis = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis != nullptr) {
            const LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0L);
            if (pThis->m_bSubclassed) pThis->Unsubclass();
            pThis->m_hWnd = nullptr;
            pThis->OnFinalMessage(hWnd);
            return lRes;
        }
    }
    if (pThis != nullptr) return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::__ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        const auto* lpcs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        pThis = lpcs ? static_cast<CWindowWnd*>(lpcs->lpCreateParams) : nullptr;
        if (pThis != nullptr) {
            pThis->m_hWnd = hWnd;
            ::SetPropW(hWnd, kObjectProp, static_cast<HANDLE>(pThis));
        }
    } else {
        pThis = static_cast<CWindowWnd*>(::GetPropW(hWnd, kObjectProp));
        if (uMsg == WM_NCDESTROY && pThis != nullptr) {
            const LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            if (pThis->m_bSubclassed) pThis->Unsubclass();
            ::SetPropW(hWnd, kObjectProp, nullptr);
            pThis->m_hWnd = nullptr;
            pThis->OnFinalMessage(hWnd);
            return lRes;
        }
    }
    if (pThis != nullptr) return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}
