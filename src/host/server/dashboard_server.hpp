#pragma once

// The dashboard on the network: its site served by the HTTP server on 127.0.0.1, on the thread that
// calls run(), woken whenever a tile changes.

#include <memory>
#include <optional>
#include <string>

#include "host/server/dashboard.hpp"
#include "host/server/server_limits.hpp"
#include "host/server/site_options.hpp"
#include "host/server/work_lanes.hpp"

namespace qb::host {

class DashboardServer {
  public:
    // `lanes` has a lane per widget of the dashboard and one more; the site's port is the one listen()
    // gets. Stop the lanes before the server goes: the work they run answers through it.
    DashboardServer(Dashboard& dashboard, WorkLanes& lanes, SiteOptions site, ServerLimits limits = {});
    ~DashboardServer();
    DashboardServer(const DashboardServer&) = delete;
    DashboardServer& operator=(const DashboardServer&) = delete;

    // Listens on 127.0.0.1:port (0: a free port). What went wrong, or nothing.
    std::optional<std::string> listen(int port);
    int port() const;

    // Serves until stop().
    void run();
    // Closes every connection, answers every waiting request and makes run() return. From any thread,
    // before or while run() runs.
    void stop();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace qb::host
