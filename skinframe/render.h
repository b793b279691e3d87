// Drawing primitives of the skin: colours with alpha, borders, text in the manager's fonts and
// images described by the skin's image strings.
#pragma once

#include "platform/win_base.h"

class CPaintManagerUI;
struct TImageInfo;

class CRenderEngine {
  public:
    // Decodes a PNG file into a 32-bit premultiplied bitmap; pixels whose colour equals the
    // mask's RGB (when the mask is not 0) become fully transparent. Null when it cannot be read.
    static TImageInfo* LoadImage(LPCWSTR pStrPath, DWORD dwMask);
    static void FreeImage(TImageInfo* pImage);

    // Colours are AARRGGBB; alpha 0 draws nothing.
    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD color);
    // uStyle takes the DT_ flags of DrawTextW; with DT_CALCRECT only rc is updated.
    static void DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCWSTR pstrText,
                         DWORD dwTextColor, int iFont, UINT uStyle);
    // Draws the part rcSource of the image stretched over rcDest, limited to rcPaint.
    static void DrawImage(HDC hDC, const TImageInfo* pImage, const RECT& rcDest,
                          const RECT& rcPaint, const RECT& rcSource, BYTE uFade = 255);
    // An image string: a file name alone, or key='value' pairs: file, restype, dest, source, mask,
    // fade. dest is relative to rcItem; without it the image fills rcItem.
    static bool DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem,
                                const RECT& rcPaint, LPCWSTR pStrImage,
                                LPCWSTR pStrModify = nullptr);
};
