#include "webengine/page_container.h"

#include <algorithm>
#include <cmath>

#include "webengine/image_decoder.h"
#include "webengine/resource_loader.h"
#include "webengine/text_util.h"

namespace webengine {

namespace {

constexpr size_t kMaxCachedFonts = 256;
constexpr size_t kMaxCachedWidths = 20000;
constexpr size_t kMaxCachedImages = 256;

void SetColor(cairo_t* cr, const litehtml::web_color& c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

// A rectangle whose corners are quarter ellipses of the given radii.
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double tlx, double tly,
                 double trx, double try_, double brx, double bry, double blx, double bly) {
    if (w <= 0 || h <= 0) return;
    auto corner = [&](double cx, double cy, double rx, double ry, double a1, double a2) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, a1, a2);
        cairo_restore(cr);
    };
    cairo_new_sub_path(cr);
    if (tlx > 0 && tly > 0) {
        corner(x + tlx, y + tly, tlx, tly, M_PI, 1.5 * M_PI);
    } else {
        cairo_move_to(cr, x, y);
    }
    if (trx > 0 && try_ > 0) {
        corner(x + w - trx, y + try_, trx, try_, 1.5 * M_PI, 2 * M_PI);
    } else {
        cairo_line_to(cr, x + w, y);
    }
    if (brx > 0 && bry > 0) {
        corner(x + w - brx, y + h - bry, brx, bry, 0, 0.5 * M_PI);
    } else {
        cairo_line_to(cr, x + w, y + h);
    }
    if (blx > 0 && bly > 0) {
        corner(x + blx, y + h - bly, blx, bly, 0.5 * M_PI, M_PI);
    } else {
        cairo_line_to(cr, x, y + h);
    }
    cairo_close_path(cr);
}

void RoundedRect(cairo_t* cr, const litehtml::position& p, const litehtml::border_radiuses& r) {
    // Radii that do not fit are scaled down together, as CSS asks.
    double f = 1.0;
    auto fit = [&](double a, double b, double side) {
        if (a + b > side && a + b > 0) f = std::min(f, side / (a + b));
    };
    fit(r.top_left_x, r.top_right_x, p.width);
    fit(r.bottom_left_x, r.bottom_right_x, p.width);
    fit(r.top_left_y, r.bottom_left_y, p.height);
    fit(r.top_right_y, r.bottom_right_y, p.height);
    RoundedRect(cr, p.x, p.y, p.width, p.height, r.top_left_x * f, r.top_left_y * f,
                r.top_right_x * f, r.top_right_y * f, r.bottom_right_x * f, r.bottom_right_y * f,
                r.bottom_left_x * f, r.bottom_left_y * f);
}

bool IsBreakableWide(char32_t cp) {
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xAC00 && cp <= 0xD7AF) ||
           (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFFEF) ||
           (cp >= 0x20000 && cp <= 0x2FFFF);
}

std::string PangoFamilies(const char* faceName) {
    std::string out;
    std::string_view names = faceName != nullptr ? faceName : "";
    size_t pos = 0;
    while (pos <= names.size()) {
        size_t comma = names.find(',', pos);
        if (comma == std::string_view::npos) comma = names.size();
        std::string_view name = TrimAscii(names.substr(pos, comma - pos));
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
            name.back() == name.front()) {
            name = TrimAscii(name.substr(1, name.size() - 2));
        }
        if (!name.empty() && name.find_first_of(";{}") == std::string_view::npos) {
            if (!out.empty()) out.push_back(',');
            out += name;
        }
        pos = comma + 1;
    }
    if (out.empty()) out = "sans-serif";
    return out;
}

}  // namespace

struct PageContainer::Font {
    PangoFontDescription* desc = nullptr;
    PangoLayout* layout = nullptr;
    litehtml::font_metrics metrics;
    std::unordered_map<std::string, int> widths;

    ~Font() {
        if (layout != nullptr) g_object_unref(layout);
        if (desc != nullptr) pango_font_description_free(desc);
    }
};

PageContainer::PageContainer() {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    pango_ = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    // Grey anti-aliasing without hinting draws the same pixels on every machine and scale.
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(pango_, 96.0);
    pango_context_set_language(pango_, pango_language_from_string("zh-cn"));
}

PageContainer::~PageContainer() {
    clearResources();
    fonts_.clear();
    g_object_unref(pango_);
}

void PageContainer::setViewport(int scrollX, int scrollY, int width, int height) {
    scrollX_ = scrollX;
    scrollY_ = scrollY;
    width_ = width;
    height_ = height;
}

void PageContainer::clearResources() {
    for (auto& [key, surface] : images_) {
        if (surface != nullptr) cairo_surface_destroy(surface);
    }
    images_.clear();
    clips_.clear();
}

void PageContainer::trimFonts() {
    if (fonts_.size() > kMaxCachedFonts) fonts_.clear();
}

litehtml::uint_ptr PageContainer::create_font(const litehtml::tchar_t* faceName, int size,
                                              int weight, litehtml::font_style italic,
                                              unsigned int decoration, litehtml::font_metrics* fm) {
    size = std::clamp(size, 1, 1000);
    weight = std::clamp(weight, 100, 1000);
    std::string families = PangoFamilies(faceName);
    std::string key = families + '|' + std::to_string(size) + '|' + std::to_string(weight) + '|' +
                      std::to_string(static_cast<int>(italic)) + '|' + std::to_string(decoration);
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        auto font = std::make_unique<Font>();
        font->desc = pango_font_description_new();
        pango_font_description_set_family(font->desc, families.c_str());
        pango_font_description_set_absolute_size(font->desc, size * PANGO_SCALE);
        pango_font_description_set_weight(font->desc, static_cast<PangoWeight>(weight));
        pango_font_description_set_style(font->desc, italic == litehtml::fontStyleItalic
                                                         ? PANGO_STYLE_ITALIC
                                                         : PANGO_STYLE_NORMAL);
        font->layout = pango_layout_new(pango_);
        pango_layout_set_font_description(font->layout, font->desc);
        if (decoration != 0) {
            PangoAttrList* attrs = pango_attr_list_new();
            if (decoration & litehtml::font_decoration_underline)
                pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
            if (decoration & litehtml::font_decoration_linethrough)
                pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
            if (decoration & litehtml::font_decoration_overline)
                pango_attr_list_insert(attrs, pango_attr_overline_new(PANGO_OVERLINE_SINGLE));
            pango_layout_set_attributes(font->layout, attrs);
            pango_attr_list_unref(attrs);
        }
        PangoFontMetrics* metrics = pango_context_get_metrics(pango_, font->desc, nullptr);
        font->metrics.ascent = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics));
        font->metrics.descent = PANGO_PIXELS(pango_font_metrics_get_descent(metrics));
        font->metrics.height = font->metrics.ascent + font->metrics.descent;
        pango_font_metrics_unref(metrics);
        pango_layout_set_text(font->layout, "x", 1);
        PangoRectangle ink;
        pango_layout_get_pixel_extents(font->layout, &ink, nullptr);
        font->metrics.x_height = ink.height > 0 ? ink.height : font->metrics.ascent / 2;
        font->metrics.draw_spaces = italic == litehtml::fontStyleItalic || decoration != 0;
        found = fonts_.emplace(key, std::move(font)).first;
    }
    if (fm != nullptr) *fm = found->second->metrics;
    return reinterpret_cast<litehtml::uint_ptr>(found->second.get());
}

void PageContainer::delete_font(litehtml::uint_ptr) {
    // Fonts are shared by the documents of a view and kept in the cache.
}

int PageContainer::textWidth(const std::string& text, litehtml::uint_ptr hFont) {
    auto* font = reinterpret_cast<Font*>(hFont);
    if (font == nullptr) return 0;
    auto found = font->widths.find(text);
    if (found != font->widths.end()) return found->second;
    pango_layout_set_text(font->layout, text.data(), static_cast<int>(text.size()));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(font->layout, nullptr, &logical);
    if (font->widths.size() >= kMaxCachedWidths) font->widths.clear();
    font->widths.emplace(text, logical.width);
    return logical.width;
}

int PageContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) {
    return text != nullptr ? textWidth(text, hFont) : 0;
}

void PageContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text,
                              litehtml::uint_ptr hFont, litehtml::web_color color,
                              const litehtml::position& pos) {
    auto* font = reinterpret_cast<Font*>(hFont);
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    if (font == nullptr || cr == nullptr || text == nullptr || color.alpha == 0) return;
    cairo_save(cr);
    applyClips(cr);
    SetColor(cr, color);
    pango_layout_set_text(font->layout, text, -1);
    // Put pango's baseline where litehtml placed it: ascent below the box top.
    int baseline = pango_layout_get_baseline(font->layout) / PANGO_SCALE;
    cairo_move_to(cr, pos.x, pos.y + font->metrics.ascent - baseline);
    pango_cairo_show_layout(cr, font->layout);
    cairo_restore(cr);
}

int PageContainer::pt_to_px(int pt) const {
    return static_cast<int>(std::lround(pt * 96.0 / 72.0));
}

int PageContainer::get_default_font_size() const {
    return 16;
}

const litehtml::tchar_t* PageContainer::get_default_font_name() const {
    return "sans-serif";
}

void PageContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) {
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    if (cr == nullptr) return;
    cairo_save(cr);
    applyClips(cr);
    if (!marker.image.empty()) {
        cairo_surface_t* img = image(marker.image, marker.baseurl ? marker.baseurl : "");
        if (img != nullptr) {
            cairo_set_source_surface(cr, img, marker.pos.x, marker.pos.y);
            cairo_paint(cr);
            cairo_restore(cr);
            return;
        }
    }
    SetColor(cr, marker.color);
    const litehtml::position& p = marker.pos;
    double r = std::min(p.width, p.height) / 2.0;
    switch (marker.marker_type) {
        case litehtml::list_style_type_none:
            break;
        case litehtml::list_style_type_circle:
            cairo_set_line_width(cr, 1);
            cairo_arc(cr, p.x + p.width / 2.0, p.y + p.height / 2.0, std::max(r - 0.5, 0.5), 0,
                      2 * M_PI);
            cairo_stroke(cr);
            break;
        case litehtml::list_style_type_square:
            cairo_rectangle(cr, p.x, p.y, p.width, p.height);
            cairo_fill(cr);
            break;
        default:
            cairo_arc(cr, p.x + p.width / 2.0, p.y + p.height / 2.0, r, 0, 2 * M_PI);
            cairo_fill(cr);
            break;
    }
    cairo_restore(cr);
}

cairo_surface_t* PageContainer::image(const std::string& src, const std::string& baseurl) {
    std::string url = ResolveUrl(baseurl.empty() ? baseUrl_ : baseurl, src);
    auto found = images_.find(url);
    if (found != images_.end()) return found->second;
    if (images_.size() >= kMaxCachedImages) return nullptr;
    std::string bytes;
    cairo_surface_t* surface = nullptr;
    if (ReadUrl(url, bytes)) surface = DecodeImage(bytes);
    // A failed load is remembered too, so a missing image is not looked for on every frame.
    images_.emplace(url, surface);
    return surface;
}

void PageContainer::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                               bool) {
    if (src != nullptr && *src != '\0') image(src, baseurl != nullptr ? baseurl : "");
}

void PageContainer::get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                                   litehtml::size& sz) {
    sz.width = 0;
    sz.height = 0;
    if (src == nullptr || *src == '\0') return;
    cairo_surface_t* img = image(src, baseurl != nullptr ? baseurl : "");
    if (img == nullptr) return;
    sz.width = cairo_image_surface_get_width(img);
    sz.height = cairo_image_surface_get_height(img);
}

void PageContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) {
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    if (cr == nullptr) return;
    cairo_save(cr);
    applyClips(cr);
    RoundedRect(cr, bg.border_box, bg.border_radius);
    cairo_clip(cr);
    cairo_rectangle(cr, bg.clip_box.x, bg.clip_box.y, bg.clip_box.width, bg.clip_box.height);
    cairo_clip(cr);
    if (bg.color.alpha > 0) {
        SetColor(cr, bg.color);
        cairo_paint(cr);
    }
    cairo_surface_t* img = bg.image.empty() ? nullptr : image(bg.image, bg.baseurl);
    if (img != nullptr) {
        int iw = cairo_image_surface_get_width(img);
        int ih = cairo_image_surface_get_height(img);
        int w = bg.image_size.width > 0 ? bg.image_size.width : iw;
        int h = bg.image_size.height > 0 ? bg.image_size.height : ih;
        if (w > 0 && h > 0) {
            cairo_pattern_t* pattern = cairo_pattern_create_for_surface(img);
            cairo_matrix_t m;
            cairo_matrix_init_scale(&m, static_cast<double>(iw) / w, static_cast<double>(ih) / h);
            cairo_matrix_translate(&m, -bg.position_x, -bg.position_y);
            cairo_pattern_set_matrix(pattern, &m);
            const litehtml::position& c = bg.clip_box;
            switch (bg.repeat) {
                case litehtml::background_repeat_repeat:
                    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
                    cairo_rectangle(cr, c.x, c.y, c.width, c.height);
                    break;
                case litehtml::background_repeat_repeat_x:
                    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
                    cairo_rectangle(cr, c.x, bg.position_y, c.width, h);
                    break;
                case litehtml::background_repeat_repeat_y:
                    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
                    cairo_rectangle(cr, bg.position_x, c.y, w, c.height);
                    break;
                case litehtml::background_repeat_no_repeat:
                    cairo_rectangle(cr, bg.position_x, bg.position_y, w, h);
                    break;
            }
            cairo_set_source(cr, pattern);
            cairo_fill(cr);
            cairo_pattern_destroy(pattern);
        }
    }
    cairo_restore(cr);
}

void PageContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                 const litehtml::position& draw_pos, bool) {
    auto* cr = reinterpret_cast<cairo_t*>(hdc);
    if (cr == nullptr || !borders.is_visible()) return;
    auto shown = [](const litehtml::border& b) {
        return b.width > 0 && b.style != litehtml::border_style_none &&
               b.style != litehtml::border_style_hidden && b.color.alpha > 0;
    };
    const litehtml::position& o = draw_pos;
    litehtml::position in(o.x + borders.left.width, o.y + borders.top.width,
                          o.width - borders.left.width - borders.right.width,
                          o.height - borders.top.width - borders.bottom.width);
    litehtml::border_radiuses inner = borders.radius;
    litehtml::margins widths;
    widths.left = borders.left.width;
    widths.right = borders.right.width;
    widths.top = borders.top.width;
    widths.bottom = borders.bottom.width;
    inner -= widths;

    cairo_save(cr);
    applyClips(cr);
    // The ring between the outer and inner edges; each side then fills its own trapezoid in it.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    RoundedRect(cr, o, borders.radius);
    if (in.width > 0 && in.height > 0) RoundedRect(cr, in, inner);
    cairo_clip(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);

    struct Side {
        const litehtml::border* b;
        double pts[8];
        double lx1, ly1, lx2, ly2;
    };
    double x0 = o.x, y0 = o.y, x1 = o.right(), y1 = o.bottom();
    double ix0 = in.x, iy0 = in.y, ix1 = in.x + in.width, iy1 = in.y + in.height;
    Side sides[4] = {
        {&borders.top,
         {x0, y0, x1, y0, ix1, iy0, ix0, iy0},
         x0,
         (y0 + iy0) / 2,
         x1,
         (y0 + iy0) / 2},
        {&borders.right,
         {x1, y0, x1, y1, ix1, iy1, ix1, iy0},
         (x1 + ix1) / 2,
         y0,
         (x1 + ix1) / 2,
         y1},
        {&borders.bottom,
         {x1, y1, x0, y1, ix0, iy1, ix1, iy1},
         x0,
         (y1 + iy1) / 2,
         x1,
         (y1 + iy1) / 2},
        {&borders.left,
         {x0, y1, x0, y0, ix0, iy0, ix0, iy1},
         (x0 + ix0) / 2,
         y0,
         (x0 + ix0) / 2,
         y1},
    };
    for (const Side& s : sides) {
        if (!shown(*s.b)) continue;
        cairo_save(cr);
        cairo_move_to(cr, s.pts[0], s.pts[1]);
        for (int i = 2; i < 8; i += 2) cairo_line_to(cr, s.pts[i], s.pts[i + 1]);
        cairo_close_path(cr);
        cairo_clip(cr);
        SetColor(cr, s.b->color);
        double w = s.b->width;
        if (s.b->style == litehtml::border_style_dashed ||
            s.b->style == litehtml::border_style_dotted) {
            double dash[2];
            if (s.b->style == litehtml::border_style_dotted) {
                dash[0] = dash[1] = w;
            } else {
                dash[0] = 3 * w;
                dash[1] = 3 * w;
            }
            cairo_set_dash(cr, dash, 2, 0);
            cairo_set_line_width(cr, w);
            cairo_move_to(cr, s.lx1, s.ly1);
            cairo_line_to(cr, s.lx2, s.ly2);
            cairo_stroke(cr);
        } else if (s.b->style == litehtml::border_style_double && w >= 3) {
            double third = std::floor(w / 3.0);
            cairo_set_line_width(cr, third);
            // Two lines at the outer and inner edges of the side.
            double dx = (s.lx1 == s.lx2) ? (w - third) / 2 : 0;
            double dy = (s.ly1 == s.ly2) ? (w - third) / 2 : 0;
            cairo_move_to(cr, s.lx1 - dx, s.ly1 - dy);
            cairo_line_to(cr, s.lx2 - dx, s.ly2 - dy);
            cairo_move_to(cr, s.lx1 + dx, s.ly1 + dy);
            cairo_line_to(cr, s.lx2 + dx, s.ly2 + dy);
            cairo_stroke(cr);
        } else {
            cairo_paint(cr);
        }
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

void PageContainer::set_caption(const litehtml::tchar_t*) {
    // The title comes from the document tree, which script may change.
}

void PageContainer::set_base_url(const litehtml::tchar_t*) {}

void PageContainer::link(const std::shared_ptr<litehtml::document>&,
                         const litehtml::element::ptr&) {}

void PageContainer::on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) {
    // Links are followed by the view after the click event, which the page may cancel.
}

void PageContainer::set_cursor(const litehtml::tchar_t*) {}

void PageContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
    gchar* changed = nullptr;
    switch (tt) {
        case litehtml::text_transform_uppercase:
            changed = g_utf8_strup(text.c_str(), -1);
            break;
        case litehtml::text_transform_lowercase:
            changed = g_utf8_strdown(text.c_str(), -1);
            break;
        case litehtml::text_transform_capitalize:
            if (!text.empty()) {
                size_t pos = 0;
                char32_t first = NextCodePoint(text, pos);
                gunichar upper = g_unichar_toupper(static_cast<gunichar>(first));
                std::string out;
                AppendUtf8(out, static_cast<char32_t>(upper));
                text = out + text.substr(pos);
            }
            return;
        case litehtml::text_transform_none:
            return;
    }
    if (changed != nullptr) {
        text = changed;
        g_free(changed);
    }
}

void PageContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url,
                               litehtml::tstring& baseurl) {
    std::string resolved = ResolveUrl(baseurl.empty() ? baseUrl_ : baseurl, url);
    std::string bytes;
    text.clear();
    if (!ReadUrl(resolved, bytes)) return;
    text = SanitizeUtf8(bytes);
    baseurl = resolved;
}

void PageContainer::set_clip(const litehtml::position& pos,
                             const litehtml::border_radiuses& bdr_radius, bool valid_x,
                             bool valid_y) {
    Clip clip{pos, bdr_radius};
    constexpr int kFar = 1 << 24;
    if (!valid_x) {
        clip.box.x = -kFar;
        clip.box.width = 2 * kFar;
    }
    if (!valid_y) {
        clip.box.y = -kFar;
        clip.box.height = 2 * kFar;
    }
    clips_.push_back(clip);
}

void PageContainer::del_clip() {
    if (!clips_.empty()) clips_.pop_back();
}

void PageContainer::applyClips(cairo_t* cr) const {
    for (const Clip& clip : clips_) {
        RoundedRect(cr, clip.box, clip.radius);
        cairo_clip(cr);
    }
}

void PageContainer::get_client_rect(litehtml::position& client) const {
    client = litehtml::position(scrollX_, scrollY_, width_, height_);
}

std::shared_ptr<litehtml::element> PageContainer::create_element(
    const litehtml::tchar_t*, const litehtml::string_map&,
    const std::shared_ptr<litehtml::document>&) {
    return nullptr;
}

void PageContainer::get_media_features(litehtml::media_features& media) const {
    media.type = litehtml::media_type_screen;
    media.width = width_;
    media.height = height_;
    media.device_width = 1920;
    media.device_height = 1080;
    media.color = 8;
    media.color_index = 256;
    media.monochrome = 0;
    media.resolution = 96;
}

void PageContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
    language = "zh";
    culture = "CN";
}

void PageContainer::split_text(const char* text,
                               const std::function<void(const litehtml::tchar_t*)>& on_word,
                               const std::function<void(const litehtml::tchar_t*)>& on_space) {
    if (text == nullptr) return;
    // Besides spaces, a line may break between any two ideographs (Chinese has no spaces).
    std::string_view all(text);
    std::string word;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t start = pos;
        char32_t cp = NextCodePoint(all, pos);
        if (cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f') {
            if (!word.empty()) on_word(word.c_str());
            word.clear();
            std::string space(all.substr(start, pos - start));
            on_space(space.c_str());
        } else if (IsBreakableWide(cp)) {
            if (!word.empty()) on_word(word.c_str());
            word.assign(all.substr(start, pos - start));
            on_word(word.c_str());
            word.clear();
        } else {
            word.append(all.substr(start, pos - start));
        }
    }
    if (!word.empty()) on_word(word.c_str());
}

}  // namespace webengine
