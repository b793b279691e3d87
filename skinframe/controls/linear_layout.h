// The layout pass shared by rows and columns.
#pragma once

#include <vector>

#include "platform/win_base.h"

class CControlUI;

namespace ui {

// Places the visible, non-floating children along one axis inside `inner`: each child gets its
// padding, fixed sizes are kept (within minimum and maximum), and children without a fixed size
// share what is left equally (the last of them taking the rounding remainder; one held at its
// minimum or maximum leaves the rest to the others). Across the axis a
// child fills the inner area unless it has a fixed size. Floating children are skipped.
void LayoutLinear(const std::vector<CControlUI*>& items, const RECT& inner, int childPadding,
                  bool vertical, bool bNeedInvalidate);

}  // namespace ui
