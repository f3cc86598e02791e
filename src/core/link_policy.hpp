#pragma once

// Which URLs a click on a widget may open: the one rule that the renderers, the dashboard and the
// command that opens a widget's link all follow.

#include <string_view>

#include "platform/url.hpp"

namespace qb {

// Whether a click may open the URL: Quillbrook's own schemes (x-quillbrook, x-quillbrook-item,
// x-quillbrook-smartgroup), http, https, mailto and file, in any letter case, and nothing in its text
// that a page could read as markup or a terminal as a control.
bool isOpenableScheme(const Url& url);
// The same for a URL given as text, which must be a URL exactly as written.
bool isOpenableUrl(std::string_view text);

}  // namespace qb
