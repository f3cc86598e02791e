#include "ui/style.hpp"

#include <array>
#include <cstddef>

namespace qb::ui {
namespace {

// The name of an enumerator, from a table in the enumeration's order.
template <class Enum, std::size_t count>
std::string_view nameIn(const std::array<std::string_view, count>& names, Enum value) {
    const auto index = static_cast<std::size_t>(value);
    return index < count ? names[index] : names[0];
}

}  // namespace

std::string_view colorName(Color color) {
    static constexpr std::array<std::string_view, 9> names{"red",    "orange", "yellow", "green", "blue",
                                                           "purple", "gray",   "white",  "clear"};
    return nameIn(names, color);
}

std::string_view fontName(Font font) {
    static constexpr std::array<std::string_view, 7> names{"body",    "largeTitle", "title3",  "headline",
                                                           "callout", "caption",    "caption2"};
    return nameIn(names, font);
}

std::string_view levelName(Level level) {
    static constexpr std::array<std::string_view, 3> names{"primary", "secondary", "tertiary"};
    return nameIn(names, level);
}

std::string_view alignmentName(HorizontalAlignment alignment) {
    static constexpr std::array<std::string_view, 3> names{"leading", "center", "trailing"};
    return nameIn(names, alignment);
}

std::string_view alignmentName(VerticalAlignment alignment) {
    static constexpr std::array<std::string_view, 4> names{"top", "center", "bottom", "firstTextBaseline"};
    return nameIn(names, alignment);
}

std::string_view alignmentName(TextAlignment alignment) {
    static constexpr std::array<std::string_view, 3> names{"leading", "center", "trailing"};
    return nameIn(names, alignment);
}

}  // namespace qb::ui
