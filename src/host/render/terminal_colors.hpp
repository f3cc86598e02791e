#pragma once

// Colours as a terminal can show them: in 24 bits, or as the nearest colour of the 256-colour palette or
// of the 16 ANSI colours for the terminals that announce no more.

#include <array>
#include <cstdint>
#include <string>

namespace qb::host {

using Rgb = std::array<std::uint8_t, 3>;

// How terminal output is styled: as plain text, or with SGR styles, OSC 8 hyperlinks and colours of one
// of the depths terminals offer.
enum class Styling { plain, colors16, colors256, trueColor };

// The palette colour nearest to `rgb` at a depth: one of the 16 ANSI colours (0 to 15, in xterm's
// default shades) or one of the 256-colour palette's cube and grey ramp (16 to 255). -1 at the other
// depths, which have no palette.
int nearestPaletteIndex(const Rgb& rgb, Styling depth);

// The SGR parameters that set the colour at a depth that has colours: "38;2;R;G;B", "38;5;N", or one of
// 30 to 37 and 90 to 97 (as background "48;2;...", "48;5;N", 40 to 47 and 100 to 107).
std::string colorParameters(const Rgb& rgb, Styling depth, bool background);

}  // namespace qb::host
