// Records, listener interfaces and constants shared by the paint manager and the controls.
#pragma once

#include <functional>
#include <vector>

#include "platform/win_base.h"
#include "skinframe/skin_string.h"

class CControlUI;
class CPaintManagerUI;

// Control event types. The gaps (1, 2, 7, 8, 19) are unused on purpose: the numbers are part of
// what controls written against this framework compare with.
enum {
    UIEVENT_KEYDOWN = 3,
    UIEVENT_KEYUP = 4,
    UIEVENT_CHAR = 5,
    UIEVENT_SYSKEY = 6,
    UIEVENT_MOUSEMOVE = 9,
    UIEVENT_MOUSELEAVE = 10,
    UIEVENT_MOUSEENTER = 11,
    UIEVENT_MOUSEHOVER = 12,
    UIEVENT_BUTTONDOWN = 13,
    UIEVENT_BUTTONUP = 14,
    UIEVENT_RBUTTONDOWN = 15,
    UIEVENT_DBLCLICK = 16,
    UIEVENT_CONTEXTMENU = 17,
    UIEVENT_SCROLLWHEEL = 18,
    UIEVENT_KILLFOCUS = 20,
    UIEVENT_SETFOCUS = 21,
    UIEVENT_WINDOWSIZE = 22,
    UIEVENT_SETCURSOR = 23,
    UIEVENT_TIMER = 24,
};

// Tree-walk flags of CControlUI::FindControl.
constexpr UINT UIFIND_ALL = 0x00000000;
constexpr UINT UIFIND_VISIBLE = 0x00000001;
constexpr UINT UIFIND_ENABLED = 0x00000002;
constexpr UINT UIFIND_HITTEST = 0x00000004;
constexpr UINT UIFIND_TOP_FIRST = 0x00000008;
constexpr UINT UIFIND_ME_FIRST = 0x80000000;

// Control flags (GetControlFlags).
constexpr UINT UIFLAG_TABSTOP = 0x00000001;
constexpr UINT UIFLAG_SETCURSOR = 0x00000002;

// Key-state word of an event (MapKeyState).
constexpr WORD UISTATE_LBUTTON = 0x01;
constexpr WORD UISTATE_RBUTTON = 0x02;
constexpr WORD UISTATE_SHIFT = 0x04;
constexpr WORD UISTATE_CONTROL = 0x08;
constexpr WORD UISTATE_ALT = 0x20;

// Control state bits used by buttons and options when they choose what to draw.
constexpr UINT UISTATE_FOCUSED = 0x00000001;
constexpr UINT UISTATE_SELECTED = 0x00000002;
constexpr UINT UISTATE_DISABLED = 0x00000004;
constexpr UINT UISTATE_HOT = 0x00000008;
constexpr UINT UISTATE_PUSHED = 0x00000010;
constexpr UINT UISTATE_READONLY = 0x00000020;
constexpr UINT UISTATE_CAPTURED = 0x00000040;

// Notification names.
#define DUI_MSGTYPE_MENU L"menu"
#define DUI_MSGTYPE_CLICK L"click"
#define DUI_MSGTYPE_TIMER L"timer"
#define DUI_MSGTYPE_SETFOCUS L"setfocus"
#define DUI_MSGTYPE_KILLFOCUS L"killfocus"
#define DUI_MSGTYPE_WINDOWINIT L"windowinit"
#define DUI_MSGTYPE_SELECTCHANGED L"selectchanged"
#define DUI_MSGTYPE_VALUECHANGED L"valuechanged"
#define DUI_MSGTYPE_TABSELECT L"tabselect"

// Interface names answered by GetInterface.
#define DUI_CTR_INTERFACE_CONTAINER L"IContainer"

// One control event, as the paint manager delivers it. Fields a producer does not set are zero.
struct TEventUI {
    int Type;
    CControlUI* pSender;
    DWORD dwTimestamp;
    POINT ptMouse;
    WORD chKey;
    WORD wKeyState;
    WPARAM wParam;
    LPARAM lParam;
};

// One notification from a control to the window's listeners.
struct TNotifyUI {
    CSkinString sType;
    CSkinString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Message record as the message loop sees it; declared by the window-system layer.
struct MSG;

class INotifyUI {
  public:
    virtual void Notify(TNotifyUI& msg) = 0;

  protected:
    ~INotifyUI() = default;
};

class IMessageFilterUI {
  public:
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) = 0;

  protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
  public:
    // 0 means the message was translated and must not be dispatched.
    virtual LRESULT TranslateAccelerator(MSG* pMsg) = 0;

  protected:
    ~ITranslateAccelerator() = default;
};

// Listeners a control offers to the outside (init, destroy, size, event, notify, paint). Each
// listener receives the record concerned; the first that answers false stops the rest and makes
// the whole call answer false.
class CEventSource {
  public:
    using Listener = std::function<bool(void*)>;

    void operator+=(Listener listener) { m_listeners.push_back(std::move(listener)); }
    explicit operator bool() const { return !m_listeners.empty(); }
    bool operator()(void* param) const {
        // A copy, so a listener may add or clear listeners of this very source while it runs.
        const std::vector<Listener> listeners = m_listeners;
        for (const Listener& listener : listeners) {
            if (!listener(param)) return false;
        }
        return true;
    }
    void Clear() { m_listeners.clear(); }

  private:
    std::vector<Listener> m_listeners;
};

// Callback of the tree walk: answers the control it accepts, or null to go on.
using FINDCONTROLPROC = CControlUI* (*)(CControlUI* control, LPVOID data);
