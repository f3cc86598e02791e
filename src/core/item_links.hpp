#pragma once

#include <optional>
#include <string_view>

#include "platform/url.hpp"

namespace qb {

// `url` with a "widget" query item naming the widget it came from, appended after the items it already
// has, when its scheme is one of Quillbrook's own ("x-quillbrook", "x-quillbrook-item",
// "x-quillbrook-smartgroup", in any letter case); any other URL, or one that cannot be recomposed,
// comes back unchanged.
Url taggedForWidget(const Url& url, std::string_view widgetIdentifier);

// The URL a click on an item with the given link text opens: web pages (http, https) wrapped in
// x-quillbrook://open-url?location=<the whole text, encoded>&widget=<id>, Quillbrook's own links
// tagged, any other link as it parses. Nothing when the text is no URL.
std::optional<Url> quillbrookOpenURL(std::string_view linkText, std::string_view widgetIdentifier);

}  // namespace qb
