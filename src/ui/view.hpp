#pragma once

// The view tree that entry views build and renderers walk: a small value tree in the spirit of a
// declarative view framework. Build it with the free functions and chain modifiers:
//     vstack({text("Tips").font(Font::headline), spacer(2)}).spacing(4)

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/url.hpp"
#include "widgetkit/family.hpp"

namespace qb {
class Image;
}

namespace qb::ui {

// What a view reads from where it is drawn.
struct Environment {
    WidgetFamily family = WidgetFamily::systemMedium;
    WidgetRenderingMode renderingMode = WidgetRenderingMode::fullColor;
};

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

enum class ViewKind {
    empty,    // draws nothing
    vstack,   // children top to bottom
    hstack,   // children leading to trailing
    spacer,   // flexible space of at least `minLength`
    divider,  // a hairline: horizontal, or vertical inside a horizontal stack
    text,     // `text`, verbatim or a localization key (optionally with one integer argument)
    symbol,   // a symbol image by name
    image,    // a decoded bitmap image
    circle,   // a circle filled with `fill`
    link,     // a clickable wrapper around its one child, opening `destination`
};

struct View {
    ViewKind kind = ViewKind::empty;

    // Stacks. Horizontal alignment applies to vstacks, vertical alignment to hstacks. No spacing means
    // the framework's default spacing.
    HorizontalAlignment horizontalAlignment = HorizontalAlignment::center;
    VerticalAlignment verticalAlignment = VerticalAlignment::center;
    std::optional<double> stackSpacing;
    std::vector<View> children;

    // Spacers: no minimum length means the framework's default.
    std::optional<double> minLength;

    // Texts and symbols.
    std::string text;                            // the text, the localization key, or the symbol name
    bool localizable = false;                    // text is a key looked up in the string table
    std::optional<std::int64_t> formatArgument;  // the value of the key's "%lld"

    // Images: decoded once, shared by copies of the tree.
    std::shared_ptr<const Image> image;
    bool isResizable = false;
    bool aspectFit = false;
    bool highQualityInterpolation = false;

    // Circles.
    Color fill = Color::clear;

    // Links.
    std::optional<Url> destination;

    // What the modifiers set (the fields are named apart from the modifier functions that set them).
    // Font, weight, foreground, line limit and text alignment are inherited by descendants unless they
    // set their own. Padding lies outside the frame.
    std::optional<Font> fontRole;                   // font(...)
    std::optional<FontWeight> weight;               // fontWeight(...)
    std::optional<Foreground> foreground;           // foregroundStyle(...)
    std::optional<int> maxLines;                    // lineLimit(...)
    std::optional<TextAlignment> textAlignment;     // multilineTextAlignment(...)
    EdgeInsets insets;                              // padding(...), accumulated
    std::optional<double> frameWidth, frameHeight;  // frame(...)
    bool accentable = false;                        // widgetAccentable(): tinted in tinted rendering modes
    std::optional<Color> capsuleBackground;         // background(...): drawn behind the view as a capsule
    std::optional<Url> widgetDestination;         // widgetURL(...): what a click anywhere on the widget opens
    std::optional<FillBackground> containerFill;  // containerBackground(...)

    // Modifiers, chainable on temporaries and on named views.
    View&& spacing(double value) &&;
    View&& font(Font value) &&;
    View&& fontWeight(FontWeight value) &&;
    View&& foregroundStyle(Foreground value) &&;
    View&& lineLimit(int value) &&;
    View&& multilineTextAlignment(TextAlignment value) &&;
    View&& padding(Edge edges, double length) &&;
    View&& frame(std::optional<double> width, std::optional<double> height) &&;
    View&& widgetAccentable() &&;
    View&& background(Color capsuleColor) &&;
    View&& widgetURL(std::optional<Url> url) &&;
    View&& containerBackground(FillBackground background) &&;
    View&& resizable() &&;
    View&& aspectRatioFit() &&;
    View&& interpolationHigh() &&;

    friend bool operator==(const View&, const View&);
};

// Builders.
View emptyView();
View vstack(HorizontalAlignment alignment, std::vector<View> children);
View vstack(std::vector<View> children);  // centred
View hstack(VerticalAlignment alignment, std::vector<View> children);
View hstack(std::vector<View> children);  // centred
View spacer(std::optional<double> minLength = std::nullopt);
View divider();
View verbatim(std::string text);                             // shown as it is
View localizedText(std::string key);                         // looked up in the string table
View localizedText(std::string key, std::int64_t argument);  // key with one "%lld"
View symbol(std::string name);
View image(std::shared_ptr<const Image> image);
View circle(Color fill);
View link(std::optional<Url> destination, View label);  // no destination: the label alone, inert

// Names of the enumerations as written in dumps and JSON ("red", "caption2", "secondary", ...).
std::string_view colorName(Color color);
std::string_view fontName(Font font);
std::string_view levelName(Level level);

// A stable text dump, one node a line, children indented by two blanks, used by tests and by
// `--format tree`.
std::string dump(const View& view);

}  // namespace qb::ui
