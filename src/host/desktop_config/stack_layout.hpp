#pragma once

// Where the widgets of one output go: each at its anchor and margins, and the widgets that share an
// anchor in a column with a gap between them, so that none covers another. A column that reaches the
// far edge goes on in a new column beside it. A widget whose margin along its column is given (the
// top margin of a top anchor, the bottom margin of a bottom anchor) stands where that margin puts it
// and is not part of the column; the columns of the left, centre and right anchors are centred
// vertically and ignore top and bottom margins.

#include <vector>

#include "host/desktop_config/desktop_config.hpp"

namespace qb::host {

// The distance from the output's edges where no margin is given, and between stacked widgets.
inline constexpr int defaultMargin = 24;
inline constexpr int stackGap = 12;

struct PixelSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct StackItem {
    Anchor anchor = Anchor::topRight;
    Margins margins;
    PixelSize size;
};

// The rectangle of each item, in order, in an area whose top left corner is (0, 0).
std::vector<PixelRect> stackLayout(const std::vector<StackItem>& items, PixelSize area);

// The same place for a layer-shell surface: the edges it is anchored to, and its margins from them.
// A widget centred horizontally is anchored to neither side, so that the compositor centres it; one
// centred vertically is anchored to the top at its place in the column.
struct EdgeAnchoring {
    bool top = false, right = false, bottom = false, left = false;
    int marginTop = 0, marginRight = 0, marginBottom = 0, marginLeft = 0;
    friend bool operator==(const EdgeAnchoring&, const EdgeAnchoring&) = default;
};
EdgeAnchoring edgeAnchoring(Anchor anchor, PixelRect rect, PixelSize area);

}  // namespace qb::host
