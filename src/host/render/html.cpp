#include "host/render/html.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "host/render/html_escape.hpp"
#include "host/render/html_symbols.hpp"
#include "platform/image.hpp"
#include "platform/json.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

using ui::View;
using ui::ViewKind;

enum class Axis { none, vertical, horizontal };

// What a view inherits from the views around it.
struct Context {
    ui::Font font = ui::Font::body;
    ui::FontWeight weight = ui::FontWeight::regular;
    bool weightSet = false;
    ui::Foreground foreground = ui::Level::primary;
    std::optional<int> maxLines;
    ui::TextAlignment textAlignment = ui::TextAlignment::leading;
    WidgetRenderingMode mode = WidgetRenderingMode::fullColor;
    Axis axis = Axis::none;  // the direction of the stack the view stands in
};

// Whether a view takes all the room its parent offers, across or along.
struct Greed {
    bool width = false;
    bool height = false;
};

// The framework's default spacing between the children of a stack and default spacer length.
constexpr double defaultSpacing = 8;
constexpr double defaultSpacerLength = 8;

std::string number(double value) {
    return fmt::format("{:g}", value);
}

std::string_view foregroundClass(const ui::Foreground& foreground) {
    if (const auto* level = std::get_if<ui::Level>(&foreground)) {
        switch (*level) {
            case ui::Level::primary:
                return "c-primary";
            case ui::Level::secondary:
                return "c-secondary";
            case ui::Level::tertiary:
                return "c-tertiary";
        }
    }
    switch (std::get<ui::Color>(foreground)) {
        case ui::Color::red:
            return "c-red";
        case ui::Color::orange:
            return "c-orange";
        case ui::Color::yellow:
            return "c-yellow";
        case ui::Color::green:
            return "c-green";
        case ui::Color::blue:
            return "c-blue";
        case ui::Color::purple:
            return "c-purple";
        case ui::Color::gray:
            return "c-gray";
        case ui::Color::white:
            return "c-white";
        case ui::Color::clear:
            return "c-clear";
    }
    return "c-primary";
}

std::string backgroundClass(ui::Color color) {
    return fmt::format("b-{}", ui::colorName(color));
}

Context inherit(const View& view, Context context) {
    if (view.fontRole) context.font = *view.fontRole;
    if (view.weight) {
        context.weight = *view.weight;
        context.weightSet = true;
    }
    if (view.foreground) context.foreground = *view.foreground;
    if (view.maxLines) context.maxLines = *view.maxLines;
    if (view.textAlignment) context.textAlignment = *view.textAlignment;
    return context;
}

bool tinted(const View& view, const Context& context) {
    return view.accentable && context.mode != WidgetRenderingMode::fullColor;
}

// The classes and inline style every element gets from its modifiers and its place in its parent.
struct Box {
    std::vector<std::string> classes;
    std::string style;

    void add(std::string_view name) { classes.emplace_back(name); }
    void css(std::string_view declaration) {
        style += declaration;
        style += ';';
    }
    std::string attributes() const {
        std::string out;
        if (!classes.empty()) {
            std::string joined;
            for (const auto& name : classes) joined += (joined.empty() ? "" : " ") + name;
            out += " class=\"" + escapeHtml(joined) + "\"";
        }
        if (!style.empty()) out += " style=\"" + escapeHtml(style) + "\"";
        return out;
    }
};

void placeInParent(Box& box, const View& view, Greed greed, Axis axis) {
    if (view.frameWidth) {
        box.css(fmt::format("width:{}px;min-width:{}px", number(*view.frameWidth), number(*view.frameWidth)));
        greed.width = false;
    }
    if (view.frameHeight) {
        box.css(
            fmt::format("height:{}px;min-height:{}px", number(*view.frameHeight), number(*view.frameHeight)));
        greed.height = false;
    }
    if (axis == Axis::vertical) {
        if (greed.width) box.css("align-self:stretch");
        if (greed.height) box.css("flex:1 1 0");
    } else if (axis == Axis::horizontal) {
        if (greed.width) box.css("flex:1 1 0");
        if (greed.height) box.css("align-self:stretch");
    }
    if (view.frameWidth || view.frameHeight) box.css("flex-shrink:0");
    const auto& insets = view.insets;
    if (insets != ui::EdgeInsets{}) {
        // Padding lies outside the frame, except around a capsule, which it widens.
        box.css(fmt::format("{}:{}px {}px {}px {}px", view.capsuleBackground ? "padding" : "margin",
                            number(insets.top), number(insets.trailing), number(insets.bottom),
                            number(insets.leading)));
    }
    if (view.capsuleBackground) {
        box.add("qb-capsule");
        box.add(backgroundClass(*view.capsuleBackground));
    }
}

void render(const View& view, const Context& parent, std::string& out);

// How greedy a view is, from its own tree alone (dividers: from the stack they stand in).
Greed greedOf(const View& view, Axis axis) {
    Greed greed;
    switch (view.kind) {
        case ViewKind::vstack:
        case ViewKind::hstack: {
            const Axis inner = view.kind == ViewKind::vstack ? Axis::vertical : Axis::horizontal;
            for (const auto& child : view.children) {
                if (child.kind == ViewKind::spacer)
                    (inner == Axis::vertical ? greed.height : greed.width) = true;
                const auto childGreed = greedOf(child, inner);
                greed.width = greed.width || childGreed.width;
                greed.height = greed.height || childGreed.height;
            }
            break;
        }
        case ViewKind::link:
            for (const auto& child : view.children) {
                const auto childGreed = greedOf(child, Axis::vertical);
                greed.width = greed.width || childGreed.width;
                greed.height = greed.height || childGreed.height;
            }
            break;
        case ViewKind::divider:
            greed = axis == Axis::horizontal ? Greed{false, true} : Greed{true, false};
            break;
        case ViewKind::circle:
            greed = Greed{!view.frameWidth, !view.frameHeight};
            break;
        default:
            break;
    }
    if (view.frameWidth) greed.width = false;
    if (view.frameHeight) greed.height = false;
    return greed;
}

void renderStack(const View& view, const Context& context, Axis axis, std::string& out) {
    Context inner = context;
    inner.axis = axis;
    Box box;
    box.add(axis == Axis::vertical ? "qb-v" : "qb-h");
    const double spacing = view.stackSpacing.value_or(defaultSpacing);
    if (spacing != 0) box.css(fmt::format("gap:{}px", number(spacing)));
    if (axis == Axis::vertical) {
        switch (view.horizontalAlignment) {
            case ui::HorizontalAlignment::leading:
                box.css("align-items:flex-start");
                break;
            case ui::HorizontalAlignment::center:
                box.css("align-items:center");
                break;
            case ui::HorizontalAlignment::trailing:
                box.css("align-items:flex-end");
                break;
        }
    } else {
        switch (view.verticalAlignment) {
            case ui::VerticalAlignment::top:
                box.css("align-items:flex-start");
                break;
            case ui::VerticalAlignment::center:
                box.css("align-items:center");
                break;
            case ui::VerticalAlignment::bottom:
                box.css("align-items:flex-end");
                break;
            case ui::VerticalAlignment::firstTextBaseline:
                box.css("align-items:baseline");
                break;
        }
    }
    placeInParent(box, view, greedOf(view, context.axis), context.axis);
    out += "<div" + box.attributes() + ">";
    for (const auto& child : view.children) render(child, inner, out);
    out += "</div>";
}

void addTextClasses(Box& box, const View& view, const Context& context) {
    box.add(fmt::format("f-{}", ui::fontName(context.font)));
    if (context.weightSet) box.add(context.weight == ui::FontWeight::semibold ? "w-semibold" : "w-regular");
    box.add(foregroundClass(context.foreground));
    if (tinted(view, context)) box.add("qb-accent");
}

void renderText(const View& view, const Context& context, std::string& out) {
    Box box;
    box.add("qb-t");
    addTextClasses(box, view, context);
    if (context.maxLines == 1) {
        box.add("qb-l1");
    } else if (context.maxLines) {
        box.add("qb-lc");
        box.css(fmt::format("-webkit-line-clamp:{}", std::max(1, *context.maxLines)));
    } else {
        box.add("qb-lu");
    }
    if (context.textAlignment == ui::TextAlignment::center) box.css("text-align:center");
    if (context.textAlignment == ui::TextAlignment::trailing) box.css("text-align:right");
    placeInParent(box, view, {}, context.axis);
    const std::string content =
        view.localizable
            ? (view.formatArgument ? localized(view.text, *view.formatArgument) : localized(view.text))
            : view.text;
    out += "<span" + box.attributes() + ">";
    out += escapeHtml(content);
    out += "</span>";
}

void renderSymbol(const View& view, const Context& context, std::string& out) {
    Box box;
    box.add("qb-sym");
    addTextClasses(box, view, context);
    placeInParent(box, view, {}, context.axis);
    out += "<span" + box.attributes() + " data-symbol=\"" + escapeHtml(view.text) + "\">";
    appendSymbolHtml(view.text, out);
    out += "</span>";
}

void renderImage(const View& view, const Context& context, std::string& out) {
    if (!view.image) return;
    Box box;
    box.add("qb-img");
    placeInParent(box, view, {}, context.axis);
    const auto width = view.frameWidth.value_or(view.image->width());
    const auto height = view.frameHeight.value_or(view.image->height());
    out += fmt::format("<img{} alt=\"\" width=\"{}\" height=\"{}\" src=\"data:image/png;base64,",
                       box.attributes(), number(width), number(height));
    out += base64Encode(view.image->pngBytes());
    out += "\">";
}

void renderCircle(const View& view, const Context& context, std::string& out) {
    Box box;
    box.add("qb-circle");
    box.add(backgroundClass(view.fill));
    if (tinted(view, context) && view.fill != ui::Color::clear) box.add("qb-accent");
    if (!view.frameWidth || !view.frameHeight) box.css("aspect-ratio:1");
    placeInParent(box, view, greedOf(view, context.axis), context.axis);
    out += "<span" + box.attributes() + "></span>";
}

void renderLink(const View& view, const Context& context, std::string& out) {
    Context inner = context;
    inner.axis = Axis::vertical;
    Box box;
    box.add("qb-link");
    box.add("qb-item");
    placeInParent(box, view, greedOf(view, context.axis), context.axis);
    const bool openable = view.destination && isOpenableScheme(*view.destination);
    if (openable) {
        out += "<a" + box.attributes() + " href=\"" + escapeHtml(view.destination->string()) + "\">";
    } else {
        box.add("qb-inert");
        out += "<span" + box.attributes() + ">";
    }
    for (const auto& child : view.children) render(child, inner, out);
    out += openable ? "</a>" : "</span>";
}

void render(const View& view, const Context& parent, std::string& out) {
    const Context context = inherit(view, parent);
    switch (view.kind) {
        case ViewKind::empty:
            return;
        case ViewKind::vstack:
            return renderStack(view, context, Axis::vertical, out);
        case ViewKind::hstack:
            return renderStack(view, context, Axis::horizontal, out);
        case ViewKind::spacer: {
            Box box;
            box.add("qb-spacer");
            const auto length = number(view.minLength.value_or(defaultSpacerLength));
            if (context.axis == Axis::horizontal)
                box.css(fmt::format("min-width:{}px", length));
            else
                box.css(fmt::format("min-height:{}px", length));
            out += "<div" + box.attributes() + "></div>";
            return;
        }
        case ViewKind::divider: {
            Box box;
            box.add(context.axis == Axis::horizontal ? "qb-div-v" : "qb-div-h");
            placeInParent(box, view, {}, Axis::none);
            out += "<div" + box.attributes() + "></div>";
            return;
        }
        case ViewKind::text:
            return renderText(view, context, out);
        case ViewKind::symbol:
            return renderSymbol(view, context, out);
        case ViewKind::image:
            return renderImage(view, context, out);
        case ViewKind::circle:
            return renderCircle(view, context, out);
        case ViewKind::link:
            return renderLink(view, context, out);
    }
}

// The first widget URL set anywhere in the tree, and the first container background.
const std::optional<Url>* findWidgetURL(const View& view) {
    if (view.widgetDestination) return &view.widgetDestination;
    for (const auto& child : view.children)
        if (auto found = findWidgetURL(child)) return found;
    return nullptr;
}

void collectLinks(const View& view, std::vector<std::string>& links) {
    if (view.kind == ViewKind::link && view.destination && isOpenableScheme(*view.destination))
        links.push_back(view.destination->string());
    for (const auto& child : view.children) collectLinks(child, links);
}

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
    Context context;
    context.mode = tile.renderingMode;
    context.axis = Axis::vertical;
    std::string content;
    content.reserve(8192);
    render(tile.view, context, content);
    const auto size = tileSize(tile.family);
    const auto* widgetURL = findWidgetURL(tile.view);
    const bool clickable = widgetURL && *widgetURL && isOpenableScheme(**widgetURL);
    Box box;
    box.add("qb-widget");
    box.add(fmt::format("qb-{}", name(tile.family)));
    box.add(fmt::format("qb-mode-{}", name(tile.renderingMode)));
    if (tile.view.containerFill) box.add("qb-fill");
    box.css(fmt::format("width:{}px;height:{}px", size.width, size.height));
    std::string open = fmt::format("{}{} data-kind=\"{}\" data-family=\"{}\" aria-label=\"{}\"",
                                   clickable ? "<a" : "<div", box.attributes(), escapeHtml(tile.kind),
                                   name(tile.family), escapeHtml(localized(tile.displayName)));
    if (clickable) open += " href=\"" + escapeHtml((*widgetURL)->string()) + "\"";
    return open + "><div class=\"qb-content\">" + content + "</div>" + (clickable ? "</a>" : "</div>");
}

std::vector<std::string> htmlTileLinks(const HtmlTile& tile) {
    std::vector<std::string> links;
    collectLinks(tile.view, links);
    const auto* widgetURL = findWidgetURL(tile.view);
    if (widgetURL && *widgetURL && isOpenableScheme(**widgetURL)) links.push_back((*widgetURL)->string());
    return links;
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
