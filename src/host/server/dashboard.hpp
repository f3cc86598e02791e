#pragma once

// The dashboard's state: one instance per widget and family, each with its parameters, its latest
// entry drawn as HTML, the links that drawing shows and the date its provider asked to be asked again.
// Providers run on the widget kind's lane; a tile is asked again only when refreshDue() finds its
// reload date passed (today a page's poll calls it, so nothing runs while no page looks), at once when
// a parameter changes, and shortly after one of its links was opened. Nothing here knows of HTTP:
// whoever shows the tiles reads them and listens for changes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/server/work_lanes.hpp"
#include "platform/date.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

class Dashboard {
  public:
    // How soon after a click on one of its links a tile is asked again.
    static constexpr double refreshAfterLinkSeconds = 2;

    // Runs widget w's providers on lane w of `lanes` (which needs one lane per widget at least). Stop
    // the lanes before the dashboard goes; the destructor does it too.
    Dashboard(std::vector<AnyWidget> widgets, WorkLanes& lanes, Clock clock = systemClock());
    ~Dashboard();
    Dashboard(const Dashboard&) = delete;
    Dashboard& operator=(const Dashboard&) = delete;

    const std::vector<AnyWidget>& widgets() const { return widgets_; }
    std::size_t tileCount() const { return tiles_.size(); }
    // The index in widgets() of a tile's widget (tiles never change widget).
    std::size_t widgetOf(std::size_t id) const { return tiles_.at(id).widget; }

    // Called on a lane's thread whenever a tile changed or a refresh ended; it must not block. Once
    // this returns, the listener it replaces is not called any more.
    void onChange(std::function<void()> listener);

    // The widgets with their tiles, parameters and choices, to build the page. Asks the entity
    // queries, which read files.
    nlohmann::json layout() const;

    // The number of the latest change, and {"seq": N, "tiles": [...]} with every tile changed after
    // `since`.
    std::uint64_t seq() const;
    nlohmann::json changesSince(std::uint64_t since) const;
    // One tile as the page shows it.
    nlohmann::json tile(std::size_t id) const;
    bool isRefreshing(std::size_t id) const;

    // Starts the tiles whose reload date has passed.
    void refreshDue();

    // Sets a tile's parameter and draws the tile again. False (and no change) for an unknown tile,
    // parameter or value. An entity parameter asks its query, which reads files.
    bool setParameter(std::size_t id, std::string_view name, std::string_view value);

    // A link of the tile was opened: ask its provider again shortly. False, and nothing changes, when
    // the tile does not show exactly that link now.
    bool linkOpened(std::size_t id, std::string_view url);

  private:
    struct Tile {
        Tile(std::size_t id_, std::size_t widget_, WidgetFamily family_, WidgetInstance instance_)
            : id(id_), widget(widget_), family(family_), instance(std::move(instance_)) {}

        std::size_t id = 0;
        std::size_t widget = 0;
        WidgetFamily family = WidgetFamily::systemMedium;
        WidgetInstance instance;
        std::string html;
        std::vector<std::string> links;  // what a click on `html` may open
        Date reloadAt = Date::distantPast();
        std::uint64_t seq = 0;
        bool refreshing = false;
        bool again = false;  // changed while refreshing: refresh once more when done
    };
    struct Drawing {
        std::string html;
        std::vector<std::string> links;
    };

    void startRefresh(Tile& tile);  // with the lock held
    void finishRefresh(std::size_t id, std::optional<Drawing> drawing, Date reloadAt);
    Drawing draw(std::size_t widget, WidgetFamily family, const ErasedEntry* entry) const;
    nlohmann::json tileJson(const Tile& tile) const;
    void changed() const;

    std::vector<AnyWidget> widgets_;
    WorkLanes& lanes_;
    Clock clock_;
    mutable std::mutex listenerMutex_;
    std::function<void()> listener_;
    mutable std::mutex mutex_;
    std::vector<Tile> tiles_;
    std::uint64_t seq_ = 0;
};

}  // namespace qb::host
