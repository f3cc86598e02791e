#pragma once

// Widgets drawn as HTML: each view tree mapped to flex boxes at its family's size, with the desktop's
// text styles, colours for light and dark, symbols from the installed icon theme, and links only for
// the schemes a click may open. Every text and attribute is escaped.

#include <string>
#include <string_view>
#include <vector>

#include "host/render/resolved_view.hpp"
#include "ui/view.hpp"
#include "environment/family.hpp"

namespace qb::host {

// One widget to draw.
struct HtmlTile {
    std::string kind;
    std::string displayName;  // a localization key
    WidgetFamily family = WidgetFamily::systemMedium;
    WidgetRenderingMode renderingMode = WidgetRenderingMode::fullColor;
    ui::View view;
};

// The size a family's widget is drawn at, in CSS pixels (one per layout point).
struct TileSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const TileSize&, const TileSize&) = default;
};
TileSize tileSize(WidgetFamily family);

// One widget as an HTML fragment (a box of its family's size). Needs the styles of widgetStyles().
std::string renderHtmlTile(const HtmlTile& tile);
// The same from the tile's view already resolved, for callers that read the tree too (its links).
std::string renderHtmlTile(const HtmlTile& tile, const resolved::Tree& tree);

// A self-contained page (no network) with every tile, each labelled with its name and family.
std::string renderHtmlPage(const std::vector<HtmlTile>& tiles, std::string_view title);

// The style sheet the tiles need, and the one of the page around them (background, groups, captions).
std::string_view widgetStyles();
std::string_view pageStyles();

}  // namespace qb::host
