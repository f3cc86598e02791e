#pragma once

#include "tips/tip_item.hpp"
#include "tips/tips_intent.hpp"
#include "tips/tips_provider.hpp"
#include "ui/view.hpp"

namespace qb::tips {

// The Tips widget's view of an entry: the empty state without a tip, else the layout of the family.
struct TipsEntryView {
    TipsEntry entry;
    ui::View body(const ui::Environment& environment) const;
};

// Small: a "Tips" header with a lightbulb, and the title midway below it.
struct TipsSmallView {
    TipItem tip;
    ui::View body(const ui::Environment& environment) const;
};

// Medium: the header with the mode, the title and three lines of the description.
struct TipsMediumView {
    TipItem tip;
    TipsMode mode = TipsMode::latestTip;
    ui::View body(const ui::Environment& environment) const;
};

// Large: the header, the title, the date, a divider and the whole description.
struct TipsLargeView {
    TipItem tip;
    TipsMode mode = TipsMode::latestTip;
    ui::View body(const ui::Environment& environment) const;
};

// Extra large: the large layout with bigger type and more room.
struct TipsExtraLargeView {
    TipItem tip;
    TipsMode mode = TipsMode::latestTip;
    ui::View body(const ui::Environment& environment) const;
};

// No tip to show: a crossed-out lightbulb and a short explanation.
struct TipsEmptyView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb::tips
