// Containers: a control that owns child controls and lays them out inside its inset.
#pragma once

#include <vector>

#include "skinframe/controls/control.h"

class IContainerUI {
  public:
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) = 0;
    virtual bool RemoveAt(int iIndex, bool bDoNotDestroy = false) = 0;
    virtual void RemoveAll() = 0;

  protected:
    ~IContainerUI() = default;
};

// The plain container stacks every child over its whole inner area; the layouts derive from it
// and place the children in a row or a column. Floating children ("float") are placed by their
// own "pos" relative to the container, whatever the layout.
class CContainerUI : public CControlUI, public IContainerUI {
  public:
    CContainerUI();
    ~CContainerUI() override;

    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;

    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    // Removing destroys the child unless told not to (or auto-destroy is off); with a manager
    // the deletion waits for the manager's cleanup message, so a child may remove itself.
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    void DoEvent(TEventUI& event) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetMouseEnabled(bool bEnable = true) override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool bAuto);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool bDelayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool bEnable = true);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;

    // Finds a descendant by name (first in tree order), without the manager's name map.
    CControlUI* FindSubControl(LPCWSTR pstrSubControlName);

  protected:
    // Places a floating child by its fixed offset and size inside this container.
    virtual void SetFloatPos(int iIndex);
    // The inner area: the item rectangle less the inset.
    RECT GetInnerRect() const;
    void DestroyChild(CControlUI* pControl);

    std::vector<CControlUI*> m_items;
    RECT m_rcInset = {0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
};
