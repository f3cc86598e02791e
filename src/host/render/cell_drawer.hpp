#pragma once

// Widgets drawn on a grid of terminal cells: a resolved tree laid out (cell_layout.hpp) and drawn into
// a canvas, with styles, colours and OSC 8 hyperlinks.

#include "host/render/canvas.hpp"
#include "host/render/cells.hpp"
#include "host/render/resolved_view.hpp"
#include "ui/view.hpp"

namespace qb::host {

// Draws the tree centred in `area` of the canvas. Links the link policy allowed become hyperlinks
// (others are drawn inert); a widget URL makes the whole area open it.
void drawView(const resolved::Tree& tree, Canvas& canvas, const Rect& area);
// The same for a view tree, resolved first.
void drawView(const ui::View& root, const ui::Environment& environment, Canvas& canvas, const Rect& area);

}  // namespace qb::host
