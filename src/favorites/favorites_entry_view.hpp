#pragma once

#include "favorites/favorites_entry.hpp"
#include "ui/view.hpp"

namespace qb {

// The Favorites widget's content for one entry: the list layout of its family, or the empty state.
struct FavoritesEntryView {
    FavoritesEntry entry;
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
