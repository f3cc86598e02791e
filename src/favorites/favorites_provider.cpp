#include "favorites/favorites_provider.hpp"

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
    // Every favorite of the group is counted; only the rows the entry keeps become items.
    const std::string& id = intent.group.id;
    auto selection =
        store_.select(id == FavoritesGroupOption::allID ? std::nullopt : std::optional<std::string_view>(id),
                      listEntryItemCap);
    return FavoritesEntry{clock_(), std::move(selection.items), selection.count};
}

}  // namespace qb
