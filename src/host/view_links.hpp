#pragma once

// What a view tree offers besides its looks: the links a click can open, in the order the view shows
// them, and its texts as lines a person reads (for tooltips and other plain summaries).

#include <optional>
#include <string>
#include <vector>

#include "platform/url.hpp"
#include "ui/view.hpp"

namespace qb::host {

struct ViewRow {
    Url destination;
    std::string label;  // the row's texts, joined by " · "
};

struct ViewLinks {
    std::optional<Url> widgetURL;  // what a click anywhere on the widget opens
    std::vector<ViewRow> rows;     // the links, in order
};

ViewLinks linksOf(const ui::View& view);

// The texts as a person reads them, localized: a link or a horizontal stack of texts is one line (its
// texts joined by " · "), every other text a line of its own.
std::vector<std::string> textLinesOf(const ui::View& view);

}  // namespace qb::host
