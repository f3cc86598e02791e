#include "host/render/resolve.hpp"

#include <array>

#include "core/link_policy.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {

namespace resolved {

std::span<const Node> Node::children() const {
    if (const auto* stack = as<Stack>()) return stack->children;
    if (const auto* link = as<Link>()) return {&*link->label, 1};
    return {};
}

}  // namespace resolved

namespace {

using resolved::Axis;
using resolved::CrossAlignment;

// What a node hands down to its descendants.
struct Context {
    resolved::Style style;
    bool accentGroup = false;
    Axis axis = Axis::vertical;  // of the stack the node stands in; a link's label stands in a column
    bool tinted = false;
};

Context inherit(Context context, const ui::Modifiers& modifiers) {
    resolved::Style& style = context.style;
    if (modifiers.font) style.font = *modifiers.font;
    if (modifiers.fontWeight) style.fontWeight = modifiers.fontWeight;
    if (modifiers.foregroundStyle) style.foreground = *modifiers.foregroundStyle;
    if (modifiers.lineLimit) style.lineLimit = modifiers.lineLimit;
    if (modifiers.multilineTextAlignment) style.textAlignment = *modifiers.multilineTextAlignment;
    // Accentable marks a whole subtree as one accent group, as the framework does.
    context.accentGroup = context.accentGroup || modifiers.widgetAccentable;
    style.accented = context.accentGroup && context.tinted;
    return context;
}

// A Url is parsed already, so the scheme and the text are all the policy has left to check.
std::optional<Url> checked(const Url& url) {
    if (!isOpenableScheme(url)) return std::nullopt;
    return url;
}

// Alignments across a column (leading, center, trailing) and a row (top, center, bottom, baseline).
CrossAlignment crossAlignment(ui::HorizontalAlignment alignment) {
    static constexpr std::array across{CrossAlignment::start, CrossAlignment::center, CrossAlignment::end};
    return across.at(static_cast<std::size_t>(alignment));
}

CrossAlignment crossAlignment(ui::VerticalAlignment alignment) {
    static constexpr std::array across{CrossAlignment::start, CrossAlignment::center, CrossAlignment::end,
                                       CrossAlignment::firstTextBaseline};
    return across.at(static_cast<std::size_t>(alignment));
}

resolved::Node resolveNode(const ui::View& view, Context context);

// One node's content, given what the node itself hands down.
struct ContentResolver {
    const Context& context;

    template <class Stack>
    resolved::Content stack(const Stack& stack, Axis axis) const {
        Context inner = context;
        inner.axis = axis;
        resolved::Stack out{
            axis, crossAlignment(stack.alignment), stack.spacing.value_or(resolved::defaultSpacing), {}};
        out.children.reserve(stack.children.size());
        for (const ui::View& child : stack.children) out.children.push_back(resolveNode(child, inner));
        return out;
    }

    resolved::Content operator()(const ui::Empty&) const { return resolved::Empty{}; }
    resolved::Content operator()(const ui::VStack& content) const { return stack(content, Axis::vertical); }
    resolved::Content operator()(const ui::HStack& content) const { return stack(content, Axis::horizontal); }
    resolved::Content operator()(const ui::Spacer& content) const {
        return resolved::Spacer{content.minLength.value_or(resolved::defaultSpacerLength)};
    }
    resolved::Content operator()(const ui::Divider&) const {
        return resolved::Divider{context.axis == Axis::horizontal ? Axis::vertical : Axis::horizontal};
    }
    resolved::Content operator()(const ui::Text& content) const {
        return resolved::Text{withoutBidiEmbeddingControls(shown(content))};
    }
    static std::string shown(const ui::Text& content) {
        if (!content.localizable) return content.text;
        if (content.formatArgument) return localized(content.text, *content.formatArgument);
        return localized(content.text);
    }
    resolved::Content operator()(const ui::Symbol& content) const {
        return resolved::Symbol{content.name, &ui::symbolInfo(content.name)};
    }
    resolved::Content operator()(const ui::Bitmap& content) const {
        return resolved::Bitmap{content.image.image, content.resizable, content.aspectRatioFit,
                                content.interpolationHigh};
    }
    resolved::Content operator()(const ui::Circle& content) const { return resolved::Circle{content.fill}; }
    resolved::Content operator()(const ui::Link& content) const {
        Context inner = context;
        inner.axis = Axis::vertical;
        return resolved::Link{checked(content.destination), resolveNode(*content.label, inner)};
    }
};

resolved::Node resolveNode(const ui::View& view, Context parent) {
    const Context context = inherit(parent, view.modifiers);
    const ui::Modifiers& modifiers = view.modifiers;
    return {std::visit(ContentResolver{context}, view.content),
            context.style,
            {modifiers.padding, modifiers.frame, modifiers.background}};
}

// The first widget URL set in the tree, the view before its children.
const Url* findWidgetURL(const ui::View& view) {
    if (view.modifiers.widgetURL) return &*view.modifiers.widgetURL;
    for (const ui::View& child : view.children())
        if (const Url* found = findWidgetURL(child)) return found;
    return nullptr;
}

void collectLinks(const resolved::Node& node, std::vector<Url>& links) {
    if (const auto* link = node.as<resolved::Link>(); link && link->destination)
        links.push_back(*link->destination);
    for (const resolved::Node& child : node.children()) collectLinks(child, links);
}

}  // namespace

resolved::Tree resolve(const ui::View& view, const ui::Environment& environment) {
    Context root;
    root.tinted = environment.renderingMode != WidgetRenderingMode::fullColor;
    resolved::Tree tree{resolveNode(view, root), environment, std::nullopt,
                        view.modifiers.containerBackground};
    if (const Url* widgetURL = findWidgetURL(view)) tree.widgetURL = checked(*widgetURL);
    return tree;
}

std::vector<Url> openableLinks(const resolved::Tree& tree) {
    std::vector<Url> links;
    if (tree.widgetURL) links.push_back(*tree.widgetURL);
    collectLinks(tree.root, links);
    return links;
}

}  // namespace qb::host
