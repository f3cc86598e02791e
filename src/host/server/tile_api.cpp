// The routes of the page itself: the tiles' layout, the long poll for changed tiles, a parameter
// change and a click on a link.

#include <boost/asio/post.hpp>

#include <charconv>

#include <fmt/format.h>

#include "core/link_policy.hpp"
#include "host/opener.hpp"
#include "host/server/dashboard_site.hpp"

namespace qb::host {
namespace {

// A JSON body that is an object, or nothing.
std::optional<nlohmann::json> jsonObject(const HttpRequest& request) {
    auto body = nlohmann::json::parse(request.body, nullptr, false);
    if (!body.is_object()) return std::nullopt;
    return body;
}

// The body's "tile": a JSON integer naming one of the tiles, else nothing (a negative number, a
// fraction, a string or a number past the last tile).
std::optional<std::size_t> tileNumber(const nlohmann::json& body, std::size_t tiles) {
    const auto found = body.find("tile");
    if (found == body.end() || !found->is_number_unsigned()) return std::nullopt;
    const auto number = found->get<std::uint64_t>();
    return number < tiles ? std::optional<std::size_t>(number) : std::nullopt;
}

std::optional<std::string> stringField(const nlohmann::json& body, const char* name) {
    const auto found = body.find(name);
    if (found == body.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

std::string tileRange(std::size_t tiles) {
    return "a tile number from 0 to " + std::to_string(tiles == 0 ? 0 : tiles - 1);
}

}  // namespace

void DashboardSite::layout(Reply reply) {
    // The entity parameters' choices are read from files: not on the server's thread.
    onLane(pageLane(), std::move(reply),
           [this](const Reply& answer) { answer(jsonResponse(dashboard_.layout())); });
}

void DashboardSite::state(const HttpRequest& request, Reply reply) {
    std::uint64_t since = 0;
    if (const auto text = request.param("since")) {
        auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), since);
        if (error != std::errc() || end != text->data() + text->size())
            return reply(jsonError(400, "since must be a change number the dashboard sent before"));
    }
    // A page that knows a later change than there is saw an earlier run of the dashboard: it gets
    // every tile.
    if (since > dashboard_.seq()) since = 0;
    if (!request.param("tile")) {
        // A page looks: the tiles whose reload date passed while nobody looked are asked again at once.
        pageLooks();
        return polls_.add([this, since] { return dashboard_.dashboardSeq() > since; },
                          [this, since, reply] { reply(jsonResponse(dashboard_.changesSince(since))); },
                          options_.pollWait);
    }
    // A page that shows one widget alone asks for its own tile.
    const auto text = *request.param("tile");
    std::size_t tile = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), tile);
    if (error != std::errc() || end != text.data() + text.size() || tile < dashboard_.dashboardTileCount() ||
        tile >= dashboard_.tileCount())
        return reply(
            jsonError(400, "tile must be the number of a single-widget page's tile; reload the page"));
    pageLooks(tile);
    polls_.add([this, since, tile] { return dashboard_.tileSeq(tile) > since; },
               [this, since, tile, reply] { reply(jsonResponse(dashboard_.changesSince(since, tile))); },
               options_.pollWait);
}

void DashboardSite::setParameter(const HttpRequest& request, Reply reply) {
    const auto body = jsonObject(request);
    // The tiles of single-widget pages keep the parameters their address gives.
    const auto tiles = dashboard_.dashboardTileCount();
    const auto tile = body ? tileNumber(*body, tiles) : std::nullopt;
    const auto name = body ? stringField(*body, "name") : std::nullopt;
    const auto value = body ? stringField(*body, "value") : std::nullopt;
    if (!tile || !name || !value)
        return reply(jsonError(
            400, "send {\"tile\": N, \"name\": PARAMETER, \"value\": CHOICE} with N " + tileRange(tiles)));
    pageLooks();  // a script that sets a parameter without polling still gets its tile redrawn
    onLane(dashboard_.widgetOf(*tile), std::move(reply),
           [this, tile = *tile, name = *name, value = *value](const Reply& answer) {
               if (!dashboard_.setParameter(tile, name, value))
                   return answer(jsonError(
                       400, "the tile has no parameter \"" + name + "\" with the choice \"" + value + "\""));
               const auto notKept = keepChoice(tile, name, value);
               // The answer is the redrawn tile: wait for the redraw on the server's thread.
               boost::asio::post(executor_, [this, tile, answer, notKept] {
                   redraws_.add([this, tile] { return !dashboard_.awaitingRedraw(tile); },
                                [this, tile, answer, notKept] {
                                    auto shown = dashboard_.tile(tile);
                                    if (notKept) shown["notKept"] = *notKept;
                                    answer(jsonResponse(shown));
                                },
                                options_.redrawWait);
               });
           });
}

std::optional<std::string> DashboardSite::keepChoice(std::size_t tile, std::string_view name,
                                                     std::string_view value) {
    if (!options_.settings) return std::nullopt;
    const auto& widget = dashboard_.widgets()[dashboard_.widgetOf(tile)];
    auto problem = options_.settings->keep(widget, dashboard_.familyOf(tile), name, value);
    if (problem)
        fmt::print(stderr, "quillbrook-widgets: the dashboard's choice is not kept for the next run: {}\n",
                   *problem);
    return problem;
}

void DashboardSite::open(const HttpRequest& request, Reply reply) {
    const auto body = jsonObject(request);
    const auto tiles = dashboard_.tileCount();
    const auto tile = body ? tileNumber(*body, tiles) : std::nullopt;
    const auto url = body ? stringField(*body, "url") : std::nullopt;
    if (!tile || !url)
        return reply(jsonError(400, "send {\"url\": URL, \"tile\": N} with N " + tileRange(tiles)));
    if (!isOpenableUrl(*url))
        return reply(jsonError(400, "only Quillbrook, web, mail and file links can be opened"));
    if (!dashboard_.showsLink(*tile, *url))
        return reply(
            jsonError(403, "the dashboard opens only a link that the tile shows now; reload the page"));
    // The desktop's application is looked up in its files: not on the server's thread. What keeps a
    // link from opening is the answer, not an HTTP failure: the page shows it on the tile.
    onLane(pageLane(), std::move(reply), [this, tile = *tile, url = *url](const Reply& answer) {
        if (auto error = openLink(url, options_.opener))
            return answer(jsonResponse(nlohmann::json{{"opened", false}, {"error", error->message}}));
        dashboard_.linkOpened(tile);
        answer(jsonResponse(nlohmann::json{{"opened", true}}));
    });
}

}  // namespace qb::host
