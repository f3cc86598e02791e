#include "host/view_links.hpp"

#include <algorithm>

#include "platform/localization.hpp"

namespace qb::host {
namespace {

std::string shownText(const ui::View& view) {
    if (!view.localizable) return view.text;
    return view.formatArgument ? localized(view.text, *view.formatArgument) : localized(view.text);
}

void collectTexts(const ui::View& view, std::vector<std::string>& texts) {
    if (view.kind == ui::ViewKind::text) texts.push_back(shownText(view));
    for (const auto& child : view.children) collectTexts(child, texts);
}

std::string joined(const std::vector<std::string>& texts) {
    std::string line;
    for (const auto& text : texts) line += (line.empty() ? "" : " · ") + text;
    return line;
}

bool containsLink(const ui::View& view) {
    return view.kind == ui::ViewKind::link ||
           std::any_of(view.children.begin(), view.children.end(), containsLink);
}

void collectLines(const ui::View& view, std::vector<std::string>& lines) {
    const bool oneLine = view.kind == ui::ViewKind::link || view.kind == ui::ViewKind::text ||
                         (view.kind == ui::ViewKind::hstack && !containsLink(view));
    if (!oneLine) {
        for (const auto& child : view.children) collectLines(child, lines);
        return;
    }
    std::vector<std::string> texts;
    collectTexts(view, texts);
    if (!texts.empty()) lines.push_back(joined(texts));
}

void collectLinks(const ui::View& view, ViewLinks& links) {
    if (view.widgetDestination && !links.widgetURL) links.widgetURL = view.widgetDestination;
    if (view.kind == ui::ViewKind::link && view.destination) {
        std::vector<std::string> texts;
        collectTexts(view, texts);
        links.rows.push_back({*view.destination, joined(texts)});
    }
    for (const auto& child : view.children) collectLinks(child, links);
}

}  // namespace

ViewLinks linksOf(const ui::View& view) {
    ViewLinks links;
    collectLinks(view, links);
    return links;
}

std::vector<std::string> textLinesOf(const ui::View& view) {
    std::vector<std::string> lines;
    collectLines(view, lines);
    return lines;
}

}  // namespace qb::host
