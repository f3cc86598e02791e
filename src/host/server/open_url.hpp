#pragma once

#include <string>
#include <string_view>

namespace qb::host {

// Hands a URL to the desktop (xdg-open), without a shell. Only URLs whose scheme a click may open
// (isOpenableUrl) are handed on. Returns an empty string on success, else what went wrong.
std::string openWithDesktop(std::string_view url);

}  // namespace qb::host
