// Fonts: a LOGFONTW turned into a pango font description, laid out with a per-thread pango context.
#pragma once

#include <pango/pangocairo.h>

#include <string>

#include "platform/gdi/gdi_object.h"  // before glib, which defines TRUE and FALSE as macros

namespace gdi {

class Font : public Object {
  public:
    static constexpr Kind kKind = Kind::Font;
    explicit Font(const LOGFONTW& lf);
    ~Font() override { pango_font_description_free(description_); }

    const LOGFONTW& log() const { return log_; }
    const PangoFontDescription* description() const { return description_; }
    // Character (em) height in pixels.
    int emPixels() const { return emPixels_; }

  private:
    LOGFONTW log_;
    PangoFontDescription* description_;
    int emPixels_;
};

std::shared_ptr<Font> NewFont(const LOGFONTW& lf);

// The installed families a Windows face name stands for, as a pango family list.
std::string FamiliesForFace(const WCHAR* face, BYTE pitchAndFamily);

// Wide text (one code point per WCHAR; UTF-16 surrogate pairs are joined) as UTF-8. Invalid code
// points and lone surrogates become U+FFFD.
std::string WideToUtf8(const WCHAR* text, size_t length);

// The calling thread's pango context: 96 dpi, grey antialiasing, metrics hinted to whole pixels.
PangoContext* ThreadPangoContext();

// A layout of the text in the font, with its underline and strike-out. Caller unrefs.
PangoLayout* NewLayout(const Font& font, const std::string& utf8);

TEXTMETRICW MetricsOf(const Font& font);

}  // namespace gdi
