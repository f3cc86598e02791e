#pragma once

// The values that views are styled and placed with: text styles, colours, alignments, insets, frames.

#include <optional>
#include <string_view>
#include <variant>

namespace qb::ui {

enum class Font { body, largeTitle, title3, headline, callout, caption, caption2 };
enum class FontWeight { regular, semibold };
// Hierarchical foreground levels of the current foreground colour.
enum class Level { primary, secondary, tertiary };
// Named colours; `clear` is fully transparent.
enum class Color { red, orange, yellow, green, blue, purple, gray, white, clear };
// A foreground: a hierarchical level or a named colour.
using Foreground = std::variant<Level, Color>;
// The container background of a widget: the fill style at a hierarchical level.
struct FillBackground {
    Level level = Level::tertiary;
    friend bool operator==(const FillBackground&, const FillBackground&) = default;
};

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom, firstTextBaseline };
enum class TextAlignment { leading, center, trailing };

struct EdgeInsets {
    double top = 0, leading = 0, bottom = 0, trailing = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};
enum class Edge { top, leading, bottom, trailing, horizontal, vertical, all };

// A fixed width, height or both; the content is centred in it.
struct Frame {
    std::optional<double> width, height;
    friend bool operator==(const Frame&, const Frame&) = default;
};

// Names of the enumerations as written in dumps and JSON ("red", "caption2", "secondary", ...).
std::string_view colorName(Color color);
std::string_view fontName(Font font);
std::string_view levelName(Level level);
std::string_view alignmentName(HorizontalAlignment alignment);
std::string_view alignmentName(VerticalAlignment alignment);
std::string_view alignmentName(TextAlignment alignment);

}  // namespace qb::ui
