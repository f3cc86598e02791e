#include "host/server/api.hpp"

#include <httplib.h>

#include <charconv>
#include <chrono>

#include "host/json_output.hpp"
#include "host/render/html_escape.hpp"
#include "host/requests.hpp"
#include "host/server/dashboard.hpp"
#include "host/server/dashboard_page.hpp"
#include "host/server/host_check.hpp"
#include "host/server/open_url.hpp"
#include "host/widget_catalog.hpp"

namespace qb::host {
namespace {

using namespace std::chrono_literals;

constexpr auto jsonType = "application/json";

template <class Json>
void sendJson(httplib::Response& response, const Json& body, int status = 200) {
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), jsonType);
}

void sendError(httplib::Response& response, int status, const std::string& message) {
    sendJson(response, nlohmann::json{{"error", message}}, status);
}

std::optional<std::int64_t> integerParameter(const httplib::Request& request, const char* name) {
    if (!request.has_param(name)) return std::nullopt;
    const auto text = request.get_param_value(name);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string knownKinds(const Dashboard& dashboard) {
    std::string kinds;
    for (const auto& widget : dashboard.widgets()) kinds += (kinds.empty() ? "" : ", ") + widget.kind();
    return kinds;
}

const AnyWidget* requestedWidget(const Dashboard& dashboard, const httplib::Request& request,
                                 httplib::Response& response) {
    const auto kind = request.get_param_value("kind");
    const auto* widget = findWidget(dashboard.widgets(), kind);
    if (!widget)
        sendError(response, 400, "unknown widget kind \"" + kind + "\"; use one of " + knownKinds(dashboard));
    return widget;
}

void handleOptions(const Dashboard& dashboard, const httplib::Request& request, httplib::Response& response) {
    const auto* widget = requestedWidget(dashboard, request, response);
    if (!widget) return;
    const auto parameter = request.get_param_value("param");
    std::optional<std::string> search;
    if (request.has_param("search")) search = request.get_param_value("search");
    auto options = widget->options(parameter, search);
    if (!options)
        return sendError(response, 400,
                         "the widget " + widget->kind() + " has no parameter \"" + parameter + "\"");
    sendJson(response, optionsJson(*options));
}

// One request as a provider answers it: /api/timeline?kind=K&family=F&set=name=value...
void handleRequest(const Dashboard& dashboard, RequestKind kind, const httplib::Request& request,
                   httplib::Response& response) {
    const auto* widget = requestedWidget(dashboard, request, response);
    if (!widget) return;
    auto family = WidgetFamily::systemMedium;
    if (request.has_param("family")) {
        auto named = widgetFamilyNamed(request.get_param_value("family"));
        if (!named)
            return sendError(response, 400,
                             "unknown family \"" + request.get_param_value("family") +
                                 "\"; use systemSmall, systemMedium, systemLarge or systemExtraLarge");
        family = *named;
    }
    auto instance = widget->makeInstance();
    for (std::size_t i = 0; i < request.get_param_value_count("set"); ++i) {
        const auto assignment = request.get_param_value("set", i);
        const auto equals = assignment.find('=');
        if (equals == std::string::npos ||
            !instance.set(assignment.substr(0, equals), assignment.substr(equals + 1)))
            return sendError(response, 400,
                             "cannot set \"" + assignment + "\" on " + widget->kind() +
                                 "; write set=NAME=VALUE with a parameter and one of its choices");
    }
    auto answers = runRequests({Request{widget, std::move(instance), family, kind}});
    if (answers.empty() || answers.front().failure)
        return sendError(response, 500, "the widget's provider failed; see the program's log");
    sendJson(response, answerJson(answers.front()));
}

int tileParameter(const nlohmann::json& body) {
    const auto found = body.find("tile");
    return found != body.end() && found->is_number_integer() ? found->get<int>() : -1;
}

}  // namespace

void installRoutes(httplib::Server& server, Dashboard& dashboard) {
    server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (!isLoopbackHost(request.get_header_value("Host"))) {
            response.status = 403;
            response.set_content("This dashboard answers only requests addressed to localhost.\n",
                                 "text/plain");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (request.method == "POST") {
            // Only the dashboard's own page may change anything: JSON bodies (which other sites cannot
            // send without asking first) and, where the browser names one, a loopback origin.
            const auto origin = request.get_header_value("Origin");
            const bool json = request.get_header_value("Content-Type").starts_with(jsonType);
            if (!json || (request.has_header("Origin") && !isLoopbackOrigin(origin))) {
                response.status = 403;
                response.set_content("Changes are accepted only from the dashboard's own page.\n",
                                     "text/plain");
                return httplib::Server::HandlerResponse::Handled;
            }
        }
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_header("Referrer-Policy", "no-referrer");
        return httplib::Server::HandlerResponse::Unhandled;
    });

    server.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Security-Policy", std::string(dashboardContentSecurityPolicy()));
        response.set_header("Cache-Control", "no-store");
        response.set_content(dashboardPageHtml(), "text/html; charset=utf-8");
    });
    server.Get("/dashboard.js", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Cache-Control", "no-store");
        response.set_content(std::string(dashboardScript()), "text/javascript; charset=utf-8");
    });
    server.Get("/api/layout", [&dashboard](const httplib::Request&, httplib::Response& response) {
        sendJson(response, dashboard.layout());
    });
    server.Get("/api/state", [&dashboard](const httplib::Request& request, httplib::Response& response) {
        const auto since = integerParameter(request, "since").value_or(0);
        sendJson(response,
                 dashboard.poll(static_cast<std::uint64_t>(std::max<std::int64_t>(0, since)), 1500ms));
    });
    server.Post("/api/set", [&dashboard](const httplib::Request& request, httplib::Response& response) {
        const auto body = nlohmann::json::parse(request.body, nullptr, false);
        if (!body.is_object() || !body.contains("name") || !body["name"].is_string() ||
            !body.contains("value") || !body["value"].is_string())
            return sendError(response, 400, "send {\"tile\": N, \"name\": PARAMETER, \"value\": CHOICE}");
        auto tile = dashboard.setParameter(tileParameter(body), body["name"].get<std::string>(),
                                           body["value"].get<std::string>(), 10s);
        if (!tile) return sendError(response, 400, "no such tile, parameter or choice");
        sendJson(response, *tile);
    });
    server.Post("/api/open", [&dashboard](const httplib::Request& request, httplib::Response& response) {
        const auto body = nlohmann::json::parse(request.body, nullptr, false);
        if (!body.is_object() || !body.contains("url") || !body["url"].is_string())
            return sendError(response, 400, "send {\"url\": URL, \"tile\": N}");
        const auto url = body["url"].get<std::string>();
        if (!isOpenableUrl(url))
            return sendError(response, 400, "only Quillbrook, web, mail and file links can be opened");
        dashboard.linkOpened(tileParameter(body));
        const auto problem = openWithDesktop(url);
        if (!problem.empty())
            return sendJson(response, nlohmann::json{{"opened", false}, {"error", problem}}, 502);
        sendJson(response, nlohmann::json{{"opened", true}});
    });
    server.Get("/api/list", [&dashboard](const httplib::Request&, httplib::Response& response) {
        sendJson(response, widgetsJson(dashboard.widgets()));
    });
    server.Get("/api/options", [&dashboard](const httplib::Request& request, httplib::Response& response) {
        handleOptions(dashboard, request, response);
    });
    for (const auto& route : {std::pair{"/api/placeholder", RequestKind::placeholder},
                              std::pair{"/api/snapshot", RequestKind::snapshot},
                              std::pair{"/api/timeline", RequestKind::timeline}}) {
        const RequestKind kind = route.second;  // clang 14 cannot capture a structured binding
        server.Get(route.first,
                   [&dashboard, kind](const httplib::Request& request, httplib::Response& response) {
                       handleRequest(dashboard, kind, request, response);
                   });
    }
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            sendError(response, 500, "the request failed inside the dashboard; see the program's log");
        });
}

}  // namespace qb::host
