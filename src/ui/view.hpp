#pragma once

// The view tree that entry views build and renderers walk: a small value tree in the spirit of a
// declarative view framework. Build it with the free functions and chain modifiers:
//     vstack({text("Tips").font(Font::headline), spacer(2)}).spacing(4)
//
// A view is one node kind (its content: a stack, a text, a symbol, ...) and the modifiers applied to
// it. Both are plain values compared member by member, so a new field takes part in equality by itself.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/url.hpp"
#include "ui/indirect.hpp"
#include "ui/style.hpp"
#include "environment/family.hpp"

namespace qb {
class Image;
}

namespace qb::ui {

// What a view reads from where it is drawn.
struct Environment {
    WidgetFamily family = WidgetFamily::systemMedium;
    WidgetRenderingMode renderingMode = WidgetRenderingMode::fullColor;
};

struct View;

// A decoded image shared by the copies of a tree and compared by its pixels, not by its address.
struct SharedImage {
    std::shared_ptr<const Image> image;
    friend bool operator==(const SharedImage& a, const SharedImage& b);
};

// The node kinds. Stacks without spacing use the framework's default spacing; a spacer without a
// minimum length uses the framework's default length.
struct Empty {  // draws nothing
    friend bool operator==(const Empty&, const Empty&) = default;
};
struct VStack {  // children top to bottom
    HorizontalAlignment alignment = HorizontalAlignment::center;
    std::optional<double> spacing;
    std::vector<View> children;
    friend bool operator==(const VStack&, const VStack&) = default;
};
struct HStack {  // children leading to trailing
    VerticalAlignment alignment = VerticalAlignment::center;
    std::optional<double> spacing;
    std::vector<View> children;
    friend bool operator==(const HStack&, const HStack&) = default;
};
struct Spacer {  // flexible space of at least `minLength`
    std::optional<double> minLength;
    friend bool operator==(const Spacer&, const Spacer&) = default;
};
struct Divider {  // a hairline: horizontal, or vertical inside a horizontal stack
    friend bool operator==(const Divider&, const Divider&) = default;
};
struct Text {  // shown verbatim, or a key looked up in the string table with an optional "%lld" value
    std::string text;
    bool localizable = false;
    std::optional<std::int64_t> formatArgument;
    friend bool operator==(const Text&, const Text&) = default;
};
struct Symbol {  // a symbol image by name ("doc.text")
    std::string name;
    friend bool operator==(const Symbol&, const Symbol&) = default;
};
struct Bitmap {  // a decoded image
    SharedImage image;
    bool resizable = false;
    bool aspectRatioFit = false;
    bool interpolationHigh = false;
    friend bool operator==(const Bitmap&, const Bitmap&) = default;
};
struct Circle {  // a circle filled with `fill`
    Color fill = Color::clear;
    friend bool operator==(const Circle&, const Circle&) = default;
};
struct Link {  // a click target around its label, opening `destination`
    Url destination;
    Indirect<View> label;
    friend bool operator==(const Link&, const Link&) = default;
};

using Content = std::variant<Empty, VStack, HStack, Spacer, Divider, Text, Symbol, Bitmap, Circle, Link>;

// What the modifiers set, each field named like its modifier. Font, weight, foreground, line limit and
// text alignment are inherited by descendants unless they set their own, and so is membership of the
// accent group. Padding lies outside the frame.
struct Modifiers {
    std::optional<Font> font;
    std::optional<FontWeight> fontWeight;
    std::optional<Foreground> foregroundStyle;
    std::optional<int> lineLimit;
    std::optional<TextAlignment> multilineTextAlignment;
    EdgeInsets padding;  // accumulated
    Frame frame;
    bool widgetAccentable = false;    // the view and its descendants are tinted in tinted modes
    std::optional<Color> background;  // drawn behind the view as a capsule
    std::optional<Url> widgetURL;     // what a click anywhere on the widget opens
    std::optional<FillBackground> containerBackground;
    friend bool operator==(const Modifiers&, const Modifiers&) = default;
};

struct View {
    Content content;
    Modifiers modifiers;

    // Modifiers, chainable on temporaries.
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
    // Settings of one node kind; other kinds ignore them. Stacks:
    View&& spacing(double value) &&;
    // Images:
    View&& resizable() &&;
    View&& aspectRatioFit() &&;
    View&& interpolationHigh() &&;

    // The content as one kind, or nothing when it is another.
    template <class Kind>
    const Kind* as() const {
        return std::get_if<Kind>(&content);
    }
    // The views this one holds: a stack's children, a link's label.
    std::span<const View> children() const;
    // The k-th of them; throws std::out_of_range past the last.
    const View& child(std::size_t k) const;

    friend bool operator==(const View&, const View&) = default;
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

// A stable text dump, one node a line, children indented by two blanks, used by tests and by
// `--format tree`.
std::string dump(const View& view);

}  // namespace qb::ui
