#pragma once

#include "favorites/favorites_intent.hpp"
#include "favorites/favorites_item.hpp"
#include "favorites/favorites_store.hpp"
#include "platform/date.hpp"
#include "presentation/list_entry.hpp"
#include "presentation/list_provider.hpp"
#include "widgetkit/timeline.hpp"

namespace qb::favorites {

// One timeline entry of the Favorites widget: the first favorites of the configured group, and how many
// there are in the group.
using FavoritesEntry = ListEntry<FavoritesItem>;

// Answers the host for the Favorites widget: the sample favorites as placeholder, otherwise the
// favorites of the configured group read anew, with a new timeline asked for five minutes later.
class FavoritesProvider : public ListProvider<FavoritesProvider, FavoritesIntent, FavoritesEntry> {
  public:
    explicit FavoritesProvider(FavoritesStore store = FavoritesStore::shared(), Clock clock = systemClock())
        : ListProvider(std::move(clock)), store_(std::move(store)) {}

    FavoritesEntry placeholder(const TimelineContext& context) const;

  private:
    friend ListProvider;
    FavoritesEntry makeEntry(const FavoritesIntent& intent) const;

    FavoritesStore store_;
};

}  // namespace qb::favorites
