#pragma once

// Widgets drawn in the terminal: each in a rounded box of its family's size, its name above it.

#include <optional>
#include <string>
#include <vector>

#include "environment/family.hpp"
#include "host/render/cell_drawer.hpp"
#include "ui/view.hpp"

namespace qb::host {

// The outer size of a family's box in cells, border included. The families keep their proportions in
// points (small square, medium 2:1, large about 1:1.05, extra large 2:1), a cell being about twice as
// high as it is wide.
CellSize boxSize(WidgetFamily family);
// The cells inside the border and its one-column margins.
CellSize contentSize(WidgetFamily family);

struct TerminalTile {
    std::string title;  // shown above the box, e.g. "Reading List · medium"
    WidgetFamily family = WidgetFamily::systemMedium;
    ui::Environment environment;
    ui::View view;
};

// The tile's lines: its title, then the box. Every line is the box's width; unless plain, lines carry
// SGR styles, colours of the depth and OSC 8 hyperlinks.
std::vector<std::string> renderTile(const TerminalTile& tile, Styling styling);

// Tiles side by side while they fit into `columns` (when given), else one under the other, with a
// blank line between rows of tiles. A box wider than `columns` is cut at the right edge (see
// cutToColumns), so that no line is wider. Ends with a line break.
std::string arrangeTiles(const std::vector<TerminalTile>& tiles, Styling styling, std::optional<int> columns);

// When some boxes are wider than `columns`, one line that says which families' boxes arrangeTiles cuts
// and how many columns they need, e.g. "the medium and large boxes are cut to 40 columns (›); they need 48".
std::optional<std::string> cutNotice(const std::vector<TerminalTile>& tiles, std::optional<int> columns);

}  // namespace qb::host
