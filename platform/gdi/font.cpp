#include "platform/gdi/font.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace gdi {
namespace {

constexpr int kDefaultEmPixels = 12;  // lfHeight 0

const char* const kSans = "DejaVu Sans,Noto Sans CJK SC,sans-serif";
const char* const kSerif = "DejaVu Serif,Noto Serif CJK SC,serif";
const char* const kMono = "DejaVu Sans Mono,Noto Sans Mono CJK SC,monospace";
const char* const kCjkSans = "Noto Sans CJK SC,DejaVu Sans,sans-serif";
const char* const kCjkSerif = "Noto Serif CJK SC,DejaVu Serif,serif";

struct FaceMapping {
    const char* face;  // UTF-8, compared without regard to ASCII case
    const char* families;
};

// Faces Windows programs name, mapped to the closest installed families.
const FaceMapping kFaces[] = {
    {"microsoft yahei", kCjkSans},
    {"microsoft yahei ui", kCjkSans},
    {"微软雅黑", kCjkSans},
    {"simhei", kCjkSans},
    {"黑体", kCjkSans},
    {"dengxian", kCjkSans},
    {"等线", kCjkSans},
    {"microsoft jhenghei", kCjkSans},
    {"微軟正黑體", kCjkSans},
    {"simsun", kCjkSerif},
    {"宋体", kCjkSerif},
    {"nsimsun", kCjkSerif},
    {"新宋体", kCjkSerif},
    {"fangsong", kCjkSerif},
    {"仿宋", kCjkSerif},
    {"kaiti", kCjkSerif},
    {"楷体", kCjkSerif},
    {"mingliu", kCjkSerif},
    {"pmingliu", kCjkSerif},
    {"新細明體", kCjkSerif},
    {"tahoma", kSans},
    {"arial", kSans},
    {"verdana", kSans},
    {"segoe ui", kSans},
    {"ms shell dlg", kSans},
    {"ms shell dlg 2", kSans},
    {"microsoft sans serif", kSans},
    {"ms sans serif", kSans},
    {"helvetica", kSans},
    {"calibri", kSans},
    {"system", kSans},
    {"times new roman", kSerif},
    {"georgia", kSerif},
    {"cambria", kSerif},
    {"ms serif", kSerif},
    {"courier new", kMono},
    {"courier", kMono},
    {"consolas", kMono},
    {"lucida console", kMono},
    {"fixedsys", kMono},
    {"terminal", kMono},
};

std::string AsciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

PangoFontDescription* Describe(const LOGFONTW& lf, int emPixels) {
    PangoFontDescription* d = pango_font_description_new();
    size_t faceLength = 0;
    while (faceLength < LF_FACESIZE && lf.lfFaceName[faceLength]) ++faceLength;
    std::wstring face(lf.lfFaceName, faceLength);
    pango_font_description_set_family(d,
                                      FamiliesForFace(face.c_str(), lf.lfPitchAndFamily).c_str());
    int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::clamp<int>(lf.lfWeight, 100, 1000);
    pango_font_description_set_weight(d, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(d, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(d, static_cast<double>(emPixels) * PANGO_SCALE);
    return d;
}

// Cell height (ascent plus descent) of a line at the given em size.
int CellHeight(const LOGFONTW& lf, int emPixels) {
    PangoFontDescription* d = Describe(lf, emPixels);
    PangoLayout* layout = pango_layout_new(ThreadPangoContext());
    pango_layout_set_font_description(layout, d);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    pango_font_description_free(d);
    return logical.height;
}

int EmPixelsOf(const LOGFONTW& lf) {
    constexpr int kMaxPixels = 4096;  // larger sizes are not text any more
    if (lf.lfHeight < 0)
        return std::min<long long>(-static_cast<long long>(lf.lfHeight), kMaxPixels);
    if (lf.lfHeight == 0) return kDefaultEmPixels;
    // A positive height is the cell; scale the em so that the cell comes out at that height.
    int cell = std::min<int>(lf.lfHeight, kMaxPixels);
    int measured = CellHeight(lf, cell);
    if (measured <= 0) return cell;
    return std::max(
        1, static_cast<int>((static_cast<long long>(cell) * cell + measured / 2) / measured));
}

int TextWidth(const Font& font, const char* text) {
    PangoLayout* layout = NewLayout(font, text);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return logical.width;
}

}  // namespace

std::string FamiliesForFace(const WCHAR* face, BYTE pitchAndFamily) {
    std::string name = face ? AsciiLower(WideToUtf8(face, std::wcslen(face))) : std::string();
    if (!name.empty()) {
        for (const FaceMapping& m : kFaces)
            if (name == m.face) return m.families;
        // Not one we know: let fontconfig find it, or fall back to the usual families.
        return WideToUtf8(face, std::wcslen(face)) + "," + kSans;
    }
    if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN)
        return kMono;
    if ((pitchAndFamily & 0xF0) == FF_ROMAN) return kSerif;
    return kSans;
}

std::string WideToUtf8(const WCHAR* text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (c == 0) continue;  // pango takes no NUL inside a text
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
            char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

PangoContext* ThreadPangoContext() {
    struct Holder {
        PangoContext* context = nullptr;
        ~Holder() {
            if (context) g_object_unref(context);
        }
    };
    thread_local Holder holder;
    if (!holder.context) {
        PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(context, 96);
        pango_context_set_language(context, pango_language_from_string("zh-cn"));
        holder.context = context;
    }
    return holder.context;
}

Font::Font(const LOGFONTW& lf)
    : Object(kKind), log_(lf), description_(nullptr), emPixels_(EmPixelsOf(lf)) {
    description_ = Describe(lf, emPixels_);
}

std::shared_ptr<Font> NewFont(const LOGFONTW& lf) {
    return std::make_shared<Font>(lf);
}

PangoLayout* NewLayout(const Font& font, const std::string& utf8) {
    PangoLayout* layout = pango_layout_new(ThreadPangoContext());
    pango_layout_set_font_description(layout, font.description());
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    if (font.log().lfUnderline || font.log().lfStrikeOut) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (font.log().lfUnderline)
            pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.log().lfStrikeOut)
            pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    return layout;
}

TEXTMETRICW MetricsOf(const Font& font) {
    TEXTMETRICW tm{};
    PangoLayout* layout = NewLayout(font, "");
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    int baseline = PANGO_PIXELS(pango_layout_get_baseline(layout));
    g_object_unref(layout);
    const LOGFONTW& lf = font.log();
    tm.tmHeight = logical.height;
    tm.tmAscent = baseline;
    tm.tmDescent = logical.height - baseline;
    tm.tmInternalLeading = std::max(0, logical.height - font.emPixels());
    tm.tmExternalLeading = 0;
    tm.tmAveCharWidth =
        (TextWidth(font, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") + 26) / 52;
    tm.tmMaxCharWidth = std::max(TextWidth(font, "W"), TextWidth(font, "\xE5\x9B\xBD"));
    tm.tmWeight = lf.lfWeight <= 0 ? FW_NORMAL : lf.lfWeight;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = lf.lfItalic ? 1 : 0;
    tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
    tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    bool fixedPitch = TextWidth(font, "i") == TextWidth(font, "W");
    // As documented, the bit says the font is NOT fixed pitch.
    tm.tmPitchAndFamily =
        static_cast<BYTE>(TMPF_VECTOR | TMPF_TRUETYPE | (fixedPitch ? 0 : TMPF_FIXED_PITCH) |
                          (lf.lfPitchAndFamily & 0xF0));
    tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? GB2312_CHARSET : lf.lfCharSet;
    return tm;
}

}  // namespace gdi

// GCC names the address sanitizer with a macro, clang only through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define IEFIX_FONT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define IEFIX_FONT_ASAN 1
#endif
#endif

#if defined(IEFIX_FONT_ASAN)
// pango keeps fontconfig patterns in per-thread font maps that are never torn down; the leak
// checker would report them at exit in every program that draws text. They are not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

#if defined(__SANITIZE_THREAD__)
// The text stack below us synchronises with atomics the thread checker cannot see, since those
// libraries are not built with it; their own races are not ours to report.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libglib-2.0.so\n"
           "race:libfontconfig.so\n"
           "race:libharfbuzz.so\n"
           "race:libpango-1.0.so\n"
           "race:libpangoft2-1.0.so\n"
           "race:libpangocairo-1.0.so\n"
           "race:libcairo.so\n"
           "race:libpixman-1.so\n"
           "race:libfreetype.so\n";
}
#endif
