#include "ui/view.hpp"

#include <fmt/format.h>

#include <stdexcept>
#include <utility>

#include "platform/image.hpp"

namespace qb::ui {

bool operator==(const SharedImage& a, const SharedImage& b) {
    return a.image == b.image || (a.image && b.image && *a.image == *b.image);
}

// Modifiers.

View&& View::font(Font value) && {
    modifiers.font = value;
    return std::move(*this);
}

View&& View::fontWeight(FontWeight value) && {
    modifiers.fontWeight = value;
    return std::move(*this);
}

View&& View::foregroundStyle(Foreground value) && {
    modifiers.foregroundStyle = value;
    return std::move(*this);
}

View&& View::lineLimit(int value) && {
    modifiers.lineLimit = value;
    return std::move(*this);
}

View&& View::multilineTextAlignment(TextAlignment value) && {
    modifiers.multilineTextAlignment = value;
    return std::move(*this);
}

View&& View::padding(Edge edges, double length) && {
    // Paddings accumulate, as nested padding modifiers would.
    EdgeInsets& insets = modifiers.padding;
    const bool all = edges == Edge::all;
    const bool vertical = all || edges == Edge::vertical;
    const bool horizontal = all || edges == Edge::horizontal;
    if (vertical || edges == Edge::top) insets.top += length;
    if (vertical || edges == Edge::bottom) insets.bottom += length;
    if (horizontal || edges == Edge::leading) insets.leading += length;
    if (horizontal || edges == Edge::trailing) insets.trailing += length;
    return std::move(*this);
}

View&& View::frame(std::optional<double> width, std::optional<double> height) && {
    if (width) modifiers.frame.width = width;
    if (height) modifiers.frame.height = height;
    return std::move(*this);
}

View&& View::widgetAccentable() && {
    modifiers.widgetAccentable = true;
    return std::move(*this);
}

View&& View::background(Color capsuleColor) && {
    modifiers.background = capsuleColor;
    return std::move(*this);
}

View&& View::widgetURL(std::optional<Url> url) && {
    modifiers.widgetURL = std::move(url);
    return std::move(*this);
}

View&& View::containerBackground(FillBackground background) && {
    modifiers.containerBackground = background;
    return std::move(*this);
}

View&& View::spacing(double value) && {
    if (auto* stack = std::get_if<VStack>(&content)) stack->spacing = value;
    if (auto* stack = std::get_if<HStack>(&content)) stack->spacing = value;
    return std::move(*this);
}

View&& View::resizable() && {
    if (auto* bitmap = std::get_if<Bitmap>(&content)) bitmap->resizable = true;
    return std::move(*this);
}

View&& View::aspectRatioFit() && {
    if (auto* bitmap = std::get_if<Bitmap>(&content)) bitmap->aspectRatioFit = true;
    return std::move(*this);
}

View&& View::interpolationHigh() && {
    if (auto* bitmap = std::get_if<Bitmap>(&content)) bitmap->interpolationHigh = true;
    return std::move(*this);
}

std::span<const View> View::children() const {
    if (const auto* stack = as<VStack>()) return stack->children;
    if (const auto* stack = as<HStack>()) return stack->children;
    if (const auto* link = as<Link>()) return {&*link->label, 1};
    return {};
}

const View& View::child(std::size_t k) const {
    const auto all = children();
    if (k >= all.size()) throw std::out_of_range(fmt::format("view child {} of {}", k, all.size()));
    return all[k];
}

// Builders.

View emptyView() {
    return {};
}

View vstack(HorizontalAlignment alignment, std::vector<View> children) {
    return {VStack{alignment, std::nullopt, std::move(children)}, {}};
}

View vstack(std::vector<View> children) {
    return vstack(HorizontalAlignment::center, std::move(children));
}

View hstack(VerticalAlignment alignment, std::vector<View> children) {
    return {HStack{alignment, std::nullopt, std::move(children)}, {}};
}

View hstack(std::vector<View> children) {
    return hstack(VerticalAlignment::center, std::move(children));
}

View spacer(std::optional<double> minLength) {
    return {Spacer{minLength}, {}};
}

View divider() {
    return {Divider{}, {}};
}

View verbatim(std::string text) {
    return {Text{std::move(text), false, std::nullopt}, {}};
}

View localizedText(std::string key) {
    return {Text{std::move(key), true, std::nullopt}, {}};
}

View localizedText(std::string key, std::int64_t argument) {
    return {Text{std::move(key), true, argument}, {}};
}

View symbol(std::string name) {
    return {Symbol{std::move(name)}, {}};
}

View image(std::shared_ptr<const Image> image) {
    return {Bitmap{{std::move(image)}, false, false, false}, {}};
}

View circle(Color fill) {
    return {Circle{fill}, {}};
}

View link(std::optional<Url> destination, View label) {
    if (!destination) return label;
    return {Link{std::move(*destination), std::move(label)}, {}};
}

}  // namespace qb::ui
