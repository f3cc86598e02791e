#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/date.hpp"
#include "tips/tip_store.hpp"
#include "tips/tips_entry.hpp"
#include "tips/tips_intent.hpp"
#include "widgetkit/timeline.hpp"

namespace qb {

// The Tips widget's timeline: the newest tip, refreshed every six hours, or the tip of the day,
// refreshed at the next local midnight.
class TipsProvider {
  public:
    using Intent = TipsIntent;
    using Entry = TipsEntry;

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

}  // namespace qb
