// The window shadow's settings. The shadow itself is not drawn on this platform (there is no
// separate shadow window); the settings are kept so a skin can set and read them.
#pragma once

#include "platform/win_base.h"
#include "skinframe/skin_string.h"

class CPaintManagerUI;

class CShadowUI {
  public:
    static bool Initialize(HINSTANCE hInstance);

    // Binds the shadow to a manager's window; nothing is created while the shadow is hidden.
    void Create(CPaintManagerUI* pPaintManager);
    CPaintManagerUI* GetManager() const { return m_pManager; }

    void ShowShadow(bool bShow) { m_bIsShowShadow = bShow; }
    bool IsShowShadow() const { return m_bIsShowShadow; }
    void DisableShadow(bool bDisable) { m_bIsDisableShadow = bDisable; }
    bool IsDisableShadow() const { return m_bIsDisableShadow; }

    // Sizes and positions are clamped to the ranges a shadow can use.
    bool SetSize(int NewSize);
    int GetSize() const { return m_nSize; }
    bool SetSharpness(unsigned int NewSharpness);
    unsigned int GetSharpness() const { return m_nSharpness; }
    bool SetDarkness(unsigned int NewDarkness);
    unsigned int GetDarkness() const { return m_nDarkness; }
    bool SetPosition(int NewXOffset, int NewYOffset);
    POINT GetPosition() const { return {m_nxOffset, m_nyOffset}; }
    bool SetColor(DWORD NewColor) {
        m_Color = NewColor;
        return true;
    }
    DWORD GetColor() const { return m_Color; }
    bool SetImage(LPCWSTR szImage);
    const CSkinString& GetImage() const { return m_sShadowImage; }
    bool SetShadowCorner(RECT rcCorner);
    RECT GetShadowCorner() const { return m_rcShadowCorner; }
    bool CopyShadow(CShadowUI* pShadow);

  private:
    CPaintManagerUI* m_pManager = nullptr;
    bool m_bIsShowShadow = false;
    bool m_bIsDisableShadow = false;
    int m_nSize = 0;
    unsigned int m_nSharpness = 5;
    unsigned int m_nDarkness = 150;
    int m_nxOffset = 0;
    int m_nyOffset = 0;
    DWORD m_Color = 0;
    CSkinString m_sShadowImage;
    RECT m_rcShadowCorner = {0, 0, 0, 0};
};
