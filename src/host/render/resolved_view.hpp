#pragma once

// A view tree resolved for drawing: what every renderer needs, worked out once. Each node carries its
// content, the style it inherited (font, weight, foreground, line limit, text alignment, accent) and
// where it sits (padding, frame, capsule background); texts are final, links are checked against the
// link policy, symbols come with their icon names and terminal glyph, images with their decoded bitmap,
// and the framework's default spacings are filled in. A renderer only draws it.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/url.hpp"
#include "ui/indirect.hpp"
#include "ui/style.hpp"
#include "ui/symbols.hpp"
#include "ui/view.hpp"

namespace qb {
class Image;
}

namespace qb::host::resolved {

// The framework's default spacing between a stack's children and default spacer length, in points.
inline constexpr double defaultSpacing = 8;
inline constexpr double defaultSpacerLength = 8;

enum class Axis { vertical, horizontal };
// Where a stack places its children across its axis: at the start (leading or top), centred, at the
// end (trailing or bottom), or on their first text baseline (rows only).
enum class CrossAlignment { start, center, end, firstTextBaseline };

// The style a node draws with: its own modifiers, else its nearest ancestor's, else the defaults.
struct Style {
    ui::Font font = ui::Font::body;
    std::optional<ui::FontWeight> fontWeight;  // none: the font's own weight
    ui::Foreground foreground = ui::Level::primary;
    std::optional<int> lineLimit;  // none: as many lines as fit
    ui::TextAlignment textAlignment = ui::TextAlignment::leading;
    // In the accent group (the node or an ancestor is widget-accentable) while the rendering mode
    // tints the widget: drawn in the accent colour instead of its own.
    bool accented = false;
    friend bool operator==(const Style&, const Style&) = default;
};

// Where a node sits: padding outside its frame, a fixed width or height (the content centred in it),
// a capsule of a colour drawn behind it.
struct Placement {
    ui::EdgeInsets padding;
    ui::Frame frame;
    std::optional<ui::Color> background;
    friend bool operator==(const Placement&, const Placement&) = default;
};

struct Node;

struct Empty {
    friend bool operator==(const Empty&, const Empty&) = default;
};
struct Stack {
    Axis axis = Axis::vertical;
    CrossAlignment alignment = CrossAlignment::center;
    double spacing = defaultSpacing;  // points between children
    std::vector<Node> children;
    friend bool operator==(const Stack&, const Stack&) = default;
};
struct Spacer {  // flexible space along the stack it stands in
    double minLength = defaultSpacerLength;
    friend bool operator==(const Spacer&, const Spacer&) = default;
};
struct Divider {
    // The direction the line runs: across the stack it stands in (horizontal in a column or alone).
    Axis axis = Axis::horizontal;
    friend bool operator==(const Divider&, const Divider&) = default;
};
struct Text {
    // As shown: localized, with its argument, without bidirectional embedding, override and isolate
    // controls (so that no text reorders another); not yet escaped for any output.
    std::string string;
    friend bool operator==(const Text&, const Text&) = default;
};
struct Symbol {
    std::string name;                 // as the view named it
    const ui::SymbolInfo* info = {};  // its freedesktop icon names and terminal glyph; never null
    friend bool operator==(const Symbol&, const Symbol&) = default;
};
struct Bitmap {
    std::shared_ptr<const Image> image;  // decoded; none when the view held none
    bool resizable = false;
    bool aspectRatioFit = false;
    bool interpolationHigh = false;
    friend bool operator==(const Bitmap&, const Bitmap&) = default;
};
struct Circle {
    ui::Color fill = ui::Color::clear;
    friend bool operator==(const Circle&, const Circle&) = default;
};
struct Link {
    std::optional<Url> destination;  // none when the link policy refused it: the label is drawn inert
    ui::Indirect<Node> label;
    friend bool operator==(const Link&, const Link&) = default;
};

using Content = std::variant<Empty, Stack, Spacer, Divider, Text, Symbol, Bitmap, Circle, Link>;

struct Node {
    Content content;
    Style style;
    Placement placement;

    template <class Kind>
    const Kind* as() const {
        return std::get_if<Kind>(&content);
    }
    // A stack's children, a link's label.
    std::span<const Node> children() const;

    friend bool operator==(const Node&, const Node&) = default;
};

// A whole widget's view, resolved.
struct Tree {
    Node root;
    ui::Environment environment;
    // What a click anywhere on the widget opens: the first widget URL set in the tree, if the link
    // policy allows it.
    std::optional<Url> widgetURL;
    std::optional<ui::FillBackground> containerBackground;  // the root's
    bool tinted() const { return environment.renderingMode != WidgetRenderingMode::fullColor; }
};

}  // namespace qb::host::resolved
