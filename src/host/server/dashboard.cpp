#include "host/server/dashboard.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "host/render/html.hpp"
#include "host/render/resolve.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

constexpr double minimumReloadSeconds = 5;
constexpr double retryAfterFailureSeconds = 60;

}  // namespace

Dashboard::Dashboard(std::vector<AnyWidget> widgets, WorkLanes& lanes, Clock clock)
    : widgets_(std::move(widgets)), lanes_(lanes), clock_(std::move(clock)) {
    for (std::size_t w = 0; w < widgets_.size(); ++w) {
        for (auto family : widgets_[w].families()) {
            Tile tile(tiles_.size(), w, family, widgets_[w].makeInstance());
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
}

Dashboard::~Dashboard() {
    lanes_.stop();
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

void Dashboard::startRefresh(Tile& tile) {
    if (tile.refreshing) {
        tile.again = true;
        return;
    }
    tile.refreshing = true;
    auto job = [this, id = tile.id, instance = tile.instance, family = tile.family, widget = tile.widget] {
        std::optional<Drawing> drawing;
        Date reloadAt = clock_().addingTimeInterval(retryAfterFailureSeconds);
        try {
            auto timeline = instance.timeline(TimelineContext{family, false});
            drawing = draw(widget, family, timeline.entries.empty() ? nullptr : &timeline.entries.front());
            // A provider that asks for a date already past is asked again after a short pause, not at once.
            reloadAt = std::max(timeline.policy.date, clock_().addingTimeInterval(minimumReloadSeconds));
        } catch (const std::exception& error) {
            fmt::print(stderr, "quillbrook-widgets: the {} provider failed ({}); trying again in a minute\n",
                       widgets_[widget].kind(), error.what());
        } catch (...) {
            fmt::print(stderr, "quillbrook-widgets: the {} provider failed; trying again in a minute\n",
                       widgets_[widget].kind());
        }
        finishRefresh(id, std::move(drawing), reloadAt);
    };
    // Only a stopping dashboard refuses work; the tile then stays as it is.
    if (!lanes_.post(tile.widget, std::move(job))) tile.refreshing = false;
}

void Dashboard::finishRefresh(std::size_t id, std::optional<Drawing> drawing, Date reloadAt) {
    {
        std::scoped_lock lock(mutex_);
        auto& tile = tiles_[id];
        tile.refreshing = false;
        if (drawing) {
            tile.html = std::move(drawing->html);
            tile.links = std::move(drawing->links);
            tile.seq = ++seq_;
        }
        tile.reloadAt = reloadAt;
        if (tile.again) {
            tile.again = false;
            startRefresh(tile);
        }
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

nlohmann::json Dashboard::tileJson(const Tile& tile) const {
    nlohmann::json values = nlohmann::json::object();
    for (const auto& [name, value] : tile.instance.values()) values[name] = value;
    return {{"id", tile.id},
            {"kind", widgets_[tile.widget].kind()},
            {"family", std::string(name(tile.family))},
            {"seq", tile.seq},
            {"html", tile.html},
            {"reloadAt", tile.reloadAt == Date::distantPast() ? nlohmann::json()
                                                              : nlohmann::json(iso8601(tile.reloadAt))},
            {"values", values}};
}

nlohmann::json Dashboard::layout() const {
    // Read first: a tile that changes while the layout is made is sent again by the next poll.
    const auto changes = seq();
    auto result = nlohmann::json::array();
    for (std::size_t w = 0; w < widgets_.size(); ++w) {
        const auto& widget = widgets_[w];
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
        auto tiles = nlohmann::json::array();
        {
            std::scoped_lock lock(mutex_);
            for (const auto& tile : tiles_)
                if (tile.widget == w) tiles.push_back(tileJson(tile));
        }
        result.push_back({{"kind", widget.kind()},
                          {"displayName", localized(widget.displayName())},
                          {"description", localized(widget.description())},
                          {"parameters", parameters},
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
    for (const auto& tile : tiles_)
        if (tile.seq > since) changed.push_back(tileJson(tile));
    return {{"seq", seq_}, {"tiles", changed}};
}

nlohmann::json Dashboard::tile(std::size_t id) const {
    std::scoped_lock lock(mutex_);
    return id < tiles_.size() ? tileJson(tiles_[id]) : nlohmann::json();
}

bool Dashboard::isRefreshing(std::size_t id) const {
    std::scoped_lock lock(mutex_);
    return id < tiles_.size() && tiles_[id].refreshing;
}

void Dashboard::refreshDue() {
    std::scoped_lock lock(mutex_);
    const auto now = clock_();
    for (auto& tile : tiles_)
        if (!tile.refreshing && tile.reloadAt <= now) startRefresh(tile);
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
    tile.instance = std::move(candidate);
    startRefresh(tile);
    return true;
}

bool Dashboard::linkOpened(std::size_t id, std::string_view url) {
    std::scoped_lock lock(mutex_);
    if (id >= tiles_.size()) return false;
    auto& tile = tiles_[id];
    if (std::ranges::find(tile.links, url) == tile.links.end()) return false;
    tile.reloadAt = std::min(tile.reloadAt, clock_().addingTimeInterval(refreshAfterLinkSeconds));
    return true;
}

}  // namespace qb::host
