#include "skinframe/controls/linear_layout.h"

#include <algorithm>

#include "skinframe/controls/control.h"

namespace ui {
namespace {

// One axis of a control seen through the layout's orientation.
struct Axis {
    bool vertical;
    LONG Main(SIZE s) const { return vertical ? s.cy : s.cx; }
    LONG Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
    LONG MainBefore(const RECT& r) const { return vertical ? r.top : r.left; }
    LONG MainAfter(const RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG CrossBefore(const RECT& r) const { return vertical ? r.left : r.top; }
    LONG CrossAfter(const RECT& r) const { return vertical ? r.right : r.bottom; }
    LONG MinMain(const CControlUI* c) const {
        return vertical ? c->GetMinHeight() : c->GetMinWidth();
    }
    LONG MaxMain(const CControlUI* c) const {
        return vertical ? c->GetMaxHeight() : c->GetMaxWidth();
    }
    LONG MinCross(const CControlUI* c) const {
        return vertical ? c->GetMinWidth() : c->GetMinHeight();
    }
    LONG MaxCross(const CControlUI* c) const {
        return vertical ? c->GetMaxWidth() : c->GetMaxHeight();
    }
};

LONG Clamp(LONG v, LONG lo, LONG hi) {
    return std::clamp(v, lo, std::max(lo, hi));
}

}  // namespace

void LayoutLinear(const std::vector<CControlUI*>& items, const RECT& inner, int childPadding,
                  bool vertical, bool bNeedInvalidate) {
    const Axis ax{vertical};
    const SIZE available = {inner.right - inner.left, inner.bottom - inner.top};
    const LONG mainSpace = ax.Main(available);

    struct Slot {
        CControlUI* control;
        RECT padding;
        SIZE estimate;
        LONG main = 0;
        bool automatic = false;
    };
    std::vector<Slot> slots;
    slots.reserve(items.size());
    LONG used = 0;
    for (CControlUI* item : items) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        Slot slot{item, item->GetPadding(), item->EstimateSize(available)};
        slot.automatic = ax.Main(slot.estimate) == 0;
        if (!slot.automatic) {
            slot.main = Clamp(ax.Main(slot.estimate), ax.MinMain(item), ax.MaxMain(item));
            used += slot.main;
        }
        used += ax.MainBefore(slot.padding) + ax.MainAfter(slot.padding);
        slots.push_back(slot);
    }
    if (slots.empty()) return;
    used += static_cast<LONG>(slots.size() - 1) * childPadding;

    // Automatic children share what is left. A share that breaks a child's minimum or maximum
    // fixes that child at its bound and the others share again, the way flexible boxes do.
    std::vector<Slot*> pool;
    for (Slot& slot : slots) {
        if (slot.automatic) pool.push_back(&slot);
    }
    LONG remaining = mainSpace - used;
    while (!pool.empty()) {
        const LONG count = static_cast<LONG>(pool.size());
        const LONG share = remaining > 0 ? remaining / count : 0;
        const LONG remainder = remaining > 0 ? remaining - share * count : 0;
        LONG violation = 0;
        std::vector<LONG> clamped(pool.size());
        for (size_t i = 0; i < pool.size(); ++i) {
            const LONG wanted = share + (i + 1 == pool.size() ? remainder : 0);
            CControlUI* c = pool[i]->control;
            clamped[i] = Clamp(wanted, ax.MinMain(c), ax.MaxMain(c));
            violation += clamped[i] - wanted;
        }
        if (violation == 0) {
            for (size_t i = 0; i < pool.size(); ++i) pool[i]->main = clamped[i];
            break;
        }
        // Freeze the children pushed the way the total went; the rest share again.
        std::vector<Slot*> next;
        for (size_t i = 0; i < pool.size(); ++i) {
            const LONG wanted = share + (i + 1 == pool.size() ? remainder : 0);
            const bool frozen = violation > 0 ? clamped[i] > wanted : clamped[i] < wanted;
            if (frozen) {
                pool[i]->main = clamped[i];
                remaining -= clamped[i];
            } else {
                next.push_back(pool[i]);
            }
        }
        pool.swap(next);
    }

    LONG pos = ax.MainBefore(inner);
    for (const Slot& slot : slots) {
        CControlUI* item = slot.control;
        const LONG main = slot.main;
        const LONG crossSpace =
            ax.Cross(available) - ax.CrossBefore(slot.padding) - ax.CrossAfter(slot.padding);
        LONG cross = ax.Cross(slot.estimate);
        if (cross == 0) cross = crossSpace;
        cross = Clamp(cross, ax.MinCross(item), ax.MaxCross(item));

        const LONG mainStart = pos + ax.MainBefore(slot.padding);
        const LONG crossStart = ax.CrossBefore(inner) + ax.CrossBefore(slot.padding);
        RECT rc;
        if (vertical) {
            rc = {crossStart, mainStart, crossStart + cross, mainStart + main};
        } else {
            rc = {mainStart, crossStart, mainStart + main, crossStart + cross};
        }
        item->SetPos(rc, bNeedInvalidate);
        pos = mainStart + main + ax.MainAfter(slot.padding) + childPadding;
    }
}

}  // namespace ui
