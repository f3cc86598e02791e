#pragma once

#include <string>
#include <string_view>

// The link policy lives below the host; included here for the files that still look for it beside
// escapeHtml.
#include "core/link_policy.hpp"

namespace qb::host {

// Text made safe to stand in HTML text or in a double-quoted attribute: & < > " ' are written as
// character references, and control characters other than tab and line feed are dropped.
std::string escapeHtml(std::string_view text);

}  // namespace qb::host
