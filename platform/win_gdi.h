// Device contexts, bitmaps, brushes, pens, fonts, regions, blits and text, drawn with cairo and pango.
#pragma once

#include "platform/win_base.h"
