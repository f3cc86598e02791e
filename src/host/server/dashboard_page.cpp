#include "host/server/dashboard_page.hpp"

#include <array>

#include "host/render/html.hpp"
#include "host/render/html_escape.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

// The page's script texts, each key localized: the script reads them from the root element.
constexpr std::array scriptTexts{"Small",
                                 "Medium",
                                 "Large",
                                 "Extra Large",
                                 "next update {}",
                                 "Search",
                                 "Search {}",
                                 "Could not change {}: {}",
                                 "Could not search {}: {}",
                                 "The dashboard does not answer; trying again.",
                                 "Could not open the link: {}",
                                 "Could not load the widgets; reload the page.",
                                 "{} is shown, but not kept for the next run: {}"};

// `<html lang="…" data-texts="…">` for the user's language.
std::string htmlStart() {
    nlohmann::json texts = nlohmann::json::object();
    for (const char* key : scriptTexts)
        if (auto translated = localized(key); translated != key) texts[key] = std::move(translated);
    const auto languages = preferredLanguages();
    const std::string language = languages.empty() || !texts.size() ? "en" : languages.front();
    return "<!DOCTYPE html>\n<html lang=\"" + escapeHtml(language) + "\" data-texts=\"" +
           escapeHtml(texts.dump()) + "\">";
}

}  // namespace

std::string dashboardPageHtml() {
    const auto title = escapeHtml(localized("Quillbrook Widgets"));
    return htmlStart() +
           "<head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><link rel=\"icon\" "
           "href=\"data:,\"><title>" +
           title + "</title><style>" + std::string(widgetStyles()) + std::string(pageStyles()) +
           "</style><script src=\"/dashboard.js\" defer></script></head><body><main class=\"qb-page\">"
           "<header><h1>" +
           title +
           "</h1><span class=\"qb-status\" id=\"status\" role=\"status\"></span></header>"
           "<div id=\"groups\"></div></main></body></html>\n";
}

std::string singleWidgetPageHtml(const nlohmann::json& tile, std::string_view title) {
    const auto heading = escapeHtml(title);
    const auto attribute = [&](const char* name) { return escapeHtml(tile[name].get<std::string>()); };
    return htmlStart() +
           "<head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><link rel=\"icon\" "
           "href=\"data:,\"><title>" +
           heading + "</title><style>" + std::string(widgetStyles()) + std::string(pageStyles()) +
           "</style><script src=\"/dashboard.js\" defer></script></head><body class=\"qb-single\"><main>"
           "<h1 class=\"qb-hidden\">" +
           heading + "</h1><figure class=\"qb-tile\" data-tile=\"" +
           std::to_string(tile["id"].get<std::size_t>()) + "\" data-kind=\"" + attribute("kind") +
           "\" data-family=\"" + attribute("family") + "\" data-seq=\"" +
           std::to_string(tile["seq"].get<std::uint64_t>()) + "\" data-source=\"" +
           (tile["reloadAt"].is_null() ? "placeholder" : "timeline") + "\"><div class=\"qb-slot\">" +
           tile["html"].get<std::string>() +
           "</div></figure><p class=\"qb-status\" id=\"status\" role=\"status\"></p></main></body></html>\n";
}

std::string_view dashboardContentSecurityPolicy() {
    return "default-src 'none'; script-src 'self'; connect-src 'self'; img-src data:; "
           "style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
}

}  // namespace qb::host
