#pragma once

#include "favorites/favorites_entry.hpp"
#include "favorites/favorites_intent.hpp"
#include "favorites/favorites_store.hpp"
#include "platform/date.hpp"
#include "widgetkit/timeline.hpp"

namespace qb {

// Answers the host for the Favorites widget: the sample favorites as placeholder, otherwise the
// favorites of the configured group read anew, with a new timeline asked for five minutes later.
class FavoritesProvider {
  public:
    using Intent = FavoritesIntent;
    using Entry = FavoritesEntry;

    static constexpr double reloadInterval = 300;

    explicit FavoritesProvider(FavoritesStore store = FavoritesStore::shared(), Clock clock = systemClock())
        : store_(std::move(store)), clock_(std::move(clock)) {}

    FavoritesEntry placeholder(const TimelineContext& context) const;
    FavoritesEntry snapshot(const FavoritesIntent& intent, const TimelineContext& context) const;
    Timeline<FavoritesEntry> timeline(const FavoritesIntent& intent, const TimelineContext& context) const;

  private:
    FavoritesEntry makeEntry(const FavoritesIntent& intent) const;

    FavoritesStore store_;
    Clock clock_;
};

}  // namespace qb
