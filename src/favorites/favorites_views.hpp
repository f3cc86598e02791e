#pragma once

#include "favorites/favorites_provider.hpp"
#include "ui/view.hpp"

namespace qb::favorites {

// The Favorites widget's content for one entry: the list layout of its family, or the empty state.
struct FavoritesEntryView {
    FavoritesEntry entry;
    ui::View body(const ui::Environment& environment) const;
};

// What the Favorites widget shows when there is no favorite to show.
struct FavoritesEmptyView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb::favorites
