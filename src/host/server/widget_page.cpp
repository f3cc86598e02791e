// The page that shows one widget alone, for a window or a browser panel of its own:
// /widget/KIND?family=F&set=NAME=VALUE... Its tile is the dashboard's like any other (the same owner
// check, the same long poll), with the parameters its address gives.

#include <fmt/format.h>

#include "host/desktop_config/desktop_config.hpp"
#include "host/server/dashboard_page.hpp"
#include "host/server/dashboard_site.hpp"
#include "host/widget_catalog.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

constexpr std::string_view widgetPath = "/widget/";

// The family the address names, or the widget's usual one; or the one-line refusal.
std::variant<WidgetFamily, std::string> requestedFamily(const AnyWidget& widget, const HttpRequest& request) {
    const auto text = request.param("family");
    if (!text) return defaultFamily(widget);
    const auto family = familyNamed(*text);
    if (!family)
        return fmt::format("unknown family {}; use {}", quotedForMessage(*text), familyChoices(" or "));
    if (auto checked = familiesFor(widget, {*family}); auto* error = std::get_if<UsageError>(&checked))
        return error->message;
    return *family;
}

// The address's set=NAME=VALUE items, or the one-line refusal.
std::variant<std::vector<Setting>, std::string> requestedSettings(const AnyWidget& widget,
                                                                  const HttpRequest& request) {
    std::vector<Setting> settings;
    for (auto assignment : request.params("set")) {
        const auto equals = assignment.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return fmt::format(
                "{} is not NAME=VALUE; write set=NAME=VALUE with a parameter of {} "
                "(`quillbrook-widgets list` shows them)",
                quotedForMessage(assignment), widget.kind());
        settings.push_back(
            {std::string(assignment.substr(0, equals)), std::string(assignment.substr(equals + 1))});
    }
    return settings;
}

}  // namespace

void DashboardSite::singleWidget(const HttpRequest& request, Reply reply) {
    const auto& widgets = dashboard_.widgets();
    const auto name = std::string_view(request.path).substr(widgetPath.size());
    const AnyWidget* widget = findWidget(widgets, name);
    if (!widget) return reply(textResponse(400, unknownWidget(widgets, name).message));
    const auto family = requestedFamily(*widget, request);
    if (const auto* refusal = std::get_if<std::string>(&family)) return reply(textResponse(400, *refusal));
    auto settings = requestedSettings(*widget, request);
    if (const auto* refusal = std::get_if<std::string>(&settings)) return reply(textResponse(400, *refusal));
    const auto index = static_cast<std::size_t>(widget - widgets.data());
    // An entity parameter asks its widget's query, which reads files: on the widget's lane.
    onLane(index, std::move(reply),
           [this, index, family = std::get<WidgetFamily>(family),
            settings = std::get<std::vector<Setting>>(std::move(settings))](const Reply& answer) {
               const auto& type = dashboard_.widgets()[index];
               auto instances = configuredInstances({&type}, settings);
               if (const auto* error = std::get_if<UsageError>(&instances))
                   return answer(textResponse(400, error->message));
               const auto tile = dashboard_.singleTile(
                   index, family, std::move(std::get<std::vector<WidgetInstance>>(instances).front()));
               if (!tile)
                   return answer(textResponse(
                       503, fmt::format("{} different single-widget pages were opened already; restart "
                                        "`quillbrook-widgets serve` for more",
                                        Dashboard::singleTileLimit)));
               HttpResponse page{200,
                                 "text/html; charset=utf-8",
                                 singleWidgetPageHtml(dashboard_.tile(*tile), localized(type.displayName())),
                                 {}};
               page.headers.emplace_back("Content-Security-Policy", dashboardContentSecurityPolicy());
               answer(std::move(page));
           });
}

}  // namespace qb::host
