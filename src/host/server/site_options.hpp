#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "host/server/owner_secret.hpp"

namespace qb::host {

// What the dashboard's site is told: its port, its owner's secret, how clicks are opened and how long
// requests wait for the tiles.
struct SiteOptions {
    int port = 0;
    OwnerSecret secret{""};
    std::string opener = "xdg-open";  // the program that hands a clicked link to the desktop
    // How long a poll waits for a tile to change, and a parameter change for its redraw.
    std::chrono::milliseconds pollWait{10'000};
    std::chrono::milliseconds redrawWait{10'000};
    // Polls waiting at once; a newer one answers the oldest at once.
    std::size_t waitingPolls = 16;
    // Requests queued on one widget's lane before more are refused as busy.
    std::size_t queuedPerLane = 16;
};

}  // namespace qb::host
