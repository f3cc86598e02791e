#pragma once

// A line of terminal output as the renderer writes it: text with SGR styles and OSC 8 hyperlinks.

#include <string>
#include <string_view>

namespace qb::host {

// What marks the right edge of a line that was cut.
inline constexpr std::string_view cutMarker = "›";

// The line cut to `columns` cells (at least 1). When only blanks lie beyond the edge, they are left out;
// when more would be lost, the last cell shows cutMarker instead. Escape sequences are never split, and
// the styles and the hyperlink still open at the cut are closed before the marker. A line that fits is
// returned as it is.
std::string cutToColumns(std::string_view line, int columns);

}  // namespace qb::host
