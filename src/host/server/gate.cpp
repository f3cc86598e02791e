#include "host/server/gate.hpp"

#include <fmt/format.h>
#include <boost/url/encode.hpp>
#include <boost/url/rfc/pchars.hpp>
#include <boost/url/url.hpp>

#include "host/server/host_check.hpp"

namespace qb::host {
namespace {

// The pages a person opens with the printed address: the dashboard, and a page with one widget alone.
bool isPage(const HttpRequest& head) {
    return head.method == "GET" && (head.path == "/" || head.path.starts_with("/widget/"));
}

// The address asked for without its token, the rest of its query kept.
std::string withoutToken(const HttpRequest& head) {
    boost::urls::url query;
    for (const auto& [name, value] : head.query)
        if (name != "token") query.params().append({name, value});
    const auto path =
        boost::urls::encode(head.path, boost::urls::pchars + boost::urls::grammar::lut_chars('/'));
    return query.params().empty() ? path : path + "?" + std::string(query.encoded_query());
}

}  // namespace

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
    if (tokenValid && isPage(head)) {
        const auto location = withoutToken(head);
        HttpResponse exchange = textResponse(303, fmt::format("The page is at {}.", location));
        exchange.headers = {{"Location", location}, {"Set-Cookie", secret.setCookie(port)}};
        return {std::move(exchange), true};
    }
    if (head.method == "POST" && !head.header("content-type").value_or("").starts_with("application/json"))
        return {textResponse(403, "Changes are accepted only from the dashboard's own page, as JSON."), true};
    return {std::nullopt, true};
}

}  // namespace qb::host
