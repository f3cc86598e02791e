#pragma once

// The commands for status bars and the like: `watch` keeps a widget up to date on the live engine and
// prints it each time it changes; `open` opens what a click on the widget would.

#include <vector>

#include "host/cli.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

int watchCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets);
int openCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets);
// `desktop` becomes the desktop host, a program of its own so that no other command loads GTK.
int desktopCommand(const CommandLine& line);
// Set in the host's environment when `desktop` set G_SLICE for it, which the host then takes out again.
inline constexpr const char* desktopSliceMarker = "QUILLBROOK_WIDGETS_SET_G_SLICE";

}  // namespace qb::host
