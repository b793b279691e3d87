// Fonts and text: creation, metrics, extents, TextOut and DrawText, laid out with pango.
#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/gdi/dc.h"

using namespace gdi;

namespace {

// The layout is drawn with its top-left at (x, y), clipped to clip when given, over a cell
// filled with the background colour when fill is given.
void ShowLayout(const Dc& dc, PangoLayout* layout, double x, double y, const RECT* clip,
                const RECT* fill, COLORREF fillColour) {
    Canvas canvas(dc);
    if (canvas.empty()) return;
    cairo_t* cr = canvas.cr();
    if (clip) {
        cairo_rectangle_int_t r = ToCairoRect(clip->left, clip->top, clip->right, clip->bottom);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        cairo_clip(cr);
    }
    if (fill) {
        cairo_rectangle_int_t r = ToCairoRect(fill->left, fill->top, fill->right, fill->bottom);
        SetSourceColour(cr, fillColour);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        cairo_fill(cr);
    }
    SetSourceColour(cr, dc.state().textColour);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
}

bool TextArgs(LPCWSTR text, int count, size_t& length) {
    if (count < 0 || (!text && count > 0)) {
        SetLastErrorInvalidParameter();
        return false;
    }
    length = static_cast<size_t>(count);
    return true;
}

PangoLayout* OneLineLayout(const Font& font, LPCWSTR text, size_t length) {
    PangoLayout* layout = NewLayout(font, WideToUtf8(text, length));
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    return layout;
}

// Text drawn as one line at a point: TextOut and ExtTextOut.
BOOL DrawLine(HDC hdc, int x, int y, const RECT* clip, const RECT* opaqueRect, LPCWSTR text,
              size_t length) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    DcState& state = dc->state();
    if (opaqueRect) FillLogicalRect(*dc, *opaqueRect, state.bkColour);
    if (length == 0) return TRUE;
    PangoLayout* layout = OneLineLayout(*state.font, text, length);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    int baseline = PANGO_PIXELS(pango_layout_get_baseline(layout));
    bool updateCp = (state.textAlign & TA_UPDATECP) != 0;
    if (updateCp) {
        x = state.position.x;
        y = state.position.y;
    }
    int left = x, top = y;
    UINT horizontal = state.textAlign & (TA_CENTER | TA_RIGHT);
    if (horizontal == TA_CENTER)
        left -= logical.width / 2;
    else if (horizontal == TA_RIGHT)
        left -= logical.width;
    UINT vertical = state.textAlign & TA_BASELINE;
    if (vertical == TA_BASELINE)
        top -= baseline;
    else if (vertical == TA_BOTTOM)
        top -= logical.height;
    RECT cell{left, top, left + logical.width, top + logical.height};
    ShowLayout(*dc, layout, left - logical.x, top - logical.y, clip,
               state.bkMode == OPAQUE ? &cell : nullptr, state.bkColour);
    g_object_unref(layout);
    if (updateCp && horizontal == TA_LEFT) state.position.x = x + logical.width;
    if (updateCp && horizontal == TA_RIGHT) state.position.x = x - logical.width;
    return TRUE;
}

// DrawText's prefix characters: "&x" underlines x, "&&" is a plain "&".
struct Prefixed {
    std::wstring text;
    size_t underline = std::wstring::npos;
};

Prefixed StripPrefixes(const std::wstring& in) {
    Prefixed out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != L'&') {
            out.text += in[i];
            continue;
        }
        if (i + 1 >= in.size()) break;  // a lone "&" at the end shows nothing
        ++i;
        if (in[i] != L'&' && out.underline == std::wstring::npos) out.underline = out.text.size();
        out.text += in[i];
    }
    return out;
}

void UnderlineRange(PangoLayout* layout, unsigned start, unsigned end) {
    PangoAttrList* existing = pango_layout_get_attributes(layout);
    PangoAttrList* attrs = existing ? pango_attr_list_copy(existing) : pango_attr_list_new();
    PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    underline->start_index = start;
    underline->end_index = end;
    pango_attr_list_insert(attrs, underline);
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
}

}  // namespace

HFONT CreateFontIndirectW(const LOGFONTW* lplf) {
    if (!lplf) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    LOGFONTW lf = *lplf;
    lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
    return static_cast<HFONT>(Register(NewFont(lf)));
}

HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily,
                  LPCWSTR pszFaceName) {
    LOGFONTW lf{};
    lf.lfHeight = cHeight;
    lf.lfWidth = cWidth;
    lf.lfEscapement = cEscapement;
    lf.lfOrientation = cOrientation;
    lf.lfWeight = cWeight;
    lf.lfItalic = bItalic ? 1 : 0;
    lf.lfUnderline = bUnderline ? 1 : 0;
    lf.lfStrikeOut = bStrikeOut ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(iCharSet);
    lf.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    lf.lfQuality = static_cast<BYTE>(iQuality);
    lf.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName) std::wcsncpy(lf.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
    auto dc = GetDc(hdc);
    if (!dc || !lptm) return FALSE;
    *lptm = MetricsOf(*dc->state().font);
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, SIZE* psizl) {
    auto dc = GetDc(hdc);
    size_t length;
    if (!dc || !psizl || !TextArgs(lpString, c, length)) return FALSE;
    PangoLayout* layout = OneLineLayout(*dc->state().font, lpString, length);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    *psizl = SIZE{logical.width, logical.height};
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
    size_t length;
    if (!TextArgs(lpString, c, length)) return FALSE;
    return DrawLine(hdc, x, y, nullptr, nullptr, lpString, length);
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                 const INT*) {
    size_t length;
    if (c > INT32_MAX || !TextArgs(lpString, static_cast<int>(c), length)) return FALSE;
    const RECT* clip = (options & ETO_CLIPPED) ? lprect : nullptr;
    const RECT* opaque = (options & ETO_OPAQUE) ? lprect : nullptr;
    return DrawLine(hdc, x, y, clip, opaque, lpString, length);
}

int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    auto dc = GetDc(hdc);
    if (!dc) return 0;
    if (!lprc || cchText < -1 || (!lpchText && cchText != 0)) {
        SetLastErrorInvalidParameter();
        return 0;
    }
    size_t length = cchText == -1 ? std::wcslen(lpchText) : static_cast<size_t>(cchText);
    std::wstring text(lpchText ? lpchText : L"", length);
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    if (singleLine)  // line breaks do not break a single line; they show as nothing
        text.erase(std::remove_if(text.begin(), text.end(),
                                  [](wchar_t ch) { return ch == L'\r' || ch == L'\n'; }),
                   text.end());
    Prefixed shown;
    if (format & DT_NOPREFIX)
        shown.text = text;
    else
        shown = StripPrefixes(text);

    const DcState& state = dc->state();
    PangoLayout* layout = NewLayout(*state.font, WideToUtf8(shown.text.data(), shown.text.size()));
    if (shown.underline != std::wstring::npos && !(format & DT_HIDEPREFIX)) {
        unsigned start =
            static_cast<unsigned>(WideToUtf8(shown.text.data(), shown.underline).size());
        unsigned end =
            static_cast<unsigned>(WideToUtf8(shown.text.data(), shown.underline + 1).size());
        UnderlineRange(layout, start, end);
    }

    const int rectWidth = std::max(0, ClampCoord(static_cast<long long>(lprc->right) - lprc->left));
    const int rectHeight =
        std::max(0, ClampCoord(static_cast<long long>(lprc->bottom) - lprc->top));
    const bool wrap = (format & DT_WORDBREAK) && !singleLine;
    const bool calcOnly = (format & DT_CALCRECT) != 0;
    PangoEllipsizeMode ellipsis = PANGO_ELLIPSIZE_NONE;
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) ellipsis = PANGO_ELLIPSIZE_END;
    if (format & DT_PATH_ELLIPSIS) ellipsis = PANGO_ELLIPSIZE_MIDDLE;
    // Measuring against an empty rectangle asks for the text's own size, not an ellipsis.
    if (calcOnly && rectWidth == 0) ellipsis = PANGO_ELLIPSIZE_NONE;
    const bool widthSet = wrap || ellipsis != PANGO_ELLIPSIZE_NONE;
    if (widthSet) pango_layout_set_width(layout, rectWidth * PANGO_SCALE);
    if (wrap) pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    if (ellipsis != PANGO_ELLIPSIZE_NONE) {
        pango_layout_set_ellipsize(layout, ellipsis);
        if (wrap)
            pango_layout_set_height(layout, rectHeight * PANGO_SCALE);  // last line ellipsised
    }

    PangoAlignment alignment = PANGO_ALIGN_LEFT;
    if (!calcOnly && (format & DT_CENTER))
        alignment = PANGO_ALIGN_CENTER;
    else if (!calcOnly && (format & DT_RIGHT))
        alignment = PANGO_ALIGN_RIGHT;
    pango_layout_set_alignment(layout, alignment);

    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    if (calcOnly) {
        g_object_unref(layout);
        lprc->right = lprc->left + logical.width;
        lprc->bottom = lprc->top + logical.height;
        return logical.height;
    }

    long long x = lprc->left, y = lprc->top;
    if (!widthSet) {  // place the block; pango has aligned its lines within it
        int extra = rectWidth - logical.width;
        if (format & DT_CENTER)
            x += extra / 2;
        else if (format & DT_RIGHT)
            x += extra;
        x -= logical.x;
    }
    if (singleLine) {  // vertical placement applies to a single line only, as on Windows
        if (format & DT_VCENTER)
            y += (rectHeight - logical.height) / 2;
        else if (format & DT_BOTTOM)
            y += rectHeight - logical.height;
    }
    RECT clip{lprc->left, lprc->top, lprc->right, lprc->bottom};
    RECT cell{ClampCoord(x + logical.x), ClampCoord(y + logical.y),
              ClampCoord(x + logical.x + logical.width),
              ClampCoord(y + logical.y + logical.height)};
    ShowLayout(*dc, layout, static_cast<double>(x), static_cast<double>(y),
               (format & DT_NOCLIP) ? nullptr : &clip, state.bkMode == OPAQUE ? &cell : nullptr,
               state.bkColour);
    g_object_unref(layout);
    if (singleLine && (format & (DT_VCENTER | DT_BOTTOM)))
        return static_cast<int>(y + logical.height - lprc->top);
    return logical.height;
}
