// Device contexts, bitmaps, brushes, pens, fonts, regions, blits and text, drawn with cairo and
// pango.
//
// Every bitmap is 32 bits a pixel, BGRA in memory with alpha in the top byte, premultiplied (the
// layout cairo and UpdateLayeredWindow both use). Drawing with an opaque colour leaves alpha 255,
// so text and fills on an opaque background stay opaque. Handles are checked on every call: a
// stale, foreign or null handle makes the call fail (0, FALSE, null or GDI_ERROR as documented
// for each call), it never crashes.
#pragma once

#include "platform/win_base.h"

// ---- Records ---------------------------------------------------------------------------------

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: rows run top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
    LONG lfHeight;  // negative: character (em) height in pixels; positive: cell height
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
using LOGFONT = LOGFONTW;
using PLOGFONTW = LOGFONTW*;
using LPLOGFONTW = LOGFONTW*;

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
using TEXTMETRIC = TEXTMETRICW;
using LPTEXTMETRICW = TEXTMETRICW*;

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

struct BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
};

// ---- Constants -------------------------------------------------------------------------------

// Object types (GetObjectType, GetCurrentObject).
constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_REGION = 8;
constexpr DWORD OBJ_MEMDC = 10;

// GetObject/GetCurrentObject failure, SelectObject of a region failure.
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(-1)))
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;
constexpr int CLR_INVALID = -1;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int DEFAULT_PALETTE = 15;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;
constexpr int DC_BRUSH = 18;
constexpr int DC_PEN = 19;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr DWORD CAPTUREBLT = 0x40000000;
constexpr DWORD NOMIRRORBITMAP = 0x80000000;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// Bitmaps.
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;

// Blending (AlphaBlend, UpdateLayeredWindow).
constexpr BYTE AC_SRC_OVER = 0x00;
constexpr BYTE AC_SRC_ALPHA = 0x01;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text alignment (SetTextAlign).
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT GDI_ERROR_ALIGN = 0xFFFFFFFF;

// ExtTextOut options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// DrawText formats.
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

// Font weights.
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_THIN = 100;
constexpr LONG FW_EXTRALIGHT = 200;
constexpr LONG FW_LIGHT = 300;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_REGULAR = 400;
constexpr LONG FW_MEDIUM = 500;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_EXTRABOLD = 800;
constexpr LONG FW_HEAVY = 900;

// Character sets, precisions, qualities, pitches and families (recorded; the face picks the font).
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE CHINESEBIG5_CHARSET = 136;
constexpr BYTE OEM_CHARSET = 255;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;
constexpr BYTE TMPF_FIXED_PITCH = 0x01;  // set when the font is NOT fixed pitch, as documented
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

// Brush and pen styles.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Regions.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr int ERROR = 0;  // region calls: failure
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_ERROR = ERROR;

// Device capabilities.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SHADEBLENDCAPS = 120;

// ---- Device contexts -------------------------------------------------------------------------

// A memory DC starts with a 1x1 stock bitmap, the stock font, black pen and white brush selected.
// hdc may be null or any live DC.
HDC CreateCompatibleDC(HDC hdc);
// Frees a memory or window DC; whatever was selected into it is no longer selected.
BOOL DeleteDC(HDC hdc);
// Returns the new level (1, 2, ...) or 0.
int SaveDC(HDC hdc);
// nSavedDC > 0: back to that level; < 0: that many levels back (-1 = the last SaveDC).
BOOL RestoreDC(HDC hdc, int nSavedDC);
// Returns the previously selected object of the same kind, or null on failure. A bitmap can be
// selected into one memory DC at a time. A region is copied into the clip instead and the region
// type is returned (cast to HGDIOBJ), HGDI_ERROR on failure.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
// Fails (FALSE) while the object is selected into a DC or held by a saved DC state; stock
// objects are never freed and report TRUE.
BOOL DeleteObject(HGDIOBJ h);
HGDIOBJ GetStockObject(int i);
DWORD GetObjectType(HGDIOBJ h);
// BITMAP or DIBSECTION for bitmaps, LOGFONTW for fonts, LOGBRUSH, LOGPEN; pv null asks the size.
int GetObjectW(HGDIOBJ h, int c, LPVOID pv);
inline int GetObject(HGDIOBJ h, int c, LPVOID pv) {
    return GetObjectW(h, c, pv);
}
int GetDeviceCaps(HDC hdc, int index);
BOOL GdiFlush();

COLORREF SetTextColor(HDC hdc, COLORREF color);  // returns the old colour, CLR_INVALID on failure
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);  // returns the old mode, 0 on failure
int GetBkMode(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);  // returns the old alignment, GDI_ERROR_ALIGN on failure
UINT GetTextAlign(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
COLORREF SetDCBrushColor(HDC hdc, COLORREF color);
COLORREF SetDCPenColor(HDC hdc, COLORREF color);

// Logical-to-device translation; no mapping modes beyond MM_TEXT.
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT pt);

// ---- Clipping --------------------------------------------------------------------------------

// Returns the region type of the visible clip and its bounding box in logical coordinates.
int GetClipBox(HDC hdc, LPRECT rc);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
// hrgn is in device coordinates and copied; null removes the DC's own clip.
int SelectClipRgn(HDC hdc, HRGN hrgn);
int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode);
// 1 and a copy of the DC's own clip in hrgn; 0 when the DC has none; -1 on failure.
int GetClipRgn(HDC hdc, HRGN hrgn);
BOOL PtVisible(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, LPCRECT rc);

// ---- Bitmaps and blits -----------------------------------------------------------------------

// Always a 32-bit bitmap (also for a memory DC's stock bitmap), zero-filled.
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// nPlanes 1 and nBitCount 32 only; lpBits (rows top-down, cx * 4 bytes each) may be null.
HBITMAP CreateBitmap(int cx, int cy, UINT nPlanes, UINT nBitCount, const void* lpBits);
// 32-bit BI_RGB (or BI_BITFIELDS with the standard masks) only; a negative biHeight gives rows
// top-down. *ppvBits receives the pixels, zero-filled and valid until the bitmap is deleted.
// hSection must be null.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                         HANDLE hSection, DWORD offset);
LONG GetBitmapBits(HBITMAP hbm, LONG cb, LPVOID lpvBits);
// SRCCOPY copies pixels, alpha included; BLACKNESS, WHITENESS and PATCOPY fill the destination.
BOOL BitBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop);
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
// Source-over with premultiplied source alpha (AC_SRC_ALPHA) or an opaque source, times the
// constant alpha. Fails when the source rectangle leaves the source bitmap.
BOOL AlphaBlend(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, BLENDFUNCTION blend);
COLORREF GetPixel(HDC hdc, int x, int y);  // CLR_INVALID outside the clip or the surface
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);

// ---- Brushes, pens, shapes -------------------------------------------------------------------

HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* plpen);
// Returns non-zero on success; fills [left, right) x [top, bottom).
int FillRect(HDC hdc, const RECT* rc, HBRUSH hbr);
int FrameRect(HDC hdc, const RECT* rc, HBRUSH hbr);
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
// Draws from the current position to (x, y), the end point excluded, as Windows does.
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);

// ---- Fonts and text --------------------------------------------------------------------------

// Usual Windows face names ("Microsoft YaHei", "微软雅黑", "SimSun", "宋体", "Tahoma", "Arial",
// ...) map to installed families; Chinese, Japanese and Korean text falls back to a CJK font.
HFONT CreateFontIndirectW(const LOGFONTW* lplf);
inline HFONT CreateFontIndirect(const LOGFONTW* lplf) {
    return CreateFontIndirectW(lplf);
}
HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily,
                  LPCWSTR pszFaceName);
BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm);
inline BOOL GetTextMetrics(HDC hdc, LPTEXTMETRICW lptm) {
    return GetTextMetricsW(hdc, lptm);
}
// One line: cx is the advance of the text, cy the font's cell height.
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, SIZE* psizl);
inline BOOL GetTextExtentPoint32(HDC hdc, LPCWSTR lpString, int c, SIZE* psizl) {
    return GetTextExtentPoint32W(hdc, lpString, c, psizl);
}
// One line at (x, y) as aligned by SetTextAlign; in OPAQUE mode its cell is filled first.
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c);
inline BOOL TextOut(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
    return TextOutW(hdc, x, y, lpString, c);
}
// lpDx is not supported and ignored.
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                 const INT* lpDx);
// cchText -1: zero-terminated. Returns the text height (with DT_VCENTER or DT_BOTTOM on one line,
// the offset from the rectangle's top to the text's bottom), 0 on failure. DT_CALCRECT only
// measures: the rectangle keeps its left and top and gets the text's width and height.
int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format);
inline int DrawText(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    return DrawTextW(hdc, lpchText, cchText, lprc, format);
}

// ---- Regions ---------------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* lprect);
// As on Windows the region excludes the right column and the bottom row of the rectangle.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* lprect);
BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom);
// hrgnSrc2 is ignored for RGN_COPY. Returns the type of the result, ERROR on failure.
int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int mode);
int OffsetRgn(HRGN hrgn, int x, int y);
int GetRgnBox(HRGN hrgn, LPRECT lprc);
BOOL PtInRegion(HRGN hrgn, int x, int y);
BOOL RectInRegion(HRGN hrgn, const RECT* lprect);
BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2);
BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr);

// ---- Arithmetic ------------------------------------------------------------------------------

// a * b / c with 64-bit intermediate, rounded half away from zero; -1 when c is 0.
int MulDiv(int nNumber, int nNumerator, int nDenominator);
