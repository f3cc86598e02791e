#pragma once

// The dashboard's state: one instance per widget and family, each with its parameters, its latest
// entry drawn as HTML and the date its provider asked to be asked again. Providers run on worker
// threads; a tile is asked again only when someone polls after its reload date (so nothing runs while
// no page looks), at once when a parameter changes, and shortly after one of its links was opened.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/server/worker_pool.hpp"
#include "platform/date.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

class Dashboard {
  public:
    // How soon after a click on one of its links a tile is asked again.
    static constexpr double refreshAfterLinkSeconds = 2;

    Dashboard(std::vector<AnyWidget> widgets, Clock clock = systemClock(), unsigned workerThreads = 2);
    Dashboard(const Dashboard&) = delete;
    Dashboard& operator=(const Dashboard&) = delete;

    const std::vector<AnyWidget>& widgets() const { return widgets_; }

    // The widgets with their tiles, parameters and choices, to build the page.
    nlohmann::json layout() const;

    // Starts the tiles whose reload date has passed, waits up to `wait` for them, and returns
    // {"seq": N, "tiles": [...]} with every tile changed after `since`.
    nlohmann::json poll(std::uint64_t since, std::chrono::milliseconds wait);

    // Sets a tile's parameter and draws the tile again; waits up to `wait` for the new entry. Nothing
    // (and no change) for an unknown tile, parameter or value.
    std::optional<nlohmann::json> setParameter(int tile, std::string_view name, std::string_view value,
                                               std::chrono::milliseconds wait);

    // A link of the tile was opened: ask its provider again shortly.
    void linkOpened(int tile);

  private:
    struct Tile {
        int id = 0;
        std::size_t widget = 0;
        WidgetFamily family = WidgetFamily::systemMedium;
        WidgetInstance instance;
        std::string html;
        Date reloadAt;
        std::uint64_t seq = 0;
        bool refreshing = false;
        bool again = false;  // changed while refreshing: refresh once more when done
    };

    void startRefresh(Tile& tile);  // with the lock held
    void finishRefresh(int id, std::string html, Date reloadAt);
    std::string draw(const Tile& tile, const ErasedEntry* entry) const;
    nlohmann::json tileJson(const Tile& tile) const;

    std::vector<AnyWidget> widgets_;
    Clock clock_;
    mutable std::mutex mutex_;
    std::condition_variable refreshed_;
    std::vector<Tile> tiles_;
    std::uint64_t seq_ = 0;
    WorkerPool pool_;  // last: stopped before the tiles go
};

}  // namespace qb::host
