// The control base: position, visibility, attributes, events and painting of one skin control.
#pragma once

#include "platform/win_base.h"
#include "skinframe/skin_string.h"
#include "skinframe/ui_defs.h"

class CPaintManagerUI;

class CControlUI {
  public:
    CControlUI();
    virtual ~CControlUI();

    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual CSkinString GetName() const;
    virtual void SetName(LPCWSTR pstrName);
    virtual LPCWSTR GetClass() const;
    virtual LPVOID GetInterface(LPCWSTR pstrName);
    virtual UINT GetControlFlags() const;

    // Acts as if the user used the control (a click for buttons); false when it cannot act.
    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    // Attaches the control (and, for containers, its subtree) to a manager under a parent.
    // With bInit the control initialises itself once it has a parent.
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const;

    virtual CSkinString GetText() const;
    virtual void SetText(LPCWSTR pstrText);

    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD dwBorderColor);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int nSize);
    LPCWSTR GetBkImage() const { return m_sBkImage.GetData(); }
    void SetBkImage(LPCWSTR pStrImage);

    // Position in the paint window's client coordinates, as given by the last layout pass.
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    // For floating controls: the offset of the control inside its parent.
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    // The size the control would like inside the available space; 0 in a dimension means
    // "whatever the layout gives".
    virtual SIZE EstimateSize(SIZE szAvailable);

    virtual CSkinString GetToolTip() const;
    virtual void SetToolTip(LPCWSTR pstrText);
    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth() const;

    virtual WCHAR GetShortcut() const;
    virtual void SetShortcut(WCHAR ch);

    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool bMenuUsed);

    virtual const CSkinString& GetUserData() const;
    virtual void SetUserData(LPCWSTR pstrText);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR pTag);

    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    // Visibility as the parent imposes it; a control is visible only if both agree.
    virtual void SetInternVisible(bool bVisible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);

    // Walks the subtree (here: only this control) and answers the first non-null answer of Proc.
    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags);

    void Invalidate();
    bool IsUpdateNeeded() const;
    // Asks for a layout pass of this control (its parent's, for floating controls and for
    // controls whose size the parent works out) and repaints it.
    void NeedUpdate();
    void NeedParentUpdate();
    DWORD GetAdjustColor(DWORD dwColor) const;

    virtual void Init();
    virtual void DoInit();

    // Delivers an event: the event listeners first, then DoEvent unless one of them refused.
    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    virtual void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue);
    // Applies name="value" pairs separated by one space; stops quietly at the first malformed
    // pair, keeping what was applied before it.
    CControlUI* ApplyAttributeList(LPCWSTR pstrList);

    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    virtual void DoPostPaint(HDC hDC, const RECT& rcPaint);

    void SetVirtualWnd(LPCWSTR pstrValue);
    CSkinString GetVirtualWnd() const;

    CEventSource OnInit;
    CEventSource OnDestroy;
    CEventSource OnSize;
    CEventSource OnEvent;
    CEventSource OnNotify;
    CEventSource OnPaint;

  protected:
    // Draws an image description ("file.png" or "file='x.png' dest='l,t,r,b' ...") into the
    // control's rectangle; false when it could not be drawn.
    bool DrawImage(HDC hDC, LPCWSTR pStrImage, LPCWSTR pStrModify = nullptr);

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CSkinString m_sVirtualWnd;
    CSkinString m_sName;
    bool m_bUpdateNeeded = true;
    bool m_bMenuUsed = false;
    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_rcPadding = {0, 0, 0, 0};
    SIZE m_cXY = {0, 0};
    SIZE m_cxyFixed = {0, 0};
    SIZE m_cxyMin = {0, 0};
    SIZE m_cxyMax = {9999, 9999};
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bSetPos = false;  // guards SetPos against re-entry from its own listeners

    CSkinString m_sText;
    CSkinString m_sToolTip;
    WCHAR m_chShortcut = 0;
    CSkinString m_sUserData;
    UINT_PTR m_pTag = 0;
    int m_nTooltipWidth = 300;

    DWORD m_dwBackColor = 0;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    int m_nBorderSize = 0;
    CSkinString m_sBkImage;
    RECT m_rcPaint = {0, 0, 0, 0};
};
