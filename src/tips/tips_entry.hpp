#pragma once

#include <optional>

#include <nlohmann/json_fwd.hpp>

#include "platform/date.hpp"
#include "tips/tip_item.hpp"
#include "tips/tips_mode.hpp"

namespace qb {

// The Tips widget's timeline entry: the tip to show (none when there is nothing to show) and the mode,
// which the header names.
struct TipsEntry {
    Date date;
    std::optional<TipItem> tip;
    TipsMode mode = TipsMode::latestTip;
    friend bool operator==(const TipsEntry&, const TipsEntry&) = default;
};

void to_json(nlohmann::json& json, const TipsEntry& entry);

}  // namespace qb
