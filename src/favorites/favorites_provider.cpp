#include "favorites/favorites_provider.hpp"

#include <algorithm>

#include "presentation/displayable_item.hpp"

namespace qb {

FavoritesEntry FavoritesProvider::placeholder(const TimelineContext&) const {
    const auto& samples = FavoritesItem::sampleItems();
    return FavoritesEntry{clock_(), samples, static_cast<std::int64_t>(samples.size())};
}

FavoritesEntry FavoritesProvider::snapshot(const FavoritesIntent& intent, const TimelineContext&) const {
    return makeEntry(intent);
}

Timeline<FavoritesEntry> FavoritesProvider::timeline(const FavoritesIntent& intent,
                                                     const TimelineContext&) const {
    auto entry = makeEntry(intent);
    // Taken once the entry is made, so the reload never comes earlier than five minutes after it.
    const auto reload = clock_().addingTimeInterval(reloadInterval);
    return Timeline<FavoritesEntry>{{std::move(entry)}, TimelineReloadPolicy::after(reload)};
}

FavoritesEntry FavoritesProvider::makeEntry(const FavoritesIntent& intent) const {
    auto matching = store_.readFromPlist();
    if (intent.group.id != FavoritesGroupOption::allID) {
        // Root-level favorites belong to no group and never match one.
        std::erase_if(matching, [&](const FavoritesItem& item) { return item.groupName != intent.group.id; });
    }
    const auto count = static_cast<std::int64_t>(matching.size());
    if (matching.size() > listEntryItemCap)
        matching.erase(matching.begin() + listEntryItemCap, matching.end());
    return FavoritesEntry{clock_(), std::move(matching), count};
}

}  // namespace qb
