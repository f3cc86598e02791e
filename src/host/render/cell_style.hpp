#pragma once

// How the terminal shows colours and text styles: named colours as 24-bit colours, the accent of the
// tinted rendering modes, font roles as bold, hierarchical levels as faint and italic.

#include "host/render/canvas.hpp"
#include "host/render/resolved_view.hpp"

namespace qb {
class Image;
}

namespace qb::host {

// The colour the terminal draws a named colour in, and the accent of the tinted rendering modes.
Rgb rgbFor(ui::Color color);
inline constexpr Rgb accentRgb{64, 156, 255};

// The cell style of a node's text and symbols. In a tinted rendering mode named colours give way to
// the levels, and the accent group takes the accent.
CellStyle cellStyle(const resolved::Style& style, bool tinted);

// The average colour of an image's opaque pixels, sampled at most a few thousand times.
Rgb averageColor(const Image& image);

}  // namespace qb::host
