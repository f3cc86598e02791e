#include "host/render/html.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "host/render/html_escape.hpp"
#include "host/render/html_symbols.hpp"
#include "host/render/resolve.hpp"
#include "host/render/view_greed.hpp"
#include "platform/image.hpp"
#include "platform/json.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

using resolved::Axis;
using resolved::Node;

std::string number(double value) {
    return fmt::format("{:g}", value);
}

// The name part of a foreground's class ("c-secondary", "c-yellow").
std::string_view foregroundName(const ui::Foreground& foreground) {
    const auto* level = std::get_if<ui::Level>(&foreground);
    return level ? ui::levelName(*level) : ui::colorName(std::get<ui::Color>(foreground));
}

std::string_view alignItems(resolved::CrossAlignment alignment) {
    switch (alignment) {
        case resolved::CrossAlignment::start:
            return "align-items:flex-start";
        case resolved::CrossAlignment::end:
            return "align-items:flex-end";
        case resolved::CrossAlignment::firstTextBaseline:
            return "align-items:baseline";
        case resolved::CrossAlignment::center:
            break;
    }
    return "align-items:center";
}

// The classes and inline style every element gets from its modifiers and its place in its parent.
struct Box {
    std::string classes;
    std::string style;

    // A class, or one made of a prefix and a name ("f-" and "caption").
    void add(std::string_view prefix, std::string_view name = {}) {
        if (!classes.empty()) classes += ' ';
        classes += prefix;
        classes += name;
    }
    void css(std::string_view declaration) {
        style += declaration;
        style += ';';
    }
    std::string attributes() const {
        std::string out;
        if (!classes.empty()) out += " class=\"" + escapeHtml(classes) + "\"";
        if (!style.empty()) out += " style=\"" + escapeHtml(style) + "\"";
        return out;
    }
};

// `axis` is the direction of the stack the node stands in; none places it without growing.
void placeInParent(Box& box, const Node& node, Greed greed, std::optional<Axis> axis) {
    const ui::Frame& frame = node.placement.frame;
    if (frame.width) {
        box.css(fmt::format("width:{}px;min-width:{}px", number(*frame.width), number(*frame.width)));
        greed.width = false;
    }
    if (frame.height) {
        box.css(fmt::format("height:{}px;min-height:{}px", number(*frame.height), number(*frame.height)));
        greed.height = false;
    }
    if (axis == Axis::vertical) {
        if (greed.width) box.css("align-self:stretch");
        if (greed.height) box.css("flex:1 1 0");
    } else if (axis == Axis::horizontal) {
        if (greed.width) box.css("flex:1 1 0");
        if (greed.height) box.css("align-self:stretch");
    }
    if (frame.width || frame.height) box.css("flex-shrink:0");
    const auto& insets = node.placement.padding;
    const auto& background = node.placement.background;
    if (insets != ui::EdgeInsets{}) {
        // Padding lies outside the frame, except around a capsule, which it widens.
        box.css(fmt::format("{}:{}px {}px {}px {}px", background ? "padding" : "margin", number(insets.top),
                            number(insets.trailing), number(insets.bottom), number(insets.leading)));
    }
    if (background) {
        box.add("qb-capsule");
        box.add("b-", ui::colorName(*background));
    }
}

void addTextClasses(Box& box, const resolved::Style& style) {
    box.add("f-", ui::fontName(style.font));
    if (style.fontWeight) box.add(style.fontWeight == ui::FontWeight::semibold ? "w-semibold" : "w-regular");
    box.add("c-", foregroundName(style.foreground));
    if (style.accented) box.add("qb-accent");
}

// Writes one node and its descendants; `axis` is the direction of the stack it stands in.
struct HtmlWriter {
    std::string& out;

    void writeNode(const Node& node, Axis axis) {
        std::visit([&](const auto& content) { write(node, content, axis); }, node.content);
    }

    void write(const Node&, const resolved::Empty&, Axis) {}

    void write(const Node& node, const resolved::Stack& stack, Axis axis) {
        Box box;
        box.add(stack.axis == Axis::vertical ? "qb-v" : "qb-h");
        if (stack.spacing != 0) box.css(fmt::format("gap:{}px", number(stack.spacing)));
        box.css(alignItems(stack.alignment));
        placeInParent(box, node, greedOf(node), axis);
        out += "<div" + box.attributes() + ">";
        for (const Node& child : stack.children) writeNode(child, stack.axis);
        out += "</div>";
    }

    void write(const Node&, const resolved::Spacer& spacer, Axis axis) {
        Box box;
        box.add("qb-spacer");
        box.css(fmt::format("{}:{}px", axis == Axis::horizontal ? "min-width" : "min-height",
                            number(spacer.minLength)));
        out += "<div" + box.attributes() + "></div>";
    }

    void write(const Node& node, const resolved::Divider& divider, Axis) {
        Box box;
        box.add(divider.axis == Axis::vertical ? "qb-div-v" : "qb-div-h");
        placeInParent(box, node, {}, std::nullopt);
        out += "<div" + box.attributes() + "></div>";
    }

    void write(const Node& node, const resolved::Text& text, Axis axis) {
        const resolved::Style& style = node.style;
        Box box;
        box.add("qb-t");
        addTextClasses(box, style);
        if (style.lineLimit == 1) {
            box.add("qb-l1");
        } else if (style.lineLimit) {
            box.add("qb-lc");
            box.css(fmt::format("-webkit-line-clamp:{}", std::max(1, *style.lineLimit)));
        } else {
            box.add("qb-lu");
        }
        if (style.textAlignment == ui::TextAlignment::center) box.css("text-align:center");
        if (style.textAlignment == ui::TextAlignment::trailing) box.css("text-align:right");
        placeInParent(box, node, {}, axis);
        // Each text is isolated and takes its direction from its own first strong character, so that a
        // right-to-left title lays itself out and leaves the texts around it as they are.
        out += "<span" + box.attributes() + " dir=\"auto\">";
        out += escapeHtml(text.string);
        out += "</span>";
    }

    void write(const Node& node, const resolved::Symbol& symbol, Axis axis) {
        Box box;
        box.add("qb-sym");
        addTextClasses(box, node.style);
        placeInParent(box, node, {}, axis);
        out += "<span" + box.attributes() + " data-symbol=\"" + escapeHtml(symbol.name) + "\">";
        appendSymbolHtml(symbol.name, out);
        out += "</span>";
    }

    void write(const Node& node, const resolved::Bitmap& bitmap, Axis axis) {
        if (!bitmap.image) return;
        Box box;
        box.add("qb-img");
        placeInParent(box, node, {}, axis);
        const auto width = node.placement.frame.width.value_or(bitmap.image->width());
        const auto height = node.placement.frame.height.value_or(bitmap.image->height());
        out += fmt::format("<img{} alt=\"\" width=\"{}\" height=\"{}\" src=\"data:image/png;base64,",
                           box.attributes(), number(width), number(height));
        out += base64Encode(bitmap.image->pngBytes());
        out += "\">";
    }

    void write(const Node& node, const resolved::Circle& circle, Axis axis) {
        Box box;
        box.add("qb-circle");
        box.add("b-", ui::colorName(circle.fill));
        if (node.style.accented && circle.fill != ui::Color::clear) box.add("qb-accent");
        if (!node.placement.frame.width || !node.placement.frame.height) box.css("aspect-ratio:1");
        placeInParent(box, node, greedOf(node), axis);
        out += "<span" + box.attributes() + "></span>";
    }

    void write(const Node& node, const resolved::Link& link, Axis axis) {
        Box box;
        box.add("qb-link");
        box.add("qb-item");
        placeInParent(box, node, greedOf(node), axis);
        if (link.destination) {
            out += "<a" + box.attributes() + " href=\"" + escapeHtml(link.destination->string()) + "\">";
        } else {
            box.add("qb-inert");
            out += "<span" + box.attributes() + ">";
        }
        writeNode(*link.label, Axis::vertical);
        out += link.destination ? "</a>" : "</span>";
    }
};

}  // namespace

TileSize tileSize(WidgetFamily family) {
    switch (family) {
        case WidgetFamily::systemSmall:
            return {170, 170};
        case WidgetFamily::systemMedium:
            return {364, 170};
        case WidgetFamily::systemLarge:
            return {364, 382};
        case WidgetFamily::systemExtraLarge:
            return {768, 382};
        case WidgetFamily::accessoryRectangular:
            return {172, 76};
    }
    return {364, 170};
}

std::string renderHtmlTile(const HtmlTile& tile) {
    return renderHtmlTile(tile, resolve(tile.view, {tile.family, tile.renderingMode}));
}

std::string renderHtmlTile(const HtmlTile& tile, const resolved::Tree& tree) {
    std::string content;
    content.reserve(8192);
    HtmlWriter{content}.writeNode(tree.root, Axis::vertical);
    const auto size = tileSize(tile.family);
    const bool clickable = tree.widgetURL.has_value();
    Box box;
    box.add("qb-widget");
    box.add("qb-", name(tile.family));
    box.add("qb-mode-", name(tile.renderingMode));
    if (tree.containerBackground) box.add("qb-fill");
    box.css(fmt::format("width:{}px;height:{}px", size.width, size.height));
    std::string open = fmt::format("{}{} data-kind=\"{}\" data-family=\"{}\"", clickable ? "<a" : "<div",
                                   box.attributes(), escapeHtml(tile.kind), name(tile.family));
    // A widget that is one link is named by what it shows, as any link is; any other is a group named
    // for its widget.
    if (clickable)
        open += " href=\"" + escapeHtml(tree.widgetURL->string()) + "\"";
    else
        open += " role=\"group\" aria-label=\"" + escapeHtml(localized(tile.displayName)) + "\"";
    return open + "><div class=\"qb-content\">" + content + "</div>" + (clickable ? "</a>" : "</div>");
}

std::string renderHtmlPage(const std::vector<HtmlTile>& tiles, std::string_view title) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "img-src data:; style-src 'unsafe-inline'\">"
        "<title>" +
        escapeHtml(title) + "</title><style>" + std::string(widgetStyles()) + std::string(pageStyles()) +
        "</style></head><body><main class=\"qb-page\"><h1>" + escapeHtml(title) + "</h1>";
    std::string currentKind;
    bool open = false;
    for (const auto& tile : tiles) {
        if (!open || tile.kind != currentKind) {
            if (open) page += "</div></section>";
            currentKind = tile.kind;
            open = true;
            page += "<section class=\"qb-group\"><h2>" + escapeHtml(localized(tile.displayName)) +
                    "</h2><div class=\"qb-tiles\">";
        }
        page += "<figure class=\"qb-tile\">" + renderHtmlTile(tile) + "<figcaption>" +
                escapeHtml(std::string(name(tile.family))) + "</figcaption></figure>";
    }
    if (open) page += "</div></section>";
    return page + "</main></body></html>\n";
}

}  // namespace qb::host
