#include "host/view_links.hpp"

#include <algorithm>

namespace qb::host {
namespace {

void collectTexts(const resolved::Node& node, std::vector<std::string>& texts) {
    if (const auto* text = node.as<resolved::Text>()) texts.push_back(text->string);
    for (const auto& child : node.children()) collectTexts(child, texts);
}

std::string joined(const std::vector<std::string>& texts) {
    std::string line;
    for (const auto& text : texts) line += (line.empty() ? "" : " · ") + text;
    return line;
}

bool containsLink(const resolved::Node& node) {
    const auto children = node.children();
    return node.as<resolved::Link>() || std::any_of(children.begin(), children.end(), containsLink);
}

bool isRow(const resolved::Node& node) {
    const auto* stack = node.as<resolved::Stack>();
    return stack && stack->axis == resolved::Axis::horizontal;
}

void collectLines(const resolved::Node& node, std::vector<std::string>& lines) {
    const bool oneLine =
        node.as<resolved::Link>() || node.as<resolved::Text>() || (isRow(node) && !containsLink(node));
    if (!oneLine) {
        for (const auto& child : node.children()) collectLines(child, lines);
        return;
    }
    std::vector<std::string> texts;
    collectTexts(node, texts);
    if (!texts.empty()) lines.push_back(joined(texts));
}

void collectLinks(const resolved::Node& node, ViewLinks& links) {
    if (const auto* link = node.as<resolved::Link>()) {
        std::vector<std::string> texts;
        collectTexts(node, texts);
        links.rows.push_back({link->destination, joined(texts)});
    }
    for (const auto& child : node.children()) collectLinks(child, links);
}

}  // namespace

ViewLinks linksOf(const resolved::Tree& tree) {
    ViewLinks links{tree.widgetURL, {}};
    collectLinks(tree.root, links);
    return links;
}

std::vector<std::string> textLinesOf(const resolved::Tree& tree) {
    std::vector<std::string> lines;
    collectLines(tree.root, lines);
    return lines;
}

}  // namespace qb::host
