#pragma once

// Lays a view tree out on a grid of terminal cells as the view framework would lay it out in points,
// and draws it into a canvas.
//
// A column is about 8 points wide and a line 16 points high, so vertical spacing and padding under a
// line vanish while horizontal spacing keeps at least one column. Stacks place their children in
// order; the least flexible children are sized first, flexible spacers share what height or width is
// left, and content that does not fit is cut at the edge of the space it was given.

#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "host/render/canvas.hpp"
#include "ui/view.hpp"

namespace qb::host {

struct CellSize {
    int width = 0, height = 0;
    friend bool operator==(const CellSize&, const CellSize&) = default;
};

// Points in columns and lines.
int columnsFor(double points);
int linesFor(double points);

// The colour the terminal draws a named colour in, and the accent of the tinted rendering modes.
Rgb rgbFor(ui::Color color);
inline constexpr Rgb accentRgb{64, 156, 255};

// Draws `root` centred in `area` of the canvas, in the environment's rendering mode. Links become
// hyperlinks when their URL opens something Quillbrook or the desktop handles (others are drawn inert);
// a widget URL makes the whole area open it.
void drawView(const ui::View& root, const ui::Environment& environment, Canvas& canvas, const Rect& area);

// The cells a view takes when offered `proposal`.
CellSize measureView(const ui::View& view, const ui::Environment& environment, CellSize proposal);

}  // namespace qb::host
