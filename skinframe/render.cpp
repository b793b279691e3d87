#include "skinframe/render.h"

#include <cairo.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/gdi/surface_dc.h"
#include "platform/win_gdi.h"
#include "platform/win_kernel.h"
#include "skinframe/paint_manager.h"
#include "skinframe/ui_attr.h"
#include "skinframe/ui_rect.h"

namespace {

std::string Utf8Path(LPCWSTR path) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, path, -1, out.data(), bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
}

COLORREF ToColorRef(DWORD argb) {
    return RGB(static_cast<BYTE>((argb >> 16) & 0xFF), static_cast<BYTE>((argb >> 8) & 0xFF),
               static_cast<BYTE>(argb & 0xFF));
}

// Draws a premultiplied 1x1 pixel of the colour stretched over rc.
void BlendColor(HDC hDC, const RECT& rc, DWORD color) {
    const DWORD alpha = color >> 24;
    const auto premultiply = [alpha](DWORD c) { return (c * alpha + 127) / 255; };
    const DWORD pixel = (alpha << 24) | (premultiply((color >> 16) & 0xFF) << 16) |
                        (premultiply((color >> 8) & 0xFF) << 8) | premultiply(color & 0xFF);
    HBITMAP bitmap = ::CreateBitmap(1, 1, 1, 32, &pixel);
    HDC memory = ::CreateCompatibleDC(hDC);
    if (bitmap && memory) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::AlphaBlend(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, memory, 0, 0, 1,
                     1, blend);
        ::SelectObject(memory, old);
    }
    if (memory) ::DeleteDC(memory);
    if (bitmap) ::DeleteObject(bitmap);
}

// One key='value' pair of an image string; false at the end or on malformed text.
bool NextPair(const wchar_t*& p, std::wstring& key, std::wstring& value) {
    while (*p == L' ') ++p;
    const wchar_t* eq = std::wcschr(p, L'=');
    if (!*p || !eq || eq[1] != L'\'') return false;
    key.assign(p, eq);
    const wchar_t* start = eq + 2;
    const wchar_t* end = std::wcschr(start, L'\'');
    if (!end) return false;
    value.assign(start, end);
    p = end + 1;
    return true;
}

struct ImageDrawing {
    std::wstring file;
    std::wstring resType;
    RECT dest = {0, 0, 0, 0};
    bool hasDest = false;
    RECT source = {0, 0, 0, 0};
    bool hasSource = false;
    SIZE sourceScale = {0, 0};
    DWORD mask = 0;
    BYTE fade = 255;
};

void ParseImageString(LPCWSTR text, ImageDrawing& out) {
    if (!text || !*text) return;
    if (std::wcschr(text, L'=') == nullptr) {
        out.file = text;
        return;
    }
    std::wstring key;
    std::wstring value;
    for (const wchar_t* p = text; NextPair(p, key, value);) {
        if (key == L"file" || key == L"res") {
            out.file = value;
        } else if (key == L"restype") {
            out.resType = value;
        } else if (key == L"dest") {
            out.dest = ui::ParseRect(value.c_str());
            out.hasDest = true;
        } else if (key == L"source") {
            out.source = ui::ParseRect(value.c_str());
            out.hasSource = true;
        } else if (key == L"sourcescale") {
            out.sourceScale = ui::ParseSize(value.c_str());
        } else if (key == L"mask") {
            out.mask = ui::ParseColor(value.c_str());
        } else if (key == L"fade") {
            out.fade = static_cast<BYTE>(std::clamp(ui::ParseInt(value.c_str()), 0, 255));
        }
    }
}

}  // namespace

TImageInfo* CRenderEngine::LoadImage(LPCWSTR pStrPath, DWORD dwMask) {
    if (!pStrPath || !*pStrPath) return nullptr;
    const std::string path = Utf8Path(pStrPath);
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        return nullptr;
    }
    const int width = cairo_image_surface_get_width(png);
    const int height = cairo_image_surface_get_height(png);
    // Copied into a fresh ARGB32 surface: a PNG without alpha decodes as RGB24.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(png);
    cairo_surface_flush(surface);

    bool hasAlpha = false;
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const DWORD maskRgb = dwMask & 0x00FFFFFF;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            uint32_t& px = row[x];
            if (dwMask != 0 && (px >> 24) == 0xFF && (px & 0x00FFFFFF) == maskRgb) px = 0;
            if ((px >> 24) != 0xFF) hasAlpha = true;
        }
    }
    cairo_surface_mark_dirty(surface);

    HBITMAP bitmap = ::CreateBitmapOnSurface(surface);
    cairo_surface_destroy(surface);  // the bitmap keeps its own reference
    if (!bitmap) return nullptr;
    auto* image = new TImageInfo;
    image->hBitmap = bitmap;
    image->pBits = data;
    image->nX = width;
    image->nY = height;
    image->bAlpha = hasAlpha;
    image->dwMask = dwMask;
    return image;
}

void CRenderEngine::FreeImage(TImageInfo* pImage) {
    if (!pImage) return;
    if (pImage->hBitmap) ::DeleteObject(pImage->hBitmap);
    delete pImage;
}

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color) {
    const DWORD alpha = color >> 24;
    if (alpha == 0 || ui::RectEmpty(rc)) return;
    if (alpha < 255) {
        BlendColor(hDC, rc, color);
        return;
    }
    HBRUSH brush = ::CreateSolidBrush(ToColorRef(color));
    ::FillRect(hDC, &rc, brush);
    ::DeleteObject(brush);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD color) {
    if (nSize <= 0) return;
    // Four bands inside the rectangle, so the border never paints outside the control.
    const LONG n = nSize;
    DrawColor(hDC, {rc.left, rc.top, rc.right, std::min(rc.bottom, rc.top + n)}, color);
    DrawColor(hDC, {rc.left, std::max(rc.top, rc.bottom - n), rc.right, rc.bottom}, color);
    DrawColor(hDC, {rc.left, rc.top + n, std::min(rc.right, rc.left + n), rc.bottom - n}, color);
    DrawColor(hDC, {std::max(rc.left, rc.right - n), rc.top + n, rc.right, rc.bottom - n}, color);
}

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCWSTR pstrText,
                             DWORD dwTextColor, int iFont, UINT uStyle) {
    if (!pstrText || !*pstrText) return;
    HFONT font = pManager ? pManager->GetFont(iFont)
                          : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ oldFont = ::SelectObject(hDC, font);
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ToColorRef(dwTextColor));
    ::DrawTextW(hDC, pstrText, -1, &rc, uStyle | DT_NOPREFIX);
    if (oldFont) ::SelectObject(hDC, oldFont);
}

void CRenderEngine::DrawImage(HDC hDC, const TImageInfo* pImage, const RECT& rcDest,
                              const RECT& rcPaint, const RECT& rcSource, BYTE uFade) {
    if (!pImage || !pImage->hBitmap || uFade == 0) return;
    RECT visible;
    if (!ui::RectIntersect(visible, rcDest, rcPaint)) return;
    HDC memory = ::CreateCompatibleDC(hDC);
    if (!memory) return;
    HGDIOBJ old = ::SelectObject(memory, pImage->hBitmap);
    const int saved = ::SaveDC(hDC);
    ::IntersectClipRect(hDC, visible.left, visible.top, visible.right, visible.bottom);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, uFade, AC_SRC_ALPHA};
    ::AlphaBlend(hDC, rcDest.left, rcDest.top, rcDest.right - rcDest.left,
                 rcDest.bottom - rcDest.top, memory, rcSource.left, rcSource.top,
                 rcSource.right - rcSource.left, rcSource.bottom - rcSource.top, blend);
    ::RestoreDC(hDC, saved);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem,
                                    const RECT& rcPaint, LPCWSTR pStrImage, LPCWSTR pStrModify) {
    if (!pManager || !pStrImage || !*pStrImage) return false;
    ImageDrawing drawing;
    ParseImageString(pStrImage, drawing);
    ParseImageString(pStrModify, drawing);
    if (drawing.file.empty()) return false;
    const TImageInfo* image = pManager->GetImageEx(
        drawing.file.c_str(), drawing.resType.empty() ? nullptr : drawing.resType.c_str(),
        drawing.mask);
    if (!image) return false;

    RECT dest = rcItem;
    if (drawing.hasDest) {
        dest = {rcItem.left + drawing.dest.left, rcItem.top + drawing.dest.top,
                rcItem.left + drawing.dest.right, rcItem.top + drawing.dest.bottom};
        dest.right = std::min(dest.right, rcItem.right);
        dest.bottom = std::min(dest.bottom, rcItem.bottom);
    }
    RECT source = {0, 0, image->nX, image->nY};
    if (drawing.hasSource) {
        source = drawing.source;
        source.right = std::min<LONG>(source.right, image->nX);
        source.bottom = std::min<LONG>(source.bottom, image->nY);
    } else if (drawing.hasDest && drawing.sourceScale.cx > 0 && drawing.sourceScale.cy > 0) {
        // The same share of the image as dest is of a sourceScale-sized box.
        const SIZE s = drawing.sourceScale;
        source = {drawing.dest.left * image->nX / s.cx, drawing.dest.top * image->nY / s.cy,
                  drawing.dest.right * image->nX / s.cx, drawing.dest.bottom * image->nY / s.cy};
    }
    if (ui::RectEmpty(dest) || ui::RectEmpty(source)) return true;
    DrawImage(hDC, image, dest, rcPaint, source, drawing.fade);
    return true;
}
