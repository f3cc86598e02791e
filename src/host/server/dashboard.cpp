#include "host/server/dashboard.hpp"

#include <algorithm>

#include "host/render/html.hpp"
#include "host/render/resolve.hpp"
#include "platform/localization.hpp"

namespace qb::host {

Dashboard::Dashboard(std::vector<AnyWidget> widgets, engine::Engine& engine, GMainContext* context,
                     StartingInstances starting)
    : widgets_(std::move(widgets)), engine_(engine), toEngine_(context) {
    for (std::size_t w = 0; w < widgets_.size(); ++w) {
        for (auto family : widgets_[w].families()) {
            auto kept = starting.find({widgets_[w].kind(), family});
            tiles_.push_back(makeTile(
                w, family, kept != starting.end() ? std::move(kept->second) : widgets_[w].makeInstance()));
            tiles_.back().seq = ++seq_;
        }
    }
    dashboardTiles_ = tiles_.size();
    dashboardSeq_ = seq_;
    // Added once every tile is in place: the engine's answers find their tile by its index.
    for (std::size_t id = 0; id < tiles_.size(); ++id) add(id);
}

Dashboard::~Dashboard() {
    for (const auto& tile : tiles_)
        if (tile.engineId != 0) engine_.remove(tile.engineId);
}

Dashboard::Tile Dashboard::makeTile(std::size_t widget, WidgetFamily family, WidgetInstance instance) const {
    Tile tile(widget, family, std::move(instance));
    // Until the first timeline arrives the tile shows the placeholder, which reads nothing.
    Drawing drawing;
    try {
        auto placeholder = tile.instance.placeholder(TimelineContext{family, false});
        drawing = draw(widget, family, &placeholder);
    } catch (...) {
        drawing = draw(widget, family, nullptr);
    }
    tile.html = std::move(drawing.html);
    tile.links = std::move(drawing.links);
    return tile;
}

void Dashboard::add(std::size_t id) {
    std::optional<engine::InstanceSetup> setup;
    {
        std::scoped_lock lock(mutex_);
        const auto& tile = tiles_[id];
        const auto& widget = widgets_[tile.widget];
        setup.emplace(engine::InstanceSetup{widget, tile.instance, tile.family, tile.visible});
    }
    const auto engineId = engine_.add(
        std::move(*setup), [this, id](const engine::EntryUpdate& update) { entryChanged(id, update); });
    std::scoped_lock lock(mutex_);
    tiles_[id].engineId = engineId;
}

std::size_t Dashboard::tileCount() const {
    std::scoped_lock lock(mutex_);
    return tiles_.size();
}

std::size_t Dashboard::widgetOf(std::size_t id) const {
    std::scoped_lock lock(mutex_);
    return tiles_.at(id).widget;
}

WidgetFamily Dashboard::familyOf(std::size_t id) const {
    std::scoped_lock lock(mutex_);
    return tiles_.at(id).family;
}

std::optional<std::size_t> Dashboard::singleTile(std::size_t widget, WidgetFamily family,
                                                 WidgetInstance instance) {
    const auto values = instance.values();
    {
        std::scoped_lock lock(mutex_);
        for (std::size_t id = dashboardTiles_; id < tiles_.size(); ++id)
            if (tiles_[id].widget == widget && tiles_[id].family == family &&
                tiles_[id].instance.values() == values)
                return id;
        if (tiles_.size() - dashboardTiles_ >= singleTileLimit) return std::nullopt;
    }
    // Drawn outside the lock; a page that asked for the same tile meanwhile gets one of its own.
    auto tile = makeTile(widget, family, std::move(instance));
    std::scoped_lock lock(mutex_);
    tile.seq = ++seq_;
    tiles_.push_back(std::move(tile));
    const std::size_t id = tiles_.size() - 1;
    toEngine_.post([this, id] { add(id); });
    return id;
}

Dashboard::Drawing Dashboard::draw(std::size_t widget, WidgetFamily family, const ErasedEntry* entry) const {
    const auto& kind = widgets_[widget];
    ui::Environment environment{family, WidgetRenderingMode::fullColor};
    HtmlTile tile{kind.kind(), kind.displayName(), family, environment.renderingMode,
                  entry && entry->view ? entry->view(environment) : ui::emptyView()};
    const auto tree = resolve(tile.view, environment);
    std::vector<std::string> links;
    for (const auto& url : openableLinks(tree)) links.push_back(url.string());
    return {renderHtmlTile(tile, tree), std::move(links)};
}

void Dashboard::entryChanged(std::size_t id, const engine::EntryUpdate& update) {
    // Drawn outside the lock: the tile's widget and family never change.
    auto drawing = draw(widgetOf(id), familyOf(id), &update.entry);
    {
        std::scoped_lock lock(mutex_);
        auto& tile = tiles_[id];
        tile.html = std::move(drawing.html);
        tile.links = std::move(drawing.links);
        tile.reloadAt = update.nextReload;
        tile.drawn = tile.applied;
        tile.seq = ++seq_;
        if (id < dashboardTiles_) dashboardSeq_ = seq_;
    }
    changed();
}

void Dashboard::onChange(std::function<void()> listener) {
    std::scoped_lock lock(listenerMutex_);
    listener_ = std::move(listener);
}

void Dashboard::changed() const {
    std::scoped_lock lock(listenerMutex_);
    if (listener_) listener_();
}

nlohmann::json Dashboard::tileJson(std::size_t id, const Tile& tile) const {
    nlohmann::json values = nlohmann::json::object();
    for (const auto& [name, value] : tile.instance.values()) values[name] = value;
    return {{"id", id},
            {"kind", widgets_[tile.widget].kind()},
            {"family", std::string(name(tile.family))},
            {"seq", tile.seq},
            {"html", tile.html},
            {"reloadAt", tile.reloadAt ? nlohmann::json(iso8601(*tile.reloadAt)) : nlohmann::json()},
            {"values", values}};
}

nlohmann::json Dashboard::parametersJson(const AnyWidget& widget) const {
    auto parameters = nlohmann::json::array();
    for (const auto& parameter : widget.parameters()) {
        auto options = nlohmann::json::array();
        for (const auto& option : widget.options(parameter.name).value_or(std::vector<ParameterOption>{}))
            options.push_back({{"id", option.id}, {"title", option.title}});
        parameters.push_back({{"name", parameter.name},
                              {"title", localized(parameter.title)},
                              {"isEntity", parameter.isEntity},
                              {"default", parameter.defaultValue},
                              {"options", options}});
    }
    return parameters;
}

nlohmann::json Dashboard::layout() const {
    // Read first: a tile that changes while the layout is made is sent again by the next poll.
    const auto changes = seq();
    auto result = nlohmann::json::array();
    for (std::size_t w = 0; w < widgets_.size(); ++w) {
        const auto& widget = widgets_[w];
        auto tiles = nlohmann::json::array();
        {
            std::scoped_lock lock(mutex_);
            for (std::size_t id = 0; id < dashboardTiles_; ++id)
                if (tiles_[id].widget == w) tiles.push_back(tileJson(id, tiles_[id]));
        }
        result.push_back({{"kind", widget.kind()},
                          {"displayName", localized(widget.displayName())},
                          {"description", localized(widget.description())},
                          {"parameters", parametersJson(widget)},
                          {"tiles", tiles}});
    }
    return {{"seq", changes}, {"widgets", result}};
}

std::uint64_t Dashboard::seq() const {
    std::scoped_lock lock(mutex_);
    return seq_;
}

std::uint64_t Dashboard::dashboardSeq() const {
    std::scoped_lock lock(mutex_);
    return dashboardSeq_;
}

std::uint64_t Dashboard::tileSeq(std::size_t id) const {
    std::scoped_lock lock(mutex_);
    return id < tiles_.size() ? tiles_[id].seq : 0;
}

nlohmann::json Dashboard::changesSince(std::uint64_t since) const {
    std::scoped_lock lock(mutex_);
    auto changed = nlohmann::json::array();
    for (std::size_t id = 0; id < dashboardTiles_; ++id)
        if (tiles_[id].seq > since) changed.push_back(tileJson(id, tiles_[id]));
    return {{"seq", seq_}, {"tiles", changed}};
}

nlohmann::json Dashboard::changesSince(std::uint64_t since, std::size_t id) const {
    std::scoped_lock lock(mutex_);
    auto changed = nlohmann::json::array();
    if (id < tiles_.size() && tiles_[id].seq > since) changed.push_back(tileJson(id, tiles_[id]));
    return {{"seq", seq_}, {"tiles", changed}};
}

nlohmann::json Dashboard::tile(std::size_t id) const {
    std::scoped_lock lock(mutex_);
    return id < tiles_.size() ? tileJson(id, tiles_[id]) : nlohmann::json();
}

bool Dashboard::awaitingRedraw(std::size_t id) const {
    std::scoped_lock lock(mutex_);
    return id < tiles_.size() && tiles_[id].drawn < tiles_[id].requested;
}

void Dashboard::setVisible(bool visible) {
    show(0, dashboardTiles_, visible);
}

void Dashboard::setVisible(std::size_t id, bool visible) {
    show(id, id + 1, visible);
}

void Dashboard::show(std::size_t first, std::size_t end, bool visible) {
    std::scoped_lock lock(mutex_);
    std::vector<std::size_t> changing;
    for (std::size_t id = first; id < std::min(end, tiles_.size()); ++id) {
        if (tiles_[id].visible == visible) continue;
        tiles_[id].visible = visible;
        changing.push_back(id);
    }
    if (changing.empty()) return;
    toEngine_.post([this, changing = std::move(changing), visible] {
        // The engine is called outside the lock: it may answer a tile at once.
        std::vector<engine::InstanceId> engineIds;
        {
            std::scoped_lock engineLock(mutex_);
            for (auto id : changing) engineIds.push_back(tiles_[id].engineId);
        }
        for (auto engineId : engineIds) engine_.setVisible(engineId, visible);
    });
}

bool Dashboard::setParameter(std::size_t id, std::string_view name, std::string_view value) {
    if (id >= dashboardTiles_) return false;
    // The entity queries read files: ask them outside the lock, on a copy.
    WidgetInstance candidate = [&] {
        std::scoped_lock lock(mutex_);
        return tiles_[id].instance;
    }();
    if (!candidate.set(name, value)) return false;
    std::scoped_lock lock(mutex_);
    auto& tile = tiles_[id];
    tile.instance = candidate;
    // Posted under the lock, so that two changes of one tile reach the engine in the order made.
    toEngine_.post([this, id, instance = std::move(candidate), change = ++tile.requested] {
        engine::InstanceId engineId = 0;
        {
            std::scoped_lock engineLock(mutex_);
            tiles_[id].applied = change;
            engineId = tiles_[id].engineId;
        }
        // The engine drops any answer for the old parameters and tells the next one whatever it shows.
        engine_.reconfigure(engineId, instance);
    });
    return true;
}

bool Dashboard::showsLink(std::size_t id, std::string_view url) const {
    std::scoped_lock lock(mutex_);
    return id < tiles_.size() && std::ranges::find(tiles_[id].links, url) != tiles_[id].links.end();
}

void Dashboard::linkOpened(std::size_t id) {
    if (id >= tileCount()) return;
    toEngine_.post([this, id] {
        engine::InstanceId engineId = 0;
        {
            std::scoped_lock lock(mutex_);
            engineId = tiles_[id].engineId;
        }
        engine_.linkOpened(engineId);
    });
}

}  // namespace qb::host
