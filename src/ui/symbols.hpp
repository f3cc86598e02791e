#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace qb::ui {

// How a symbol image named in a view tree is drawn on this desktop.
struct SymbolInfo {
    std::string_view name;                    // the symbol name the widgets use ("doc.text")
    std::vector<std::string_view> iconNames;  // freedesktop icon names, to be tried in this order
    std::string_view glyph;                   // one terminal cell, when no icon can be drawn
};

// The entry for a symbol name; for a name the widgets do not use, a generic document entry (whose
// `name` is empty).
const SymbolInfo& symbolInfo(std::string_view name);

// Every symbol name the widgets use, in a fixed order.
const std::vector<SymbolInfo>& symbolTable();

// The icon theme folders searched by `iconFile`: Adwaita, then hicolor, under /usr/share/icons.
std::vector<std::filesystem::path> defaultIconThemes();

// The file of the first of the symbol's icon names that one of the themes holds (the first theme
// that has it, scalable drawings before fixed sizes); none when no theme has any of them.
std::optional<std::filesystem::path> iconFile(
    const SymbolInfo& symbol, const std::vector<std::filesystem::path>& themes = defaultIconThemes());

}  // namespace qb::ui
