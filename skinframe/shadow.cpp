#include "skinframe/shadow.h"

namespace {
HINSTANCE g_shadowInstance = nullptr;
}

bool CShadowUI::Initialize(HINSTANCE hInstance) {
    g_shadowInstance = hInstance;
    return true;
}

void CShadowUI::Create(CPaintManagerUI* pPaintManager) {
    m_pManager = pPaintManager;
}

bool CShadowUI::SetSize(int NewSize) {
    if (NewSize > 20 || NewSize < -20) return false;
    m_nSize = NewSize;
    return true;
}

bool CShadowUI::SetSharpness(unsigned int NewSharpness) {
    if (NewSharpness > 20) return false;
    m_nSharpness = NewSharpness;
    return true;
}

bool CShadowUI::SetDarkness(unsigned int NewDarkness) {
    if (NewDarkness > 255) return false;
    m_nDarkness = NewDarkness;
    return true;
}

bool CShadowUI::SetPosition(int NewXOffset, int NewYOffset) {
    if (NewXOffset > 20 || NewXOffset < -20 || NewYOffset > 20 || NewYOffset < -20) return false;
    m_nxOffset = NewXOffset;
    m_nyOffset = NewYOffset;
    return true;
}

bool CShadowUI::SetImage(LPCWSTR szImage) {
    if (!szImage) return false;
    m_sShadowImage = szImage;
    return true;
}

bool CShadowUI::SetShadowCorner(RECT rcCorner) {
    if (rcCorner.left < 0 || rcCorner.top < 0 || rcCorner.right < 0 || rcCorner.bottom < 0) {
        return false;
    }
    m_rcShadowCorner = rcCorner;
    return true;
}

bool CShadowUI::CopyShadow(CShadowUI* pShadow) {
    if (!pShadow) return false;
    pShadow->m_bIsShowShadow = m_bIsShowShadow;
    pShadow->m_nSize = m_nSize;
    pShadow->m_nSharpness = m_nSharpness;
    pShadow->m_nDarkness = m_nDarkness;
    pShadow->m_nxOffset = m_nxOffset;
    pShadow->m_nyOffset = m_nyOffset;
    pShadow->m_Color = m_Color;
    pShadow->m_sShadowImage = m_sShadowImage;
    pShadow->m_rcShadowCorner = m_rcShadowCorner;
    return true;
}
