// PNG and JPEG bytes into cairo image surfaces.
#pragma once

#include <cairo.h>

#include <string>

namespace webengine {

// Images larger than this (either side) are refused before any pixel is decoded.
inline constexpr int kMaxImageSide = 8192;

// A new ARGB32 surface, or null for bytes that are not a PNG or JPEG this engine can read.
cairo_surface_t* DecodeImage(const std::string& bytes);

}  // namespace webengine
