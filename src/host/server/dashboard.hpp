#pragma once

// The dashboard's state: one engine instance per widget and family (a tile), each with its parameters,
// its latest entry drawn as HTML, the links that drawing shows and the date the engine reloads it next.
// The engine decides when a tile is asked again (its reload date, a changed file, a resume, the network,
// a link opened); the dashboard only keeps what the page needs and says when a tile changed. Tiles are
// shown to the engine only while a page looks, so nothing reloads while nobody does. Nothing here knows
// of HTTP: whoever shows the tiles reads them and listens for changes.
//
// Besides its own tiles (one per widget and family, numbered first), the dashboard keeps a tile for each
// page that shows one widget alone with parameters of its own.
//
// Threads: make and destroy the dashboard on the engine's thread (or before that thread runs the
// engine's context, and after it stopped). Everything else may be called from any thread; what reaches
// the engine is handed to its thread through a mailbox.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/engine/engine.hpp"
#include "host/engine/glib_source.hpp"
#include "platform/date.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

class Dashboard {
  public:
    // The parameters a tile of the dashboard starts with, by widget kind and family (the choices kept
    // from an earlier run); other tiles start with their widget's defaults.
    using StartingInstances = std::map<std::pair<std::string, WidgetFamily>, WidgetInstance>;
    // Pages that show one widget alone get at most this many tiles of their own.
    static constexpr std::size_t singleTileLimit = 64;

    // Adds a hidden tile to `engine` for every widget and family; `context` is the engine's.
    Dashboard(std::vector<AnyWidget> widgets, engine::Engine& engine, GMainContext* context,
              StartingInstances starting = {});
    ~Dashboard();  // removes the tiles from the engine
    Dashboard(const Dashboard&) = delete;
    Dashboard& operator=(const Dashboard&) = delete;

    const std::vector<AnyWidget>& widgets() const { return widgets_; }
    // The dashboard's own tiles are numbered from 0 to dashboardTileCount() - 1; the tiles of pages that
    // show one widget follow, up to tileCount() - 1.
    std::size_t dashboardTileCount() const { return dashboardTiles_; }
    std::size_t tileCount() const;
    // The index in widgets() of a tile's widget, and the tile's family (tiles never change either).
    std::size_t widgetOf(std::size_t id) const;
    WidgetFamily familyOf(std::size_t id) const;

    // The tile for a page that shows the widget alone in `family` with the parameters of `instance`:
    // pages that ask for the same widget, family and parameters share one. Nothing once
    // singleTileLimit such tiles exist. Its parameters never change.
    std::optional<std::size_t> singleTile(std::size_t widget, WidgetFamily family, WidgetInstance instance);

    // Called on the engine's thread whenever a tile changed; it must not block. Once this returns, the
    // listener it replaces is not called any more.
    void onChange(std::function<void()> listener);

    // The widgets with their tiles, parameters and choices, to build the page. Asks the entity
    // queries, which read files.
    nlohmann::json layout() const;

    // The number of the latest change of any tile, and the latest of the dashboard's own tiles.
    std::uint64_t seq() const;
    std::uint64_t dashboardSeq() const;
    std::uint64_t tileSeq(std::size_t id) const;  // 0 for no such tile
    // {"seq": N, "tiles": [...]} with every tile of the dashboard changed after `since`; or with the one
    // tile `id` if it changed after `since` (none else).
    nlohmann::json changesSince(std::uint64_t since) const;
    nlohmann::json changesSince(std::uint64_t since, std::size_t id) const;
    // One tile as the page shows it.
    nlohmann::json tile(std::size_t id) const;
    // Whether a tile's parameters changed and it was not drawn with them yet.
    bool awaitingRedraw(std::size_t id) const;

    // Whether a page looks at the dashboard's tiles, or at one tile: hidden tiles do not reload, and
    // tiles shown again after their reload date passed reload at once.
    void setVisible(bool visible);
    void setVisible(std::size_t id, bool visible);

    // Sets a parameter of one of the dashboard's tiles and has the tile drawn again. False (and no
    // change) for an unknown tile, parameter or value. An entity parameter asks its query, which reads
    // files.
    bool setParameter(std::size_t id, std::string_view name, std::string_view value);

    // Whether the tile shows exactly that link now: only such a link may be opened.
    bool showsLink(std::size_t id, std::string_view url) const;
    // A link of the tile was opened: the data behind it may change, so the engine asks again shortly.
    void linkOpened(std::size_t id);

  private:
    struct Tile {
        Tile(std::size_t widget_, WidgetFamily family_, WidgetInstance instance_)
            : widget(widget_), family(family_), instance(std::move(instance_)) {}

        std::size_t widget = 0;
        WidgetFamily family = WidgetFamily::systemMedium;
        engine::InstanceId engineId = 0;  // the tile in the engine
        WidgetInstance instance;          // with the parameters last set
        std::string html;
        std::vector<std::string> links;  // what a click on `html` may open
        std::optional<Date> reloadAt;    // none while the tile shows its placeholder
        std::uint64_t seq = 0;
        bool visible = false;
        // Parameter changes: made, handed to the engine, and drawn.
        std::uint64_t requested = 0;
        std::uint64_t applied = 0;
        std::uint64_t drawn = 0;
    };
    struct Drawing {
        std::string html;
        std::vector<std::string> links;
    };

    Drawing draw(std::size_t widget, WidgetFamily family, const ErasedEntry* entry) const;
    // A new tile showing the widget's placeholder; `add()` hands it to the engine.
    Tile makeTile(std::size_t widget, WidgetFamily family, WidgetInstance instance) const;
    void add(std::size_t id);  // on the engine's thread
    void show(std::size_t first, std::size_t end, bool visible);
    void entryChanged(std::size_t id, const engine::EntryUpdate& update);  // on the engine's thread
    nlohmann::json tileJson(std::size_t id, const Tile& tile) const;
    nlohmann::json parametersJson(const AnyWidget& widget) const;
    void changed() const;

    std::vector<AnyWidget> widgets_;
    std::size_t dashboardTiles_ = 0;
    engine::Engine& engine_;
    mutable std::mutex listenerMutex_;
    std::function<void()> listener_;
    mutable std::mutex mutex_;
    std::vector<Tile> tiles_;  // grows (tiles of single-widget pages): index it under the lock
    std::uint64_t seq_ = 0;
    std::uint64_t dashboardSeq_ = 0;
    // Calls into the engine, run on its thread; last, so that jobs still waiting go first.
    engine::Mailbox toEngine_;
};

}  // namespace qb::host
