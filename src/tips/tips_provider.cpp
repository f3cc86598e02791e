#include "tips/tips_provider.hpp"

#include <nlohmann/json.hpp>

#include "platform/calendar.hpp"
#include "platform/json.hpp"

namespace qb::tips {

void to_json(nlohmann::json& json, const TipsEntry& entry) {
    json = nlohmann::json{{"date", toJson(entry.date)},
                          {"tip", entry.tip ? nlohmann::json(*entry.tip) : nlohmann::json(nullptr)},
                          {"mode", rawValue(entry.mode)}};
}

TipsProvider::TipsProvider(TipStore store, Clock clock, std::optional<std::string> timeZone)
    : store_(std::move(store)), clock_(std::move(clock)), timeZone_(std::move(timeZone)) {}

TipsEntry TipsProvider::placeholder(const TimelineContext&) const {
    return TipsEntry{clock_(), TipItem::sampleItems().front(), TipsMode::latestTip};
}

TipsEntry TipsProvider::snapshot(const TipsIntent& intent, const TimelineContext&) const {
    return TipsEntry{clock_(), TipItem::sampleItems().front(), intent.mode};
}

Timeline<TipsEntry> TipsProvider::timeline(const TipsIntent& intent, const TimelineContext&) const {
    auto tips = store_.fetchTips();
    Date now = clock_();
    std::optional<TipItem> tip;
    if (intent.mode == TipsMode::tipOfTheDay) {
        tip = tipOfTheDay(tips, now);
    } else if (!tips.empty()) {
        tip = tips.front();
    }
    Date refresh = intent.mode == TipsMode::tipOfTheDay ? startOfNextDay(now, timeZone_)
                                                        : now.addingTimeInterval(latestTipRefreshInterval);
    return Timeline<TipsEntry>{{TipsEntry{now, std::move(tip), intent.mode}},
                               TimelineReloadPolicy::after(refresh)};
}

std::uint64_t TipsProvider::mixedSeed(std::int64_t seed) {
    auto h = static_cast<std::uint64_t>(seed);
    h ^= h >> 16;
    h *= 0x45D9F3BULL;
    h ^= h >> 16;
    return h;
}

std::optional<TipItem> TipsProvider::tipOfTheDay(const std::vector<TipItem>& tips, Date now) const {
    if (tips.empty()) return std::nullopt;
    auto day = yearMonthDay(now, timeZone_).value_or(YearMonthDay{});
    std::int64_t seed = std::int64_t{day.year} * 10000 + day.month * 100 + day.day;
    return tips[mixedSeed(seed) % tips.size()];
}

}  // namespace qb::tips
