#pragma once

// What a resolved view offers besides its looks: the links a click can open, in the order the view
// shows them, and its texts as lines a person reads (for tooltips and other plain summaries).

#include <optional>
#include <string>
#include <vector>

#include "host/render/resolved_view.hpp"
#include "platform/url.hpp"

namespace qb::host {

struct ViewRow {
    std::optional<Url> destination;  // none when the link policy refused the row's link
    std::string label;               // the row's texts, joined by " · "
};

struct ViewLinks {
    std::optional<Url> widgetURL;  // what a click anywhere on the widget opens
    std::vector<ViewRow> rows;     // the links, in order
};

ViewLinks linksOf(const resolved::Tree& tree);

// The texts as a person reads them: a link or a horizontal stack of texts is one line (its texts joined
// by " · "), every other text a line of its own.
std::vector<std::string> textLinesOf(const resolved::Tree& tree);

}  // namespace qb::host
