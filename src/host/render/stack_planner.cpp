#include "host/render/stack_planner.hpp"

#include <algorithm>

namespace qb::host {

void offerLengths(std::span<AxisSlot> slots, int available, std::span<std::size_t> order) {
    std::size_t sharing = 0;
    int remaining = available;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        slots[i].length = slots[i].least;
        remaining -= slots[i].least;
        if (!slots[i].spacer) order[sharing++] = i;
    }
    const auto slack = [&slots](std::size_t i) { return slots[i].ideal - slots[i].least; };
    const auto first = order.begin(), last = order.begin() + static_cast<std::ptrdiff_t>(sharing);
    std::sort(first, last, [&slack](std::size_t a, std::size_t b) {
        return slack(a) != slack(b) ? slack(a) < slack(b) : a < b;
    });
    for (std::size_t k = 0; k < sharing && remaining > 0; ++k) {
        AxisSlot& slot = slots[order[k]];
        const int share = remaining / static_cast<int>(sharing - k);
        const int extra = std::min(slot.ideal - slot.least, share);
        slot.length += extra;
        remaining -= extra;
    }
}

int stretchSpacers(std::span<AxisSlot> slots, int available) {
    int used = 0, spacers = 0;
    for (const AxisSlot& slot : slots) {
        used += slot.length;
        spacers += slot.spacer ? 1 : 0;
    }
    if (spacers == 0) return used;
    const int leftover = std::max(0, available - used);
    int k = 0;
    for (AxisSlot& slot : slots) {
        if (!slot.spacer) continue;
        slot.length += leftover / spacers + (k < leftover % spacers ? 1 : 0);
        ++k;
    }
    return used + leftover;
}

}  // namespace qb::host
