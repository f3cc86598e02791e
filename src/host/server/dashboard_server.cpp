#include "host/server/dashboard_server.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>

#include "host/server/dashboard_site.hpp"
#include "host/server/http_server.hpp"

namespace qb::host {

struct DashboardServer::Parts {
    Parts(Dashboard& dashboard_, WorkLanes& lanes_, SiteOptions site_, ServerLimits limits)
        : dashboard(dashboard_), lanes(lanes_), siteOptions(std::move(site_)), server(io, limits) {}

    Dashboard& dashboard;
    WorkLanes& lanes;
    SiteOptions siteOptions;
    boost::asio::io_context io{1};
    HttpServer server;
    std::optional<DashboardSite> site;  // made once the port is known
};

DashboardServer::DashboardServer(Dashboard& dashboard, WorkLanes& lanes, SiteOptions site,
                                 ServerLimits limits)
    : parts_(std::make_unique<Parts>(dashboard, lanes, std::move(site), limits)) {}

DashboardServer::~DashboardServer() {
    parts_->dashboard.onChange({});
    parts_->server.stop();
    if (parts_->site) parts_->site->stop();
}

std::optional<std::string> DashboardServer::listen(int port) {
    if (auto problem = parts_->server.listen(port)) return problem;
    parts_->siteOptions.port = parts_->server.port();
    auto& site = parts_->site.emplace(parts_->io.get_executor(), parts_->dashboard, parts_->lanes,
                                      parts_->siteOptions);
    // A change comes on a lane's thread; the requests that wait for it are answered on the server's.
    parts_->dashboard.onChange(
        [&io = parts_->io, &site] { boost::asio::post(io, [&site] { site.tilesChanged(); }); });
    parts_->server.start(site);
    return std::nullopt;
}

int DashboardServer::port() const {
    return parts_->server.port();
}

void DashboardServer::run() {
    parts_->io.run();
}

void DashboardServer::stop() {
    boost::asio::post(parts_->io, [parts = parts_.get()] {
        parts->server.stop();
        if (parts->site) parts->site->stop();
        parts->io.stop();
    });
}

}  // namespace qb::host
