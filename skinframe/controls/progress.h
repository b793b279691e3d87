// A progress bar: a label whose foreground (colour or image) covers the share of the value
// between the minimum and the maximum.
#pragma once

#include "skinframe/controls/label.h"

class CProgressUI : public CLabelUI {
  public:
    CProgressUI();

    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool bHorizontal = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int nMin);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int nMax);
    int GetValue() const { return m_nValue; }
    // The value is kept as given; drawing clamps it to the range.
    void SetValue(int nValue);
    void SetForeColor(DWORD dwColor);
    DWORD GetForeColor() const { return m_dwForeColor; }
    LPCWSTR GetForeImage() const { return m_sForeImage.GetData(); }
    void SetForeImage(LPCWSTR pStrImage);

    // The part of the item rectangle the foreground covers for the current value.
    RECT GetForeRect() const;

    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

  protected:
    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    DWORD m_dwForeColor = 0;
    CSkinString m_sForeImage;
};

// A slider is drawn like a progress bar; it takes the keyboard focus.
class CSliderUI : public CProgressUI {
  public:
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
    UINT GetControlFlags() const override;
};
