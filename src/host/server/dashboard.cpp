#include "host/server/dashboard.hpp"

#include <algorithm>

#include "host/render/html.hpp"
#include "host/render/resolve.hpp"
#include "platform/localization.hpp"

namespace qb::host {

Dashboard::Dashboard(std::vector<AnyWidget> widgets, engine::Engine& engine, GMainContext* context)
    : widgets_(std::move(widgets)), engine_(engine), toEngine_(context) {
    for (std::size_t w = 0; w < widgets_.size(); ++w) {
        for (auto family : widgets_[w].families()) {
            Tile tile(w, family, widgets_[w].makeInstance());
            // Until the first timeline arrives the tile shows the placeholder, which reads nothing.
            Drawing drawing;
            try {
                auto placeholder = tile.instance.placeholder(TimelineContext{family, false});
                drawing = draw(w, family, &placeholder);
            } catch (...) {
                drawing = draw(w, family, nullptr);
            }
            tile.html = std::move(drawing.html);
            tile.links = std::move(drawing.links);
            tile.seq = ++seq_;
            tiles_.push_back(std::move(tile));
        }
    }
    // Added once every tile is in place: the engine's answers find their tile by its index.
    for (std::size_t id = 0; id < tiles_.size(); ++id) {
        auto& tile = tiles_[id];
        const auto& widget = widgets_[tile.widget];
        engine::InstanceSpec spec{widget, tile.instance, tile.family, false};
        tile.engineId = engine_.add(
            std::move(spec), [this, id](const engine::EntryUpdate& update) { entryChanged(id, update); });
    }
}

Dashboard::~Dashboard() {
    for (const auto& tile : tiles_) engine_.remove(tile.engineId);
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
    auto drawing = draw(tiles_[id].widget, tiles_[id].family, &update.entry);
    {
        std::scoped_lock lock(mutex_);
        auto& tile = tiles_[id];
        tile.html = std::move(drawing.html);
        tile.links = std::move(drawing.links);
        tile.reloadAt = update.nextReload;
        tile.drawn = tile.applied;
        tile.seq = ++seq_;
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
            for (std::size_t id = 0; id < tiles_.size(); ++id)
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

nlohmann::json Dashboard::changesSince(std::uint64_t since) const {
    std::scoped_lock lock(mutex_);
    auto changed = nlohmann::json::array();
    for (std::size_t id = 0; id < tiles_.size(); ++id)
        if (tiles_[id].seq > since) changed.push_back(tileJson(id, tiles_[id]));
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
    std::scoped_lock lock(mutex_);
    if (visible == visible_) return;
    visible_ = visible;
    toEngine_.post([this, visible] {
        for (const auto& tile : tiles_) engine_.setVisible(tile.engineId, visible);
    });
}

bool Dashboard::setParameter(std::size_t id, std::string_view name, std::string_view value) {
    if (id >= tiles_.size()) return false;
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
    if (id >= tiles_.size()) return;
    toEngine_.post([this, engineId = tiles_[id].engineId] { engine_.linkOpened(engineId); });
}

}  // namespace qb::host
