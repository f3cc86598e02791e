#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/date.hpp"
#include "tips/tip_item.hpp"
#include "tips/tip_store.hpp"
#include "tips/tips_intent.hpp"
#include "widgetkit/timeline.hpp"

namespace qb::tips {

// The Tips widget's timeline entry: the tip to show (none when there is nothing to show) and the mode,
// which the header names.
struct TipsEntry {
    Date date;
    std::optional<TipItem> tip;
    TipsMode mode = TipsMode::latestTip;
    friend bool operator==(const TipsEntry&, const TipsEntry&) = default;
};

void to_json(nlohmann::json& json, const TipsEntry& entry);

// The Tips widget's timeline: the newest tip, refreshed every six hours, or the tip of the day,
// refreshed at the next local midnight.
class TipsProvider {
  public:
    using Intent = TipsIntent;
    using Entry = TipsEntry;

    // How long the latest tip is shown before the host asks again: as long as the feed's cache lives.
    static constexpr auto latestTipRefreshInterval = TipStore::cacheLifetime;

    // The zone is an IANA time-zone id for the calendar day; none means the user's zone.
    explicit TipsProvider(TipStore store = TipStore::shared(), Clock clock = systemClock(),
                          std::optional<std::string> timeZone = std::nullopt);

    TipsEntry placeholder(const TimelineContext& context) const;
    TipsEntry snapshot(const TipsIntent& intent, const TimelineContext& context) const;
    Timeline<TipsEntry> timeline(const TipsIntent& intent, const TimelineContext& context) const;

    // The day's seed (year * 10000 + month * 100 + day) mixed into a well-spread number.
    static std::uint64_t mixedSeed(std::int64_t seed);

  private:
    std::optional<TipItem> tipOfTheDay(const std::vector<TipItem>& tips, Date now) const;

    TipStore store_;
    Clock clock_;
    std::optional<std::string> timeZone_;
};

}  // namespace qb::tips
