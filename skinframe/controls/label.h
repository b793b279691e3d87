// Labels and text: a control that draws one text in a font, colour and alignment.
#pragma once

#include "skinframe/controls/control.h"

class CLabelUI : public CControlUI {
  public:
    CLabelUI();

    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;

    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const;
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const;
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const;
    void SetFont(int index);
    int GetFont() const;
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);

    void SetAttribute(LPCWSTR pstrName, LPCWSTR pstrValue) override;
    void PaintText(HDC hDC) override;

  protected:
    // The colour the text is drawn in now: the label's own, else the manager's default.
    DWORD ResolveTextColor(DWORD own) const;

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle;
    RECT m_rcTextPadding = {0, 0, 0, 0};
};

// Text that may span several lines (word-wrapped).
class CTextUI : public CLabelUI {
  public:
    CTextUI();
    LPCWSTR GetClass() const override;
    LPVOID GetInterface(LPCWSTR pstrName) override;
};
