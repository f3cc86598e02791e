#include "favorites/favorites_provider.hpp"

#include "presentation/displayable_item.hpp"

namespace qb::favorites {

FavoritesEntry FavoritesProvider::placeholder(const TimelineContext&) const {
    const auto& samples = FavoritesItem::sampleItems();
    return FavoritesEntry{now(), samples, static_cast<std::int64_t>(samples.size())};
}

FavoritesEntry FavoritesProvider::makeEntry(const FavoritesIntent& intent) const {
    // Every favorite of the group is counted; only the rows the entry keeps become items.
    const std::string& id = intent.group.id;
    auto selection =
        store_.select(id == FavoritesGroupOption::allID ? std::nullopt : std::optional<std::string_view>(id),
                      listEntryItemCap);
    return FavoritesEntry{now(), std::move(selection.items), selection.count};
}

}  // namespace qb::favorites
