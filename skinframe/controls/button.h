// A push button: a label with hot, pushed, focused and disabled looks that sends "click".
#pragma once

#include "skinframe/controls/label.h"

class CButtonUI : public CLabelUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    UINT GetControlFlags() const override;

    // Sends "click"; false when the button is hidden or disabled.
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;

    UINT GetButtonState() const { return m_uButtonState; }

    void SetHotBkColor(DWORD dwColor) { m_dwHotBkColor = dwColor; }
    DWORD GetHotBkColor() const { return m_dwHotBkColor; }
    void SetPushedBkColor(DWORD dwColor) { m_dwPushedBkColor = dwColor; }
    DWORD GetPushedBkColor() const { return m_dwPushedBkColor; }
    void SetHotTextColor(DWORD dwColor) { m_dwHotTextColor = dwColor; }
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetPushedTextColor(DWORD dwColor) { m_dwPushedTextColor = dwColor; }
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetFocusedTextColor(DWORD dwColor) { m_dwFocusedTextColor = dwColor; }
    DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }

    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;
    void PaintText(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

  protected:
    UINT m_uButtonState = 0;

    DWORD m_dwHotBkColor = 0;
    DWORD m_dwPushedBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;

    CSkinString m_sNormalImage;
    CSkinString m_sHotImage;
    CSkinString m_sHotForeImage;
    CSkinString m_sPushedImage;
    CSkinString m_sPushedForeImage;
    CSkinString m_sFocusedImage;
    CSkinString m_sDisabledImage;
};
