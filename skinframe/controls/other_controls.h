// Controls of the skin vocabulary that this program's layouts name but never drive: each keeps
// its own class name and draws like the control it derives from, so any layout using it still
// builds and lays out.
#pragma once

#include "skinframe/controls/container.h"
#include "skinframe/controls/horizontal_layout.h"
#include "skinframe/controls/label.h"
#include "skinframe/controls/progress.h"
#include "skinframe/controls/vertical_layout.h"

// A class that only names itself: GetClass and GetInterface, the rest from its base.
#define IEFIX_THIN_CONTROL(Class, Base)                 \
    class Class : public Base {                         \
      public:                                           \
        LPCWSTR GetClass() const override;              \
        LPVOID GetInterface(LPCWSTR pstrName) override; \
    }

// Text entry: a label that takes the keyboard focus.
class CEditUI : public CLabelUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    UINT GetControlFlags() const override;
};

// Rich text entry. It may keep the Tab key for itself ("wanttab").
class CRichEditUI : public CContainerUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    UINT GetControlFlags() const override;
    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool bWantTab = true) { m_bWantTab = bWantTab; }
    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;

  private:
    bool m_bWantTab = true;
};

IEFIX_THIN_CONTROL(CComboUI, CContainerUI);
IEFIX_THIN_CONTROL(CDateTimeUI, CLabelUI);
IEFIX_THIN_CONTROL(CScrollBarUI, CControlUI);
IEFIX_THIN_CONTROL(CGifAnimUI, CControlUI);
IEFIX_THIN_CONTROL(CActiveXUI, CControlUI);
IEFIX_THIN_CONTROL(CFlashUI, CActiveXUI);
IEFIX_THIN_CONTROL(CWebBrowserUI, CActiveXUI);

IEFIX_THIN_CONTROL(CListUI, CVerticalLayoutUI);
IEFIX_THIN_CONTROL(CListHeaderUI, CHorizontalLayoutUI);
IEFIX_THIN_CONTROL(CListHeaderItemUI, CLabelUI);
IEFIX_THIN_CONTROL(CListLabelElementUI, CLabelUI);
IEFIX_THIN_CONTROL(CListTextElementUI, CListLabelElementUI);
IEFIX_THIN_CONTROL(CListContainerElementUI, CHorizontalLayoutUI);

// A child layout names another layout file ("xmlfile"); building it is the builder's business.
class CChildLayoutUI : public CContainerUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;
    const CSkinString& GetChildLayoutXML() const { return m_pstrXMLFile; }
    void SetChildLayoutXML(LPCWSTR pstrXML) { m_pstrXMLFile = pstrXML ? pstrXML : L""; }

  private:
    CSkinString m_pstrXMLFile;
};

// Shows one child at a time ("selectedid"), each over the whole inner area.
class CTabLayoutUI : public CContainerUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    // Shows the child at iIndex and sends "tabselect" (wParam new, lParam old index).
    bool SelectItem(int iIndex);
    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;

  private:
    void ShowOnly(int iIndex);
    int m_iCurSel = -1;
};

// Children in rows of "columns" cells; a cell is "itemsize" or an equal share of the width.
class CTileLayoutUI : public CContainerUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;
    int GetColumns() const { return m_nColumns; }
    void SetColumns(int nCols);
    SIZE GetItemSize() const { return m_szItem; }
    void SetItemSize(SIZE szItem);

  private:
    int m_nColumns = 1;
    SIZE m_szItem = {0, 0};
};

class CTreeNodeUI;

// A tree view lists its nodes top to bottom.
class CTreeViewUI : public CListUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    bool Add(CTreeNodeUI* pControl);
    using CListUI::Add;
};

// A tree node: its row (a horizontal layout) above its child nodes.
class CTreeNodeUI : public CListContainerElementUI {
  public:
    explicit CTreeNodeUI(CTreeNodeUI* pParentNode = nullptr);

    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    SIZE EstimateSize(SIZE szAvailable) override;

    // The row that holds the node's own controls.
    CHorizontalLayoutUI* GetTreeNodeHoriznotal() const { return m_pHorizontal; }
    bool AddChildNode(CTreeNodeUI* pNode);
    CTreeNodeUI* GetParentNode() const { return m_pParentNode; }
    int GetCountChild() const;
    CTreeNodeUI* GetChildNode(int iIndex) const;

  private:
    CTreeNodeUI* m_pParentNode;
    CHorizontalLayoutUI* m_pHorizontal;
};
