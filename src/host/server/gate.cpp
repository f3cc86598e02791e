#include "host/server/gate.hpp"

#include <fmt/format.h>

#include "host/server/host_check.hpp"

namespace qb::host {

Admission admitRequest(const HttpRequest& head, int port, const OwnerSecret& secret) {
    const auto host = head.header("host");
    if (!host || !isDashboardHost(*host, port))
        return {textResponse(403, fmt::format("This dashboard answers only requests addressed to "
                                              "127.0.0.1:{0} or localhost:{0}.",
                                              port)),
                false};
    const auto origin = head.header("origin");
    if (origin && !isDashboardOrigin(*origin, port))
        return {
            textResponse(403, "This dashboard answers only its own page, not pages of other sites or ports."),
            false};

    const auto token = head.param("token");
    const bool tokenValid = token && secret.matches(*token);
    const auto cookie = head.header("cookie");
    if (!tokenValid && !(cookie && secret.inCookieHeader(*cookie, port)))
        return {textResponse(403,
                             "This dashboard belongs to the account that started it: open the address "
                             "that `quillbrook-widgets serve` printed (it is also in "
                             "$XDG_RUNTIME_DIR/quillbrook-widgets/)."),
                false};
    if (tokenValid && head.method == "GET" && head.path == "/") {
        HttpResponse exchange = textResponse(303, "The dashboard is at /.");
        exchange.headers = {{"Location", "/"}, {"Set-Cookie", secret.setCookie(port)}};
        return {std::move(exchange), true};
    }
    if (head.method == "POST" && !head.header("content-type").value_or("").starts_with("application/json"))
        return {textResponse(403, "Changes are accepted only from the dashboard's own page, as JSON."), true};
    return {std::nullopt, true};
}

}  // namespace qb::host
