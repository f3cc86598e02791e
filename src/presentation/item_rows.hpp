#pragma once

#include <utility>
#include <vector>

#include "presentation/accent_dot.hpp"
#include "presentation/displayable_item.hpp"
#include "presentation/item_icon_view.hpp"
#include "ui/view.hpp"

namespace qb {

// The accent dot and the icon that lead a row: the dot's diameter, the icon's square and the font its
// symbol is drawn in, for each row design.
struct RowLeadStyle {
    double dotSize;
    double iconSize;
    ui::Font iconFont;
};
inline constexpr RowLeadStyle compactRowLead{5, 12, ui::Font::caption2};
inline constexpr RowLeadStyle standardRowLead{6, 16, ui::Font::callout};
inline constexpr RowLeadStyle detailedRowLead{6, 18, ui::Font::callout};

namespace detail {

// The dot and the icon that lead every row, the icon in the row's font and a frame of its size.
template <DisplayableItem Item>
std::vector<ui::View> rowLead(const Item& item, const ui::Environment& environment,
                              const RowLeadStyle& style) {
    std::vector<ui::View> lead;
    lead.push_back(AccentDot{item.dotColor(), style.dotSize}.body(environment));
    lead.push_back(ItemIconView{item.displayIconData(), item.displayIcon(), style.iconSize}
                       .body(environment)
                       .font(style.iconFont)
                       .frame(style.iconSize, std::nullopt));
    return lead;
}

inline ui::View rowTitle(std::string title) {
    return ui::verbatim(std::move(title))
        .font(ui::Font::callout)
        .lineLimit(1)
        .foregroundStyle(ui::Level::primary);
}

}  // namespace detail

// The row of the small family: dot, icon and a one-line title, nothing else.
template <DisplayableItem Item>
struct CompactItemRow {
    Item item;

    ui::View body(const ui::Environment& environment) const {
        auto children = detail::rowLead(item, environment, compactRowLead);
        children.push_back(ui::verbatim(item.displayTitle())
                               .font(ui::Font::caption)
                               .lineLimit(1)
                               .foregroundStyle(ui::Level::primary));
        return ui::hstack(ui::VerticalAlignment::center, std::move(children)).spacing(4);
    }
};

// The row of the medium family: dot, icon, title and, at the trailing edge, the subtitle if any.
template <DisplayableItem Item>
struct StandardItemRow {
    Item item;

    ui::View body(const ui::Environment& environment) const {
        auto children = detail::rowLead(item, environment, standardRowLead);
        children.push_back(detail::rowTitle(item.displayTitle()));
        children.push_back(ui::spacer());
        if (auto subtitle = item.displaySubtitle()) {
            children.push_back(ui::verbatim(std::move(*subtitle))
                                   .font(ui::Font::caption2)
                                   .foregroundStyle(ui::Level::tertiary));
        }
        return ui::hstack(ui::VerticalAlignment::center, std::move(children))
            .spacing(6)
            .padding(ui::Edge::vertical, 3);
    }
};

// The row of the large families: dot, icon, and the title over the subtitle (if any) at the leading
// edge. A present but empty subtitle keeps its line.
template <DisplayableItem Item>
struct DetailedItemRow {
    Item item;

    ui::View body(const ui::Environment& environment) const {
        std::vector<ui::View> lines{detail::rowTitle(item.displayTitle())};
        if (auto subtitle = item.displaySubtitle()) {
            lines.push_back(ui::verbatim(std::move(*subtitle))
                                .font(ui::Font::caption2)
                                .lineLimit(1)
                                .foregroundStyle(ui::Level::secondary));
        }
        auto children = detail::rowLead(item, environment, detailedRowLead);
        children.push_back(ui::vstack(ui::HorizontalAlignment::leading, std::move(lines)).spacing(1));
        children.push_back(ui::spacer());
        return ui::hstack(ui::VerticalAlignment::center, std::move(children))
            .spacing(8)
            .padding(ui::Edge::vertical, 3);
    }
};

}  // namespace qb
