// Options (radio buttons when grouped, toggles otherwise) and check boxes.
#pragma once

#include "skinframe/controls/button.h"

class COptionUI : public CButtonUI {
  public:
    ~COptionUI() override;

    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    // Sends "click", then selects (in a group) or toggles (alone).
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;

    LPCWSTR GetGroup() const { return m_sGroupName.GetData(); }
    // Joins a named group of the manager; selecting one option of a group unselects the others.
    void SetGroup(LPCWSTR pStrGroupName = nullptr);
    bool IsSelected() const { return m_bSelected; }
    // Changes the selection; "selectchanged" goes out when bTriggerEvent and it changed.
    virtual void Selected(bool bSelected, bool bTriggerEvent = true);

    void SetSelectedBkColor(DWORD dwColor) { m_dwSelectedBkColor = dwColor; }
    DWORD GetSelectedBkColor() const { return m_dwSelectedBkColor; }
    void SetSelectedTextColor(DWORD dwColor) { m_dwSelectedTextColor = dwColor; }
    DWORD GetSelectedTextColor() const { return m_dwSelectedTextColor; }

    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

  protected:
    bool m_bSelected = false;
    CSkinString m_sGroupName;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    CSkinString m_sSelectedImage;
    CSkinString m_sSelectedHotImage;
    CSkinString m_sForeImage;
};

class CCheckBoxUI : public COptionUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    void SetCheck(bool bCheck, bool bTriggerEvent = true);
    bool GetCheck() const;
};
