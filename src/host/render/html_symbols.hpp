#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb::host {

// A symbol as inline SVG markup, drawn in the current text colour at 1em: the first of the symbol's
// freedesktop icon names found in the installed icon themes (ui::iconFile), or its glyph in a span
// when none is. Only SVG files inside a theme folder are inlined. Looked up once per symbol and kept.
void appendSymbolHtml(std::string_view symbolName, std::string& out);

// The markup for one icon file, if it is an SVG inside one of the theme folders (links that lead out
// of them are not followed) and sanitizedSvg accepts it.
std::optional<std::string> themeIconSvg(const std::filesystem::path& file,
                                        const std::vector<std::filesystem::path>& themes);

// SVG markup reduced to the drawing elements and attributes that cannot run code or load anything:
// no scripts, event handlers, links, styles or foreign content; fills and strokes drawn in
// currentColor. Nothing when the text is no well-formed SVG.
std::optional<std::string> sanitizedSvg(std::string_view svgText);

}  // namespace qb::host
