// One native window owned by a C++ object: class registration (or superclassing), creation, the
// window procedures that route every message to the object's virtual HandleMessage, and the
// window chores the skin windows share (show, close, modal loop, centring, client resize, icon).
#pragma once

#include "platform/win_user.h"

class CWindowWnd {
  public:
    CWindowWnd();

    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    HWND Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc,
                HMENU hMenu = nullptr);
    HWND CreateSkinWindow(HWND hwndParent, LPCWSTR pstrWindowName, DWORD dwStyle = 0,
                          DWORD dwExStyle = 0);

    // Routes an existing window's messages through this object; null when that fails.
    HWND Subclass(HWND hWnd);
    void Unsubclass();

    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Runs a message loop until the window is gone; answers the wParam of the window's last
    // WM_CLOSE (0 if none came). A WM_QUIT ends it and is posted again for the outer loop.
    UINT ShowModal();
    virtual void Close(UINT nRet = IDOK);
    void CenterWindow();
    // -1 keeps that dimension of the client area.
    void ResizeClient(int cx = -1, int cy = -1);
    // There are no executable resources here: the icon comes from the file "<nRes>.ico" in the
    // skin folder, when there is one and the system can load it.
    void SetIcon(UINT nRes);

    LRESULT SendMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

    virtual LPCWSTR GetWindowClassName() const = 0;
    // A class name here makes the window a superclass of that existing class.
    virtual LPCWSTR GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    // The default hands the message to the previous window procedure.
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Called once, after the window's last message; the object may be reused or deleted then.
    virtual void OnFinalMessage(HWND hWnd);

  protected:
    // Not virtual: the window never deletes its object. A window that outlives its object is
    // let go here, so its later messages find no object.
    ~CWindowWnd();

    // Cuts the tie between this object and a window that still exists.
    void DetachFromWindow();

    static LRESULT __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT __ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_OldWndProc;
    bool m_bSubclassed = false;
};
