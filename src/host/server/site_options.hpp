#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "host/opener.hpp"
#include "host/server/dashboard_settings.hpp"
#include "host/server/owner_secret.hpp"

namespace qb::host {

// What the dashboard's site is told: its port, its owner's secret, how clicks are opened, where the
// choices made in the page are kept and how long requests wait for the tiles.
struct SiteOptions {
    int port = 0;
    OwnerSecret secret{""};
    LinkOpener opener;  // who opens a clicked link: the desktop's application unless a program is named
    // How long a poll waits for a tile to change, and a parameter change for its redraw.
    std::chrono::milliseconds pollWait{10'000};
    std::chrono::milliseconds redrawWait{10'000};
    // A page looks at the tiles while it polls: the tiles are hidden from the engine once no poll came
    // for a poll's wait and this much more (a page's pause between two polls, a busy browser).
    std::chrono::milliseconds lookingMargin{5'000};
    // Polls waiting at once; a newer one answers the oldest at once.
    std::size_t waitingPolls = 16;
    // Requests queued on one widget's lane before more are refused as busy.
    std::size_t queuedPerLane = 16;
    // Where a parameter chosen in the page is kept for the next run; none: it lasts as long as the server.
    std::shared_ptr<DashboardSettingsFile> settings = nullptr;
};

}  // namespace qb::host
