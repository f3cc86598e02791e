#include "ui/view.hpp"

#include <fmt/format.h>

#include <array>
#include <utility>

#include "platform/image.hpp"
#include "platform/terminal_text.hpp"

namespace qb::ui {

// Modifiers.

View&& View::spacing(double value) && {
    stackSpacing = value;
    return std::move(*this);
}

View&& View::font(Font value) && {
    fontRole = value;
    return std::move(*this);
}

View&& View::fontWeight(FontWeight value) && {
    weight = value;
    return std::move(*this);
}

View&& View::foregroundStyle(Foreground value) && {
    foreground = value;
    return std::move(*this);
}

View&& View::lineLimit(int value) && {
    maxLines = value;
    return std::move(*this);
}

View&& View::multilineTextAlignment(TextAlignment value) && {
    textAlignment = value;
    return std::move(*this);
}

View&& View::padding(Edge edges, double length) && {
    // Paddings accumulate, as nested padding modifiers would.
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
    if (width) frameWidth = width;
    if (height) frameHeight = height;
    return std::move(*this);
}

View&& View::widgetAccentable() && {
    accentable = true;
    return std::move(*this);
}

View&& View::background(Color capsuleColor) && {
    capsuleBackground = capsuleColor;
    return std::move(*this);
}

View&& View::widgetURL(std::optional<Url> url) && {
    widgetDestination = std::move(url);
    return std::move(*this);
}

View&& View::containerBackground(FillBackground background) && {
    containerFill = background;
    return std::move(*this);
}

View&& View::resizable() && {
    isResizable = true;
    return std::move(*this);
}

View&& View::aspectRatioFit() && {
    aspectFit = true;
    return std::move(*this);
}

View&& View::interpolationHigh() && {
    highQualityInterpolation = true;
    return std::move(*this);
}

bool operator==(const View& a, const View& b) {
    const bool sameImage = a.image == b.image || (a.image && b.image && *a.image == *b.image);
    return a.kind == b.kind && a.horizontalAlignment == b.horizontalAlignment &&
           a.verticalAlignment == b.verticalAlignment && a.stackSpacing == b.stackSpacing &&
           a.children == b.children && a.minLength == b.minLength && a.text == b.text &&
           a.localizable == b.localizable && a.formatArgument == b.formatArgument && sameImage &&
           a.isResizable == b.isResizable && a.aspectFit == b.aspectFit &&
           a.highQualityInterpolation == b.highQualityInterpolation && a.fill == b.fill &&
           a.destination == b.destination && a.fontRole == b.fontRole && a.weight == b.weight &&
           a.foreground == b.foreground && a.maxLines == b.maxLines && a.textAlignment == b.textAlignment &&
           a.insets == b.insets && a.frameWidth == b.frameWidth && a.frameHeight == b.frameHeight &&
           a.accentable == b.accentable && a.capsuleBackground == b.capsuleBackground &&
           a.widgetDestination == b.widgetDestination && a.containerFill == b.containerFill;
}

// Builders.

namespace {

View viewOf(ViewKind kind) {
    View view;
    view.kind = kind;
    return view;
}

View stack(ViewKind kind, std::vector<View> children) {
    View view = viewOf(kind);
    view.children = std::move(children);
    return view;
}

View textView(std::string text, bool localizable, std::optional<std::int64_t> argument) {
    View view = viewOf(ViewKind::text);
    view.text = std::move(text);
    view.localizable = localizable;
    view.formatArgument = argument;
    return view;
}

}  // namespace

View emptyView() {
    return viewOf(ViewKind::empty);
}

View vstack(HorizontalAlignment alignment, std::vector<View> children) {
    View view = stack(ViewKind::vstack, std::move(children));
    view.horizontalAlignment = alignment;
    return view;
}

View vstack(std::vector<View> children) {
    return stack(ViewKind::vstack, std::move(children));
}

View hstack(VerticalAlignment alignment, std::vector<View> children) {
    View view = stack(ViewKind::hstack, std::move(children));
    view.verticalAlignment = alignment;
    return view;
}

View hstack(std::vector<View> children) {
    return stack(ViewKind::hstack, std::move(children));
}

View spacer(std::optional<double> minLength) {
    View view = viewOf(ViewKind::spacer);
    view.minLength = minLength;
    return view;
}

View divider() {
    return viewOf(ViewKind::divider);
}

View verbatim(std::string text) {
    return textView(std::move(text), false, std::nullopt);
}

View localizedText(std::string key) {
    return textView(std::move(key), true, std::nullopt);
}

View localizedText(std::string key, std::int64_t argument) {
    return textView(std::move(key), true, argument);
}

View symbol(std::string name) {
    View view = viewOf(ViewKind::symbol);
    view.text = std::move(name);
    return view;
}

View image(std::shared_ptr<const Image> image) {
    View view = viewOf(ViewKind::image);
    view.image = std::move(image);
    return view;
}

View circle(Color fill) {
    View view = viewOf(ViewKind::circle);
    view.fill = fill;
    return view;
}

View link(std::optional<Url> destination, View label) {
    if (!destination) return label;
    View view = viewOf(ViewKind::link);
    view.destination = std::move(destination);
    view.children.push_back(std::move(label));
    return view;
}

// Names.

std::string_view colorName(Color color) {
    switch (color) {
        case Color::red:
            return "red";
        case Color::orange:
            return "orange";
        case Color::yellow:
            return "yellow";
        case Color::green:
            return "green";
        case Color::blue:
            return "blue";
        case Color::purple:
            return "purple";
        case Color::gray:
            return "gray";
        case Color::white:
            return "white";
        case Color::clear:
            return "clear";
    }
    return "clear";
}

std::string_view fontName(Font font) {
    switch (font) {
        case Font::body:
            return "body";
        case Font::largeTitle:
            return "largeTitle";
        case Font::title3:
            return "title3";
        case Font::headline:
            return "headline";
        case Font::callout:
            return "callout";
        case Font::caption:
            return "caption";
        case Font::caption2:
            return "caption2";
    }
    return "body";
}

std::string_view levelName(Level level) {
    switch (level) {
        case Level::primary:
            return "primary";
        case Level::secondary:
            return "secondary";
        case Level::tertiary:
            return "tertiary";
    }
    return "primary";
}

// The dump.

namespace {

std::string_view kindName(ViewKind kind) {
    switch (kind) {
        case ViewKind::empty:
            return "empty";
        case ViewKind::vstack:
            return "vstack";
        case ViewKind::hstack:
            return "hstack";
        case ViewKind::spacer:
            return "spacer";
        case ViewKind::divider:
            return "divider";
        case ViewKind::text:
            return "text";
        case ViewKind::symbol:
            return "symbol";
        case ViewKind::image:
            return "image";
        case ViewKind::circle:
            return "circle";
        case ViewKind::link:
            return "link";
    }
    return "empty";
}

std::string_view alignmentName(HorizontalAlignment alignment) {
    switch (alignment) {
        case HorizontalAlignment::leading:
            return "leading";
        case HorizontalAlignment::center:
            return "center";
        case HorizontalAlignment::trailing:
            return "trailing";
    }
    return "center";
}

std::string_view alignmentName(VerticalAlignment alignment) {
    switch (alignment) {
        case VerticalAlignment::top:
            return "top";
        case VerticalAlignment::center:
            return "center";
        case VerticalAlignment::bottom:
            return "bottom";
        case VerticalAlignment::firstTextBaseline:
            return "firstTextBaseline";
    }
    return "center";
}

std::string_view alignmentName(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::leading:
            return "leading";
        case TextAlignment::center:
            return "center";
        case TextAlignment::trailing:
            return "trailing";
    }
    return "leading";
}

// A string in double quotes with every control character escaped, so that a dump line never breaks and
// a dump printed on a terminal is inert.
std::string quoted(std::string_view text) {
    return quotedForMessage(text);
}

std::string number(double value) {
    return fmt::format("{}", value);
}

std::string properties(const View& view) {
    std::string out;
    const auto add = [&out](std::string_view item) {
        out += ' ';
        out += item;
    };
    switch (view.kind) {
        case ViewKind::vstack:
            if (view.horizontalAlignment != HorizontalAlignment::center)
                add(fmt::format("alignment={}", alignmentName(view.horizontalAlignment)));
            break;
        case ViewKind::hstack:
            if (view.verticalAlignment != VerticalAlignment::center)
                add(fmt::format("alignment={}", alignmentName(view.verticalAlignment)));
            break;
        case ViewKind::text:
            add(quoted(view.text));
            if (view.localizable) add("localized");
            if (view.formatArgument) add(fmt::format("argument={}", *view.formatArgument));
            break;
        case ViewKind::symbol:
            add(quoted(view.text));
            break;
        case ViewKind::image:
            if (view.image) {
                add(fmt::format("{}x{}", view.image->width(), view.image->height()));
            } else {
                add("none");
            }
            if (view.isResizable) add("resizable");
            if (view.aspectFit) add("aspectFit");
            if (view.highQualityInterpolation) add("interpolation=high");
            break;
        case ViewKind::circle:
            add(fmt::format("fill={}", colorName(view.fill)));
            break;
        case ViewKind::link:
            if (view.destination) add(fmt::format("url={}", quoted(view.destination->string())));
            break;
        case ViewKind::empty:
        case ViewKind::spacer:
        case ViewKind::divider:
            break;
    }
    if (view.stackSpacing) add(fmt::format("spacing={}", number(*view.stackSpacing)));
    if (view.minLength) add(fmt::format("min={}", number(*view.minLength)));

    if (view.fontRole) add(fmt::format("font={}", fontName(*view.fontRole)));
    if (view.weight) add(view.weight == FontWeight::semibold ? "weight=semibold" : "weight=regular");
    if (view.foreground) {
        const auto name = std::holds_alternative<Level>(*view.foreground)
                              ? levelName(std::get<Level>(*view.foreground))
                              : colorName(std::get<Color>(*view.foreground));
        add(fmt::format("foreground={}", name));
    }
    if (view.maxLines) add(fmt::format("lineLimit={}", *view.maxLines));
    if (view.textAlignment) add(fmt::format("textAlignment={}", alignmentName(*view.textAlignment)));
    const std::array<std::pair<std::string_view, double>, 4> edges{{{"top", view.insets.top},
                                                                    {"leading", view.insets.leading},
                                                                    {"bottom", view.insets.bottom},
                                                                    {"trailing", view.insets.trailing}}};
    for (const auto& [edge, length] : edges)
        if (length != 0) add(fmt::format("padding.{}={}", edge, number(length)));
    if (view.frameWidth && view.frameHeight) {
        add(fmt::format("frame={}x{}", number(*view.frameWidth), number(*view.frameHeight)));
    } else if (view.frameWidth) {
        add(fmt::format("frame.width={}", number(*view.frameWidth)));
    } else if (view.frameHeight) {
        add(fmt::format("frame.height={}", number(*view.frameHeight)));
    }
    if (view.accentable) add("accentable");
    if (view.capsuleBackground) add(fmt::format("background={}", colorName(*view.capsuleBackground)));
    if (view.widgetDestination) add(fmt::format("widgetURL={}", quoted(view.widgetDestination->string())));
    if (view.containerFill) add(fmt::format("containerBackground={}", levelName(view.containerFill->level)));
    return out;
}

void dumpInto(std::string& out, const View& view, int depth) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += kindName(view.kind);
    out += properties(view);
    out += '\n';
    for (const View& child : view.children) dumpInto(out, child, depth + 1);
}

}  // namespace

std::string dump(const View& view) {
    std::string out;
    dumpInto(out, view, 0);
    return out;
}

}  // namespace qb::ui
