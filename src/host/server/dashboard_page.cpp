#include "host/server/dashboard_page.hpp"

#include "host/render/html.hpp"
#include "host/render/html_escape.hpp"
#include "platform/localization.hpp"

namespace qb::host {

std::string dashboardPageHtml() {
    const auto title = escapeHtml(localized("Quillbrook Widgets"));
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><link rel=\"icon\" "
           "href=\"data:,\"><title>" +
           title + "</title><style>" + std::string(widgetStyles()) + std::string(pageStyles()) +
           "</style><script src=\"/dashboard.js\" defer></script></head><body><main class=\"qb-page\">"
           "<header><h1>" +
           title +
           "</h1><span class=\"qb-status\" id=\"status\" role=\"status\"></span></header>"
           "<div id=\"groups\"></div></main></body></html>\n";
}

std::string_view dashboardContentSecurityPolicy() {
    return "default-src 'none'; script-src 'self'; connect-src 'self'; img-src data:; "
           "style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
}

}  // namespace qb::host
