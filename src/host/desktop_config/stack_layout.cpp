#include "host/desktop_config/stack_layout.hpp"

#include <algorithm>

namespace qb::host {
namespace {

enum class Side { start, middle, end };

Side verticalSide(Anchor anchor) {
    switch (anchor) {
        case Anchor::topLeft:
        case Anchor::top:
        case Anchor::topRight:
            return Side::start;
        case Anchor::bottomLeft:
        case Anchor::bottom:
        case Anchor::bottomRight:
            return Side::end;
        default:
            return Side::middle;
    }
}

Side horizontalSide(Anchor anchor) {
    switch (anchor) {
        case Anchor::topLeft:
        case Anchor::left:
        case Anchor::bottomLeft:
            return Side::start;
        case Anchor::topRight:
        case Anchor::right:
        case Anchor::bottomRight:
            return Side::end;
        default:
            return Side::middle;
    }
}

// Whether a margin along the column places the item on its own.
bool placedByMargin(const StackItem& item) {
    const Side side = verticalSide(item.anchor);
    return (side == Side::start && item.margins.top) || (side == Side::end && item.margins.bottom);
}

int horizontalPosition(const StackItem& item, int columnOffset, PixelSize area) {
    switch (horizontalSide(item.anchor)) {
        case Side::start:
            return item.margins.left.value_or(defaultMargin) + columnOffset;
        case Side::end:
            return area.width - item.margins.right.value_or(defaultMargin) - item.size.width - columnOffset;
        case Side::middle:
            break;
    }
    return (area.width - item.size.width) / 2;
}

int columnHeight(const std::vector<const StackItem*>& column) {
    int height = 0;
    for (const auto* item : column) height += item->size.height;
    return height + stackGap * static_cast<int>(column.size() > 0 ? column.size() - 1 : 0);
}

// Splits the stacked items of one anchor into columns that fit the area's height (a centred column
// does not wrap: it grows from the middle both ways).
std::vector<std::vector<const StackItem*>> columns(const std::vector<const StackItem*>& items,
                                                   PixelSize area) {
    std::vector<std::vector<const StackItem*>> split(1);
    const bool wraps = !items.empty() && verticalSide(items.front()->anchor) != Side::middle &&
                       horizontalSide(items.front()->anchor) != Side::middle;
    const int room = area.height - 2 * defaultMargin;
    for (const auto* item : items) {
        auto& column = split.back();
        if (wraps && !column.empty() && columnHeight(column) + stackGap + item->size.height > room)
            split.emplace_back();
        split.back().push_back(item);
    }
    return split;
}

void placeColumns(const std::vector<const StackItem*>& items, const std::vector<StackItem>& all,
                  PixelSize area, std::vector<PixelRect>& rects) {
    int columnOffset = 0;
    for (const auto& column : columns(items, area)) {
        const int height = columnHeight(column);
        int y = defaultMargin;
        if (verticalSide(column.front()->anchor) == Side::end) y = area.height - defaultMargin - height;
        if (verticalSide(column.front()->anchor) == Side::middle) y = (area.height - height) / 2;
        int widest = 0;
        for (const auto* item : column) {
            const auto index = static_cast<std::size_t>(item - all.data());
            rects[index] = {horizontalPosition(*item, columnOffset, area), y, item->size.width,
                            item->size.height};
            y += item->size.height + stackGap;
            widest = std::max(widest, item->size.width);
        }
        columnOffset += widest + stackGap;
    }
}

}  // namespace

std::vector<PixelRect> stackLayout(const std::vector<StackItem>& items, PixelSize area) {
    std::vector<PixelRect> rects(items.size());
    for (Anchor anchor : {Anchor::topLeft, Anchor::top, Anchor::topRight, Anchor::left, Anchor::center,
                          Anchor::right, Anchor::bottomLeft, Anchor::bottom, Anchor::bottomRight}) {
        std::vector<const StackItem*> stacked;
        for (const auto& item : items) {
            if (item.anchor != anchor) continue;
            if (!placedByMargin(item)) {
                stacked.push_back(&item);
                continue;
            }
            const auto index = static_cast<std::size_t>(&item - items.data());
            const int y = verticalSide(anchor) == Side::start
                              ? *item.margins.top
                              : area.height - *item.margins.bottom - item.size.height;
            rects[index] = {horizontalPosition(item, 0, area), y, item.size.width, item.size.height};
        }
        if (!stacked.empty()) placeColumns(stacked, items, area, rects);
    }
    return rects;
}

EdgeAnchoring edgeAnchoring(Anchor anchor, PixelRect rect, PixelSize area) {
    EdgeAnchoring edges;
    if (verticalSide(anchor) == Side::end) {
        edges.bottom = true;
        edges.marginBottom = area.height - rect.y - rect.height;
    } else {
        edges.top = true;
        edges.marginTop = rect.y;
    }
    if (horizontalSide(anchor) == Side::start) {
        edges.left = true;
        edges.marginLeft = rect.x;
    } else if (horizontalSide(anchor) == Side::end) {
        edges.right = true;
        edges.marginRight = area.width - rect.x - rect.width;
    }
    return edges;
}

}  // namespace qb::host
