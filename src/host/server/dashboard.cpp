#include "host/server/dashboard.hpp"

#include <fmt/format.h>

#include "host/render/html.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

constexpr double minimumReloadSeconds = 5;

}  // namespace

Dashboard::Dashboard(std::vector<AnyWidget> widgets, Clock clock, unsigned workerThreads)
    : widgets_(std::move(widgets)), clock_(std::move(clock)), pool_(workerThreads) {
    for (std::size_t w = 0; w < widgets_.size(); ++w) {
        for (auto family : widgets_[w].families()) {
            Tile tile{static_cast<int>(tiles_.size()),
                      w,
                      family,
                      widgets_[w].makeInstance(),
                      {},
                      Date::distantPast(),
                      0,
                      false,
                      false};
            // Until the first timeline arrives the tile shows the placeholder, which reads nothing.
            try {
                auto placeholder = tile.instance.placeholder(TimelineContext{family, false});
                tile.html = draw(tile, &placeholder);
            } catch (...) {
                tile.html = draw(tile, nullptr);
            }
            tile.seq = ++seq_;
            tiles_.push_back(std::move(tile));
        }
    }
}

std::string Dashboard::draw(const Tile& tile, const ErasedEntry* entry) const {
    const auto& widget = widgets_[tile.widget];
    ui::Environment environment{tile.family, WidgetRenderingMode::fullColor};
    ui::View view = entry && entry->view ? entry->view(environment) : ui::emptyView();
    return renderHtmlTile(HtmlTile{widget.kind(), widget.displayName(), tile.family,
                                   environment.renderingMode, std::move(view)});
}

void Dashboard::startRefresh(Tile& tile) {
    if (tile.refreshing) {
        tile.again = true;
        return;
    }
    tile.refreshing = true;
    pool_.post([this, id = tile.id, instance = tile.instance, family = tile.family,
                widgetIndex = tile.widget]() {
        std::string html;
        Date reloadAt = clock_().addingTimeInterval(60);
        try {
            auto timeline = instance.timeline(TimelineContext{family, false});
            Tile drawn{id, widgetIndex, family, instance, {}, {}, 0, false, false};
            html = draw(drawn, timeline.entries.empty() ? nullptr : &timeline.entries.front());
            // A provider that asks for a date already past is asked again after a short pause, not at once.
            reloadAt = std::max(timeline.policy.date, clock_().addingTimeInterval(minimumReloadSeconds));
        } catch (const std::exception& error) {
            fmt::print(stderr, "quillbrook-widgets: the {} provider failed ({}); trying again in a minute\n",
                       widgets_[widgetIndex].kind(), error.what());
        } catch (...) {
            fmt::print(stderr, "quillbrook-widgets: the {} provider failed; trying again in a minute\n",
                       widgets_[widgetIndex].kind());
        }
        finishRefresh(id, std::move(html), reloadAt);
    });
}

void Dashboard::finishRefresh(int id, std::string html, Date reloadAt) {
    {
        std::scoped_lock lock(mutex_);
        auto& tile = tiles_[static_cast<std::size_t>(id)];
        tile.refreshing = false;
        if (!html.empty()) {
            tile.html = std::move(html);
            tile.seq = ++seq_;
        }
        tile.reloadAt = reloadAt;
        if (tile.again) {
            tile.again = false;
            startRefresh(tile);
        }
    }
    refreshed_.notify_all();
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
    return {{"widgets", result}};
}

nlohmann::json Dashboard::poll(std::uint64_t since, std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    const auto now = clock_();
    std::vector<int> started;
    for (auto& tile : tiles_)
        if (!tile.refreshing && tile.reloadAt <= now) {
            startRefresh(tile);
            started.push_back(tile.id);
        }
    if (!started.empty()) {
        refreshed_.wait_for(lock, wait, [&] {
            return std::ranges::none_of(
                started, [&](int id) { return tiles_[static_cast<std::size_t>(id)].refreshing; });
        });
    }
    auto changed = nlohmann::json::array();
    for (const auto& tile : tiles_)
        if (tile.seq > since) changed.push_back(tileJson(tile));
    return {{"seq", seq_}, {"tiles", changed}};
}

std::optional<nlohmann::json> Dashboard::setParameter(int id, std::string_view name, std::string_view value,
                                                      std::chrono::milliseconds wait) {
    if (id < 0 || static_cast<std::size_t>(id) >= tiles_.size()) return std::nullopt;
    // The entity queries read files: ask them outside the lock, on a copy.
    WidgetInstance candidate = [&] {
        std::scoped_lock lock(mutex_);
        return tiles_[static_cast<std::size_t>(id)].instance;
    }();
    if (!candidate.set(name, value)) return std::nullopt;
    std::unique_lock lock(mutex_);
    auto& tile = tiles_[static_cast<std::size_t>(id)];
    tile.instance = std::move(candidate);
    startRefresh(tile);
    refreshed_.wait_for(lock, wait, [&] { return !tile.refreshing; });
    return tileJson(tile);
}

void Dashboard::linkOpened(int id) {
    std::scoped_lock lock(mutex_);
    if (id < 0 || static_cast<std::size_t>(id) >= tiles_.size()) return;
    auto& tile = tiles_[static_cast<std::size_t>(id)];
    tile.reloadAt = std::min(tile.reloadAt, clock_().addingTimeInterval(refreshAfterLinkSeconds));
}

}  // namespace qb::host
