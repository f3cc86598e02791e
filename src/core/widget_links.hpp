#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/url.hpp"

namespace qb {

// The link a click on an item of each list widget opens, made from the text the item keeps. Items make it
// each time a row or the JSON asks for it rather than when the file is read: a list shows a handful of
// thousands of entries, and the entries it drops then cost no link.

// A reading-list entry's address: web pages wrapped in Quillbrook's open-url command, Quillbrook's own
// links tagged "readinglist", any other link as it parses; nothing for text that is no URL.
std::optional<Url> readingListLink(std::string_view address);

// A favorite's link text as it parses, Quillbrook's own links tagged "favorites" (web pages are not
// wrapped); nothing without text or when it does not parse.
std::optional<Url> favoritesLink(const std::optional<std::string>& linkText);

// x-quillbrook://open-workspace?name=<name>&widget=workspaces, the name encoded whole.
std::optional<Url> workspaceLink(std::string_view name);

}  // namespace qb
