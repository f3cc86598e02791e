// The text dump of a view tree: a node a line, its kind, then what its content and its modifiers set
// that differs from the defaults.

#include <fmt/format.h>

#include <array>
#include <utility>

#include "platform/image.hpp"
#include "platform/terminal_text.hpp"
#include "ui/view.hpp"

namespace qb::ui {
namespace {

// A string in double quotes with every control character escaped, so that a dump line never breaks and
// a dump printed on a terminal is inert.
std::string quoted(std::string_view text) {
    return quotedForMessage(text);
}

std::string number(double value) {
    return fmt::format("{}", value);
}

// Writes a node's kind and the properties of its content.
struct ContentDump {
    std::string& out;

    void add(std::string_view item) {
        out += ' ';
        out += item;
    }
    template <class Stack>
    void stack(std::string_view kind, const Stack& content, decltype(content.alignment) centred) {
        out += kind;
        if (content.alignment != centred) add(fmt::format("alignment={}", alignmentName(content.alignment)));
        if (content.spacing) add(fmt::format("spacing={}", number(*content.spacing)));
    }

    void operator()(const Empty&) { out += "empty"; }
    void operator()(const VStack& content) { stack("vstack", content, HorizontalAlignment::center); }
    void operator()(const HStack& content) { stack("hstack", content, VerticalAlignment::center); }
    void operator()(const Spacer& content) {
        out += "spacer";
        if (content.minLength) add(fmt::format("min={}", number(*content.minLength)));
    }
    void operator()(const Divider&) { out += "divider"; }
    void operator()(const Text& content) {
        out += "text";
        add(quoted(content.text));
        if (content.localizable) add("localized");
        if (content.formatArgument) add(fmt::format("argument={}", *content.formatArgument));
    }
    void operator()(const Symbol& content) {
        out += "symbol";
        add(quoted(content.name));
    }
    void operator()(const Bitmap& content) {
        out += "image";
        const auto& image = content.image.image;
        add(image ? fmt::format("{}x{}", image->width(), image->height()) : std::string("none"));
        if (content.resizable) add("resizable");
        if (content.aspectRatioFit) add("aspectFit");
        if (content.interpolationHigh) add("interpolation=high");
    }
    void operator()(const Circle& content) {
        out += "circle";
        add(fmt::format("fill={}", colorName(content.fill)));
    }
    void operator()(const Link& content) {
        out += "link";
        add(fmt::format("url={}", quoted(content.destination.string())));
    }
};

void dumpModifiers(std::string& out, const Modifiers& modifiers) {
    const auto add = [&out](std::string_view item) {
        out += ' ';
        out += item;
    };
    if (modifiers.font) add(fmt::format("font={}", fontName(*modifiers.font)));
    if (modifiers.fontWeight)
        add(modifiers.fontWeight == FontWeight::semibold ? "weight=semibold" : "weight=regular");
    if (const auto& foreground = modifiers.foregroundStyle) {
        const auto name = std::holds_alternative<Level>(*foreground)
                              ? levelName(std::get<Level>(*foreground))
                              : colorName(std::get<Color>(*foreground));
        add(fmt::format("foreground={}", name));
    }
    if (modifiers.lineLimit) add(fmt::format("lineLimit={}", *modifiers.lineLimit));
    if (modifiers.multilineTextAlignment)
        add(fmt::format("textAlignment={}", alignmentName(*modifiers.multilineTextAlignment)));
    const EdgeInsets& insets = modifiers.padding;
    const std::array<std::pair<std::string_view, double>, 4> edges{{{"top", insets.top},
                                                                    {"leading", insets.leading},
                                                                    {"bottom", insets.bottom},
                                                                    {"trailing", insets.trailing}}};
    for (const auto& [edge, length] : edges)
        if (length != 0) add(fmt::format("padding.{}={}", edge, number(length)));
    const Frame& frame = modifiers.frame;
    if (frame.width && frame.height) {
        add(fmt::format("frame={}x{}", number(*frame.width), number(*frame.height)));
    } else if (frame.width) {
        add(fmt::format("frame.width={}", number(*frame.width)));
    } else if (frame.height) {
        add(fmt::format("frame.height={}", number(*frame.height)));
    }
    if (modifiers.widgetAccentable) add("accentable");
    if (modifiers.background) add(fmt::format("background={}", colorName(*modifiers.background)));
    if (modifiers.widgetURL) add(fmt::format("widgetURL={}", quoted(modifiers.widgetURL->string())));
    if (modifiers.containerBackground)
        add(fmt::format("containerBackground={}", levelName(modifiers.containerBackground->level)));
}

void dumpInto(std::string& out, const View& view, int depth) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    std::visit(ContentDump{out}, view.content);
    dumpModifiers(out, view.modifiers);
    out += '\n';
    for (const View& child : view.children()) dumpInto(out, child, depth + 1);
}

}  // namespace

std::string dump(const View& view) {
    std::string out;
    dumpInto(out, view, 0);
    return out;
}

}  // namespace qb::ui
