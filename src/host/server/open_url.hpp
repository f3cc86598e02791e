#pragma once

#include <string>
#include <string_view>

namespace qb::host {

// The program that hands a URL to the desktop: $QUILLBROOK_WIDGETS_OPENER when set (tests record the
// calls with it), else xdg-open.
std::string desktopOpener();

// Runs `opener` with the URL as its one argument, without a shell. Only URLs whose scheme a click may
// open (isOpenableUrl) are handed on. Returns an empty string on success, else what went wrong.
std::string openWithDesktop(std::string_view url, const std::string& opener = desktopOpener());

}  // namespace qb::host
