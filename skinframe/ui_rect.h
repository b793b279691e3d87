// Small rectangle helpers for layout and hit-testing, kept free of any window-system call so the
// control tree can be laid out without a window.
#pragma once

#include <algorithm>

#include "platform/win_base.h"

namespace ui {

inline bool RectEmpty(const RECT& rc) {
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

inline bool RectContains(const RECT& rc, POINT pt) {
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

// The common part of two rectangles; false (and an all-zero result) when they do not overlap.
inline bool RectIntersect(RECT& out, const RECT& a, const RECT& b) {
    RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (RectEmpty(r)) {
        out = {0, 0, 0, 0};
        return false;
    }
    out = r;
    return true;
}

// The smallest rectangle holding both; an empty rectangle adds nothing.
inline RECT RectUnion(const RECT& a, const RECT& b) {
    if (RectEmpty(a)) return b;
    if (RectEmpty(b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

inline bool RectEqual(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace ui
