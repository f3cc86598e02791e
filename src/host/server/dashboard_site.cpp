#include "host/server/dashboard_site.hpp"

#include <fmt/format.h>

#include "host/server/dashboard_page.hpp"
#include "host/server/gate.hpp"

namespace qb::host {

DashboardSite::DashboardSite(boost::asio::any_io_executor executor, Dashboard& dashboard, WorkLanes& lanes,
                             SiteOptions siteOptions)
    : executor_(executor),
      dashboard_(dashboard),
      lanes_(lanes),
      options_(std::move(siteOptions)),
      polls_(executor, options_.waitingPolls),
      redraws_(executor, options_.waitingPolls),
      looking_(executor) {
    router_.get("/", [](const HttpRequest&, const Reply& reply) {
        HttpResponse page{200, "text/html; charset=utf-8", dashboardPageHtml(), {}};
        page.headers.emplace_back("Content-Security-Policy", dashboardContentSecurityPolicy());
        reply(std::move(page));
    });
    router_.get("/dashboard.js", [](const HttpRequest&, const Reply& reply) {
        reply({200, "text/javascript; charset=utf-8", std::string(dashboardScript()), {}});
    });
    router_.get("/api/layout", [this](const HttpRequest&, Reply reply) { layout(std::move(reply)); });
    router_.get("/api/state", [this](const HttpRequest& r, Reply reply) { state(r, std::move(reply)); });
    router_.post("/api/set",
                 [this](const HttpRequest& r, Reply reply) { setParameter(r, std::move(reply)); });
    router_.post("/api/open", [this](const HttpRequest& r, Reply reply) { open(r, std::move(reply)); });
    router_.getUnder("/widget/",
                     [this](const HttpRequest& r, Reply reply) { singleWidget(r, std::move(reply)); });
    router_.get("/api/list", [this](const HttpRequest&, Reply reply) { list(std::move(reply)); });
    router_.get("/api/options", [this](const HttpRequest& r, Reply reply) { options(r, std::move(reply)); });
    for (const auto& [path, kind] : {std::pair{"/api/placeholder", RequestKind::placeholder},
                                     std::pair{"/api/snapshot", RequestKind::snapshot},
                                     std::pair{"/api/timeline", RequestKind::timeline}}) {
        const RequestKind requested = kind;  // clang 14 cannot capture a structured binding
        router_.get(path, [this, requested](const HttpRequest& r, Reply reply) {
            request(r, requested, std::move(reply));
        });
    }
}

Admission DashboardSite::admit(const HttpRequest& head) {
    auto admission = admitRequest(head, options_.port, options_.secret);
    if (!admission.refusal) admission.refusal = router_.refusal(head);
    return admission;
}

void DashboardSite::handle(HttpRequest request, Reply reply) {
    try {
        router_.route(std::move(request), reply);
    } catch (const std::exception& error) {
        fmt::print(stderr, "quillbrook-widgets: a dashboard request failed: {}\n", error.what());
        reply(jsonError(500, "the request failed inside the dashboard; see the program's log"));
    }
}

void DashboardSite::tilesChanged() {
    polls_.wake();
    redraws_.wake();
}

void DashboardSite::stop() {
    polls_.stop();
    redraws_.stop();
    looking_.cancel();
    for (auto& [tile, timer] : lookingAtTile_) timer.cancel();
}

void DashboardSite::pageLooks() {
    dashboard_.setVisible(true);
    // Each look moves the end forward; the wait it replaces ends as cancelled.
    looking_.expires_after(options_.pollWait + options_.lookingMargin);
    looking_.async_wait([this](boost::system::error_code error) {
        if (!error) dashboard_.setVisible(false);
    });
}

void DashboardSite::pageLooks(std::size_t tile) {
    dashboard_.setVisible(tile, true);
    auto& timer = lookingAtTile_.try_emplace(tile, executor_).first->second;
    timer.expires_after(options_.pollWait + options_.lookingMargin);
    timer.async_wait([this, tile](boost::system::error_code error) {
        if (!error) dashboard_.setVisible(tile, false);
    });
}

void DashboardSite::onLane(std::size_t lane, Reply reply, std::function<void(const Reply&)> job) {
    auto work = [reply, job = std::move(job)] {
        try {
            job(reply);
        } catch (const std::exception& error) {
            fmt::print(stderr, "quillbrook-widgets: a dashboard request failed: {}\n", error.what());
            reply(jsonError(500, "the request failed inside the dashboard; see the program's log"));
        }
    };
    if (!lanes_.tryPost(lane, std::move(work), options_.queuedPerLane)) {
        const auto who =
            lane < dashboard_.widgets().size() ? "the " + dashboard_.widgets()[lane].kind() : "the page";
        reply(jsonError(503, who + " is busy with earlier requests; try again in a moment"));
    }
}

}  // namespace qb::host
