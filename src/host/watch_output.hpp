#pragma once

// What `watch` prints for each new entry: the program's JSON on one line, the object a status bar's
// custom module reads, or the widget drawn as text followed by a blank line.

#include <string>

#include <nlohmann/json.hpp>

#include "host/cli.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

struct WatchedEntry {
    const AnyWidget& widget;
    WidgetFamily family;
    const ErasedEntry& entry;
    TimelineReloadPolicy policy;
};

// The text to print for the entry in the format (json, waybar or text), ending in a line break.
std::string watchOutput(OutputFormat format, const WatchedEntry& watched);

// {"text", "tooltip", "class", "alt"}: the widget's headline count or tip as text, what the widget shows
// in its family as the tooltip (one line per row), and its state ("unread", "items", "tip" or "empty")
// as class and alt. Texts are localized, without control characters, and escaped for Pango markup.
nlohmann::ordered_json waybarObject(const WatchedEntry& watched);

}  // namespace qb::host
