// Brushes, pens and what they draw: rectangles, lines and outlines.
#include <algorithm>
#include <cmath>

#include "platform/gdi/dc.h"

namespace gdi {

void FillLogicalRect(const Dc& dc, const RECT& rect, COLORREF colour) {
    cairo_rectangle_int_t r = ToCairoRect(rect.left, rect.top, rect.right, rect.bottom);
    if (r.width == 0) return;
    Canvas canvas(dc);
    if (canvas.empty()) return;
    SetSourceColour(canvas.cr(), colour);
    cairo_rectangle(canvas.cr(), r.x, r.y, r.width, r.height);
    cairo_fill(canvas.cr());
}

}  // namespace gdi

using namespace gdi;

namespace {

RECT Normalised(int left, int top, int right, int bottom) {
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
}

void FillPathWithBrush(const Dc& dc, cairo_t* cr) {
    const Brush& brush = *dc.state().brush;
    if (brush.hollow()) return;
    SetSourceColour(cr, dc.BrushColour(brush));
    cairo_fill_preserve(cr);
}

void StrokePathWithPen(const Dc& dc, cairo_t* cr) {
    const Pen& pen = *dc.state().pen;
    if (pen.hollow()) return;
    SetSourceColour(cr, dc.PenColour(pen));
    cairo_set_line_width(cr, pen.width());
    static const double kDash[] = {18, 6};
    static const double kDot[] = {3, 3};
    static const double kDashDot[] = {9, 6, 3, 6};
    static const double kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (pen.style()) {
        case PS_DASH:
            cairo_set_dash(cr, kDash, 2, 0);
            break;
        case PS_DOT:
            cairo_set_dash(cr, kDot, 2, 0);
            break;
        case PS_DASHDOT:
            cairo_set_dash(cr, kDashDot, 4, 0);
            break;
        case PS_DASHDOTDOT:
            cairo_set_dash(cr, kDashDotDot, 6, 0);
            break;
        default:
            break;
    }
    cairo_stroke_preserve(cr);
}

bool Dashed(const Pen& pen) {
    return pen.style() >= PS_DASH && pen.style() <= PS_DASHDOTDOT;
}

// One pen segment from a to b, b itself excluded as GDI does. Straight solid lines are filled
// as exact pixel rows or columns; others are stroked through pixel centres.
void Segment(const Dc& dc, cairo_t* cr, POINT a, POINT b) {
    const Pen& pen = *dc.state().pen;
    if (pen.hollow() || (a.x == b.x && a.y == b.y)) return;
    int w = pen.width();
    if (!Dashed(pen) && (a.x == b.x || a.y == b.y)) {
        SetSourceColour(cr, dc.PenColour(pen));
        if (a.y == b.y) {
            int x0 = b.x > a.x ? a.x : b.x + 1;
            cairo_rectangle(cr, x0, a.y - w / 2, std::abs(b.x - a.x), w);
        } else {
            int y0 = b.y > a.y ? a.y : b.y + 1;
            cairo_rectangle(cr, a.x - w / 2, y0, w, std::abs(b.y - a.y));
        }
        cairo_fill(cr);
        return;
    }
    cairo_new_path(cr);
    cairo_move_to(cr, a.x + 0.5, a.y + 0.5);
    cairo_line_to(cr, b.x + 0.5, b.y + 0.5);
    StrokePathWithPen(dc, cr);
    cairo_new_path(cr);
}

// The outline of [l, r) x [t, b): a frame w pixels thick on the rectangle's edge pixels (centred
// on them, or inside for PS_INSIDEFRAME).
void Frame(const Dc& dc, cairo_t* cr, const RECT& r) {
    const Pen& pen = *dc.state().pen;
    if (pen.hollow()) return;
    if (Dashed(pen)) {
        cairo_new_path(cr);
        cairo_rectangle(cr, r.left + 0.5, r.top + 0.5, r.right - r.left - 1, r.bottom - r.top - 1);
        StrokePathWithPen(dc, cr);
        cairo_new_path(cr);
        return;
    }
    int w = pen.width();
    int off = pen.style() == PS_INSIDEFRAME ? 0 : (w - 1) / 2;
    double l = r.left - off, t = r.top - off, rr = r.right + off, bb = r.bottom + off;
    SetSourceColour(cr, dc.PenColour(pen));
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, l, t, rr - l, bb - t);
    if (rr - l > 2 * w && bb - t > 2 * w)
        cairo_rectangle(cr, l + w, t + w, rr - l - 2 * w, bb - t - 2 * w);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
    if (rx <= 0 || ry <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

void RoundRectPath(cairo_t* cr, double l, double t, double r, double b, double rx, double ry) {
    rx = std::min(rx, (r - l) / 2);
    ry = std::min(ry, (b - t) / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, l, t, r - l, b - t);
        return;
    }
    auto corner = [&](double cx, double cy, double from) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
        cairo_restore(cr);
    };
    cairo_new_sub_path(cr);
    corner(r - rx, t + ry, -M_PI / 2);
    corner(r - rx, b - ry, 0);
    corner(l + rx, b - ry, M_PI / 2);
    corner(l + rx, t + ry, M_PI);
    cairo_close_path(cr);
}

}  // namespace

HBRUSH CreateSolidBrush(COLORREF color) {
    LOGBRUSH lb{BS_SOLID, color & 0xFFFFFF, 0};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush) {
    if (!plbrush || (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_NULL)) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    LOGBRUSH lb = *plbrush;
    lb.lbColor &= 0xFFFFFF;
    return static_cast<HBRUSH>(Register(std::make_shared<Brush>(lb)));
}

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < PS_SOLID || style > PS_INSIDEFRAME) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    LOGPEN lp{static_cast<UINT>(style), POINT{std::clamp(width, 0, 1 << 16), 0}, color & 0xFFFFFF};
    return static_cast<HPEN>(Register(std::make_shared<Pen>(lp)));
}

HPEN CreatePenIndirect(const LOGPEN* plpen) {
    if (!plpen) {
        SetLastErrorInvalidParameter();
        return nullptr;
    }
    return CreatePen(static_cast<int>(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

int FillRect(HDC hdc, const RECT* rc, HBRUSH hbr) {
    auto dc = GetDc(hdc);
    auto brush = Get<Brush>(hbr);
    if (!dc || !brush || !rc) return 0;
    if (!brush->hollow()) FillLogicalRect(*dc, *rc, dc->BrushColour(*brush));
    return 1;
}

int FrameRect(HDC hdc, const RECT* rc, HBRUSH hbr) {
    auto dc = GetDc(hdc);
    auto brush = Get<Brush>(hbr);
    if (!dc || !brush || !rc) return 0;
    if (rc->right <= rc->left || rc->bottom <= rc->top || brush->hollow()) return 1;
    COLORREF c = dc->BrushColour(*brush);
    FillLogicalRect(*dc, RECT{rc->left, rc->top, rc->right, rc->top + 1}, c);
    FillLogicalRect(*dc, RECT{rc->left, rc->bottom - 1, rc->right, rc->bottom}, c);
    FillLogicalRect(*dc, RECT{rc->left, rc->top, rc->left + 1, rc->bottom}, c);
    FillLogicalRect(*dc, RECT{rc->right - 1, rc->top, rc->right, rc->bottom}, c);
    return 1;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    if (old) *old = dc->state().position;
    dc->state().position = POINT{ClampCoord(x), ClampCoord(y)};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    POINT to{ClampCoord(x), ClampCoord(y)};
    {
        Canvas canvas(*dc);
        if (!canvas.empty()) Segment(*dc, canvas.cr(), dc->state().position, to);
    }
    dc->state().position = to;
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    if (!apt || cpt < 2) {
        SetLastErrorInvalidParameter();
        return FALSE;
    }
    Canvas canvas(*dc);
    if (canvas.empty()) return TRUE;
    for (int i = 1; i < cpt; ++i) {
        POINT a{ClampCoord(apt[i - 1].x), ClampCoord(apt[i - 1].y)};
        POINT b{ClampCoord(apt[i].x), ClampCoord(apt[i].y)};
        Segment(*dc, canvas.cr(), a, b);
    }
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    if (!apt || cpt < 2) {
        SetLastErrorInvalidParameter();
        return FALSE;
    }
    Canvas canvas(*dc);
    if (canvas.empty()) return TRUE;
    cairo_t* cr = canvas.cr();
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    for (int i = 0; i < cpt; ++i)
        cairo_line_to(cr, ClampCoord(apt[i].x) + 0.5, ClampCoord(apt[i].y) + 0.5);
    cairo_close_path(cr);
    FillPathWithBrush(*dc, cr);
    StrokePathWithPen(*dc, cr);
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    RECT r = Normalised(ClampCoord(left), ClampCoord(top), ClampCoord(right), ClampCoord(bottom));
    const Brush& brush = *dc->state().brush;
    if (dc->state().pen->hollow()) {
        // Without a pen the filled area is one pixel smaller on the right and bottom.
        if (!brush.hollow())
            FillLogicalRect(*dc, RECT{r.left, r.top, r.right - 1, r.bottom - 1},
                            dc->BrushColour(brush));
        return TRUE;
    }
    if (!brush.hollow()) FillLogicalRect(*dc, r, dc->BrushColour(brush));
    Canvas canvas(*dc);
    if (!canvas.empty()) Frame(*dc, canvas.cr(), r);
    return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    RECT r = Normalised(ClampCoord(left), ClampCoord(top), ClampCoord(right), ClampCoord(bottom));
    Canvas canvas(*dc);
    if (canvas.empty()) return TRUE;
    cairo_t* cr = canvas.cr();
    RoundRectPath(cr, r.left + 0.5, r.top + 0.5, r.right - 0.5, r.bottom - 0.5,
                  std::abs(width) / 2.0, std::abs(height) / 2.0);
    FillPathWithBrush(*dc, cr);
    StrokePathWithPen(*dc, cr);
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = GetDc(hdc);
    if (!dc) return FALSE;
    RECT r = Normalised(ClampCoord(left), ClampCoord(top), ClampCoord(right), ClampCoord(bottom));
    Canvas canvas(*dc);
    if (canvas.empty()) return TRUE;
    cairo_t* cr = canvas.cr();
    EllipsePath(cr, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0,
                (r.right - r.left - 1) / 2.0, (r.bottom - r.top - 1) / 2.0);
    FillPathWithBrush(*dc, cr);
    StrokePathWithPen(*dc, cr);
    return TRUE;
}

BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr) {
    auto dc = GetDc(hdc);
    auto region = Get<Region>(hrgn);
    auto brush = Get<Brush>(hbr);
    if (!dc || !region || !brush) return FALSE;
    if (brush->hollow()) return TRUE;
    Canvas canvas(*dc);
    if (canvas.empty()) return TRUE;
    cairo_t* cr = canvas.cr();
    SetSourceColour(cr, dc->BrushColour(*brush));
    cairo_region_t* rects = region->data().get();
    for (int i = 0, n = cairo_region_num_rectangles(rects); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(rects, i, &r);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_fill(cr);
    return TRUE;
}
