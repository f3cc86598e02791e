#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/url.hpp"

namespace qb::host {

// Text made safe to stand in HTML text or in a double-quoted attribute: & < > " ' are written as
// character references, and control characters other than tab and line feed are dropped.
std::string escapeHtml(std::string_view text);

// Whether a click may open the URL from a page: Quillbrook's own schemes (x-quillbrook,
// x-quillbrook-item, x-quillbrook-smartgroup), http, https, mailto and file, in any letter case.
bool isOpenableScheme(const Url& url);
bool isOpenableUrl(std::string_view text);

}  // namespace qb::host
