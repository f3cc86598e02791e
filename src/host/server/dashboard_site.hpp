#pragma once

// The dashboard's site: the page and its script, the JSON the page polls and posts, and a JSON API that
// mirrors the program's commands (list, options, placeholder, snapshot, timeline). Runs on the HTTP
// server's thread and never blocks it: the requests' providers, entity queries and link openers run on
// the widgets' lanes (the tiles' own reloads run in the engine), and requests that wait for the tiles
// are parked until they change. The tiles are shown to the engine while a page polls.

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "host/requests.hpp"
#include "host/server/dashboard.hpp"
#include "host/server/request_handler.hpp"
#include "host/server/router.hpp"
#include "host/server/site_options.hpp"
#include "host/server/waiters.hpp"
#include "host/server/work_lanes.hpp"

namespace qb::host {

class DashboardSite final : public RequestHandler {
  public:
    // `lanes` has a lane per widget of the dashboard and one more for the page's own work.
    DashboardSite(boost::asio::any_io_executor executor, Dashboard& dashboard, WorkLanes& lanes,
                  SiteOptions options);

    Admission admit(const HttpRequest& head) override;
    void handle(HttpRequest request, Reply reply) override;

    // Answers the requests that waited for this change. Call on the server's thread.
    void tilesChanged();
    // Answers every waiting request now (the server is stopping).
    void stop();

  private:
    // The page and the tiles.
    void layout(Reply reply);
    void state(const HttpRequest& request, Reply reply);
    void setParameter(const HttpRequest& request, Reply reply);
    void open(const HttpRequest& request, Reply reply);
    // A page that shows one widget alone: /widget/KIND?family=F&set=NAME=VALUE...
    void singleWidget(const HttpRequest& request, Reply reply);
    // Keeps a choice for the next run (on a lane: it writes a file); why it could not, or nothing.
    std::optional<std::string> keepChoice(std::size_t tile, std::string_view name, std::string_view value);
    // The command mirror.
    void options(const HttpRequest& request, Reply reply);
    void request(const HttpRequest& request, RequestKind kind, Reply reply);
    void list(Reply reply);

    // A page looks at the dashboard's tiles, or at one tile of a single-widget page, now: they are shown,
    // and hidden again once no page looked for a while.
    void pageLooks();
    void pageLooks(std::size_t tile);

    // Runs `job` on a lane, or answers 503 when that lane is already full of waiting work.
    void onLane(std::size_t lane, Reply reply, std::function<void(const Reply&)> job);
    std::size_t pageLane() const { return dashboard_.widgets().size(); }

    boost::asio::any_io_executor executor_;
    Dashboard& dashboard_;
    WorkLanes& lanes_;
    SiteOptions options_;
    Router router_;
    Waiters polls_;
    Waiters redraws_;
    boost::asio::steady_timer looking_;
    std::map<std::size_t, boost::asio::steady_timer> lookingAtTile_;
};

}  // namespace qb::host
