#pragma once

// Resolves a view tree for drawing, once, for every renderer (terminal, HTML, desktop): inherited
// style, localized texts, links checked against the link policy, the widget URL, symbols and images.

#include <vector>

#include "host/render/resolved_view.hpp"
#include "platform/url.hpp"
#include "ui/view.hpp"

namespace qb::host {

resolved::Tree resolve(const ui::View& view, const ui::Environment& environment);

// The links a click on the widget may open: its widget URL first, then each link's, in tree order.
std::vector<Url> openableLinks(const resolved::Tree& tree);

}  // namespace qb::host
