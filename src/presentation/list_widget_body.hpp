#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/localization.hpp"
#include "presentation/displayable_item.hpp"
#include "presentation/item_rows.hpp"
#include "presentation/linked_item.hpp"
#include "presentation/list_entry.hpp"
#include "presentation/widget_header.hpp"
#include "ui/view.hpp"

namespace qb {

// The one layout the list widgets share: how many rows each family shows, which row design, the
// header, dividers, the two columns of the extra-large family and the line that counts the items not
// shown. The family comes from the environment; an unlisted family gets the medium layout.
template <DisplayableItem Item>
struct ListWidgetBody {
    std::vector<Item> items{};                // in display order, at most listEntryItemCap
    std::int64_t displayCount = 0;            // how many items the list stands for; drives the overflow line
    std::string title{};                      // header title (a key of the string table)
    std::string subtitle{};                   // header subtitle, already formatted
    std::function<ui::View()> smallHeader{};  // the small family's header
    std::function<ui::View(const Item&)> detailRow{};  // the large families' row; none: DetailedItemRow

    // Rows shown per family.
    static constexpr std::int64_t maxSmall = 4;
    static constexpr std::int64_t maxMedium = 5;
    static constexpr std::int64_t maxLarge = 7;
    static constexpr std::int64_t maxXL = 16;

    ui::View body(const ui::Environment& environment) const {
        switch (environment.family) {
            case WidgetFamily::systemSmall:
                return smallLayout(environment);
            case WidgetFamily::systemLarge:
                return largeLayout(environment);
            case WidgetFamily::systemExtraLarge:
                return extraLargeLayout(environment);
            case WidgetFamily::systemMedium:
            default:
                return mediumLayout(environment);
        }
    }

  private:
    std::span<const Item> shown(std::int64_t maximum) const {
        const auto count = std::min<std::size_t>(items.size(), static_cast<std::size_t>(maximum));
        return std::span<const Item>(items.data(), count);
    }

    // "+N more" when the list stands for more items than the family shows.
    std::optional<ui::View> overflowLine(std::int64_t maximum) const {
        if (displayCount <= maximum) return std::nullopt;
        return ui::localizedText("+%lld more", displayCount - maximum)
            .font(ui::Font::caption2)
            .foregroundStyle(ui::Level::secondary);
    }

    ui::View header(const ui::Environment& environment) const {
        return WidgetHeader{title, subtitle}.body(environment).padding(ui::Edge::bottom, 6);
    }

    static ui::View linked(const Item& item, ui::View row, const ui::Environment& environment) {
        return LinkedItem{item.displayURL(), [&row] { return std::move(row); }}.body(environment);
    }

    ui::View detail(const Item& item, const ui::Environment& environment) const {
        return detailRow ? detailRow(item) : DetailedItemRow<Item>{item}.body(environment);
    }

    // A detail row in its link, with an inset divider below unless it is the last of its run (by id).
    ui::View detailUnit(const Item& item, const decltype(Item::id)& lastId,
                        const ui::Environment& environment) const {
        std::vector<ui::View> unit{linked(item, detail(item, environment), environment)};
        if (!(item.id == lastId)) unit.push_back(ui::divider().padding(ui::Edge::leading, 30));
        return ui::vstack(ui::HorizontalAlignment::leading, std::move(unit)).spacing(0);
    }

    // The extra-large family's column: detail units, the last without a divider.
    ui::View xlColumn(std::span<const Item> column, const ui::Environment& environment) const {
        std::vector<ui::View> units;
        if (!column.empty()) {
            const auto& lastId = column.back().id;
            for (const Item& item : column) units.push_back(detailUnit(item, lastId, environment));
        }
        return ui::vstack(ui::HorizontalAlignment::leading, std::move(units)).spacing(0);
    }

    ui::View smallLayout(const ui::Environment& environment) const {
        std::vector<ui::View> children;
        children.push_back(smallHeader ? smallHeader() : ui::emptyView());
        children.push_back(ui::spacer(2));
        for (const Item& item : shown(maxSmall))
            children.push_back(linked(item, CompactItemRow<Item>{item}.body(environment), environment));
        children.push_back(ui::spacer(0));
        if (auto line = overflowLine(maxSmall)) children.push_back(std::move(*line));
        return ui::vstack(ui::HorizontalAlignment::leading, std::move(children)).spacing(4);
    }

    ui::View mediumLayout(const ui::Environment& environment) const {
        std::vector<ui::View> children{header(environment)};
        for (const Item& item : shown(maxMedium))
            children.push_back(linked(item, StandardItemRow<Item>{item}.body(environment), environment));
        children.push_back(ui::spacer(0));
        if (auto line = overflowLine(maxMedium)) children.push_back(std::move(*line));
        return ui::vstack(ui::HorizontalAlignment::leading, std::move(children)).spacing(0);
    }

    ui::View largeLayout(const ui::Environment& environment) const {
        std::vector<ui::View> children{header(environment)};
        const auto rows = shown(maxLarge);
        if (!rows.empty()) {
            const auto& lastId = rows.back().id;
            for (const Item& item : rows) children.push_back(detailUnit(item, lastId, environment));
        }
        children.push_back(ui::spacer(0));
        if (auto line = overflowLine(maxLarge))
            children.push_back(std::move(*line).padding(ui::Edge::top, 4));
        return ui::vstack(ui::HorizontalAlignment::leading, std::move(children)).spacing(0);
    }

    ui::View extraLargeLayout(const ui::Environment& environment) const {
        std::vector<ui::View> children{header(environment)};
        const auto rows = shown(maxXL);
        if (rows.size() >= 3) {
            const std::size_t half = (rows.size() + 1) / 2;
            children.push_back(ui::hstack(ui::VerticalAlignment::top,
                                          {
                                              xlColumn(rows.first(half), environment),
                                              ui::divider(),
                                              xlColumn(rows.subspan(half), environment),
                                          })
                                   .spacing(16));
        } else {
            children.push_back(xlColumn(rows, environment));
        }
        children.push_back(ui::spacer(0));
        return ui::vstack(ui::HorizontalAlignment::leading, std::move(children)).spacing(0);
    }
};

// The layout of a list entry whose header reads its title over the count of all its items ("12 items")
// and whose small family shows the title alone.
template <DisplayableItem Item>
ListWidgetBody<Item> countedListBody(const ListEntry<Item>& entry, std::string title,
                                     std::function<ui::View(const Item&)> detailRow = {}) {
    std::string subtitle = localized("%lld items", entry.displayCount);
    auto smallHeader = [title] { return ui::localizedText(title).font(ui::Font::headline); };
    return {entry.items,         entry.displayCount,     std::move(title),
            std::move(subtitle), std::move(smallHeader), std::move(detailRow)};
}

}  // namespace qb
