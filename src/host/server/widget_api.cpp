// The routes that mirror the program's commands: list, options, placeholder, snapshot and timeline.
// Providers and entity queries run on their widget's lane.

#include <fmt/format.h>

#include "host/cli.hpp"
#include "host/json_output.hpp"
#include "host/server/dashboard_site.hpp"
#include "host/widget_catalog.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

std::string knownKinds(const std::vector<AnyWidget>& widgets) {
    std::string kinds;
    for (const auto& widget : widgets) kinds += (kinds.empty() ? "" : ", ") + widget.kind();
    return kinds;
}

// The index of the widget the request's "kind" names; nothing, with the answer given, when none.
std::optional<std::size_t> requestedWidget(const std::vector<AnyWidget>& widgets, const HttpRequest& request,
                                           const Reply& reply) {
    const auto kind = std::string(request.param("kind").value_or(""));
    if (const auto* found = findWidget(widgets, kind))
        return static_cast<std::size_t>(found - widgets.data());
    reply(jsonError(400, "unknown widget kind \"" + kind + "\"; use one of " + knownKinds(widgets)));
    return std::nullopt;
}

}  // namespace

void DashboardSite::list(Reply reply) {
    onLane(pageLane(), std::move(reply),
           [this](const Reply& answer) { answer(jsonResponse(widgetsJson(dashboard_.widgets()))); });
}

void DashboardSite::options(const HttpRequest& request, Reply reply) {
    const auto widget = requestedWidget(dashboard_.widgets(), request, reply);
    if (!widget) return;
    std::optional<std::string> search;
    if (const auto text = request.param("search")) search = std::string(*text);
    onLane(*widget, std::move(reply),
           [this, widget = *widget, parameter = std::string(request.param("param").value_or("")),
            search](const Reply& answer) {
               const auto& kind = dashboard_.widgets()[widget];
               auto options = kind.options(parameter, search);
               if (!options)
                   return answer(jsonError(
                       400, "the widget " + kind.kind() + " has no parameter \"" + parameter + "\""));
               answer(jsonResponse(optionsJson(*options)));
           });
}

// One request as a provider answers it: /api/timeline?kind=K&family=F&set=name=value...
void DashboardSite::request(const HttpRequest& request, RequestKind kind, Reply reply) {
    const auto widget = requestedWidget(dashboard_.widgets(), request, reply);
    if (!widget) return;
    const auto& definition = dashboard_.widgets()[*widget];
    auto family = WidgetFamily::systemMedium;
    if (const auto text = request.param("family")) {
        auto named = familyNamed(*text);
        if (!named)
            return reply(jsonError(400, fmt::format("unknown family {}; use {}", quotedForMessage(*text),
                                                    familyChoices(" or "))));
        family = *named;
    }
    std::vector<std::string> assignments;
    for (auto assignment : request.params("set")) assignments.emplace_back(assignment);
    onLane(*widget, std::move(reply), [&definition, family, kind, assignments](const Reply& answer) {
        // Entity parameters ask their query, which reads files: set them on the lane too.
        auto instance = definition.makeInstance();
        for (const auto& assignment : assignments) {
            const auto equals = assignment.find('=');
            if (equals == std::string::npos ||
                !instance.set(assignment.substr(0, equals), assignment.substr(equals + 1)))
                return answer(
                    jsonError(400, "cannot set \"" + assignment + "\" on " + definition.kind() +
                                       "; write set=NAME=VALUE with a parameter and one of its choices"));
        }
        auto answers = runRequests({Request{&definition, std::move(instance), family, kind}});
        if (answers.empty() || answers.front().failure)
            return answer(jsonError(500, "the widget's provider failed; see the program's log"));
        answer(jsonResponse(answerJson(answers.front())));
    });
}

}  // namespace qb::host
