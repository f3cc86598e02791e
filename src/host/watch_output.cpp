#include "host/watch_output.hpp"

#include "host/json_output.hpp"
#include "host/render/html_escape.hpp"
#include "host/render/resolve.hpp"
#include "host/render/terminal.hpp"
#include "host/text_output.hpp"
#include "host/view_links.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

struct Headline {
    std::string text;
    std::string state;
};

std::int64_t countOf(const nlohmann::json& entry, const char* key) {
    auto found = entry.find(key);
    return found != entry.end() && found->is_number_integer() ? found->get<std::int64_t>() : 0;
}

bool hasItems(const nlohmann::json& entry) {
    auto items = entry.find("items");
    return items != entry.end() && items->is_array() && !items->empty();
}

// Each widget's headline, from its own texts: the reading list's unread count, the favorites' and
// workspaces' item counts, the tip's title.
Headline headlineOf(const std::string& kind, const nlohmann::json& entry) {
    if (kind == "ReadingListWidget") {
        const auto unread = countOf(entry, "unreadCount");
        return {localized("%lld unread", unread), unread > 0 ? "unread" : "empty"};
    }
    if (kind == "TipsWidget") {
        auto tip = entry.find("tip");
        if (tip != entry.end() && tip->is_object() && tip->contains("title") && (*tip)["title"].is_string())
            return {(*tip)["title"].get<std::string>(), "tip"};
        return {localized("No Tips"), "empty"};
    }
    return {localized("%lld items", countOf(entry, "displayCount")), hasItems(entry) ? "items" : "empty"};
}

// Waybar reads the text and tooltip as Pango markup, whose character references are HTML's.
std::string barText(std::string_view text) {
    return escapeHtml(inertText(text));
}

}  // namespace

nlohmann::ordered_json waybarObject(const WatchedEntry& watched) {
    const Headline headline = headlineOf(watched.widget.kind(), watched.entry.json);
    std::string tooltip;
    if (watched.entry.view) {
        const ui::Environment environment{watched.family, WidgetRenderingMode::fullColor};
        for (const auto& line : textLinesOf(resolve(watched.entry.view(environment), environment)))
            tooltip += (tooltip.empty() ? "" : "\n") + barText(line);
    }
    nlohmann::ordered_json object;
    object["text"] = barText(headline.text);
    object["tooltip"] = tooltip;
    object["class"] = headline.state;
    object["alt"] = headline.state;
    return object;
}

std::string watchOutput(OutputFormat format, const WatchedEntry& watched) {
    constexpr auto replaceInvalid = nlohmann::ordered_json::error_handler_t::replace;
    if (format == OutputFormat::waybar)
        return terminalSafeJson(waybarObject(watched).dump(-1, ' ', false, replaceInvalid)) + "\n";
    Answer answer{&watched.widget, watched.family, RequestKind::timeline,
                  {watched.entry}, watched.policy, std::nullopt};
    if (format == OutputFormat::text)
        return arrangeTiles({*tileFor(answer, WidgetRenderingMode::fullColor)}, Styling::plain,
                            std::nullopt) +
               "\n";
    return terminalSafeJson(answerJson(answer).dump(-1, ' ', false, replaceInvalid)) + "\n";
}

}  // namespace qb::host
