// The standard skinned top-level window: no caption, its content a skin layout built into its own
// paint manager, dragged by a caption band and resized by a size box it hit-tests itself, with
// rounded corners, and clicks on "closebtn", "minbtn", "maxbtn" and "restorebtn" doing what
// their names say.
#pragma once

#include "skinframe/dialog_builder.h"
#include "skinframe/notify_pump.h"
#include "skinframe/paint_manager.h"
#include "skinframe/skin_string.h"
#include "skinframe/ui_defs.h"
#include "skinframe/window_wnd.h"

class CControlUI;

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
  public:
    WindowImplBase() = default;
    virtual ~WindowImplBase();

    // Called once the layout is attached, before creation returns.
    virtual void InitWindow();
    virtual void OnClick(TNotifyUI& msg);
    // The layout to build: a file name under the resource path, or markup text starting
    // with "<".
    virtual CSkinString GetLayoutFile() const = 0;
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);

    // Message handlers: each sets bHandled (TRUE when it has answered the message) and returns
    // the message result. Those the window base does not handle clear the flag.
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // Messages the table does not route. bHandled arrives FALSE; setting it TRUE answers the
    // message with the result, otherwise it goes on to the paint manager and the default.
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LONG GetStyle();

    // CWindowWnd
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    // CNotifyPump
    const SKIN_MSGMAP* GetMessageMap() const override;
    static const SKIN_MSGMAP* GetThisMessageMap();

    // INotifyUI
    void Notify(TNotifyUI& msg) override;
    // IMessageFilterUI: the keyboard filter ahead of the paint manager; it never claims a
    // message.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // IDialogBuilderCallback: no controls of its own.
    CControlUI* CreateControl(LPCWSTR pstrClass) override;

    CPaintManagerUI& GetPaintManager() { return m_PaintManager; }

  protected:
    CPaintManagerUI m_PaintManager;
};
