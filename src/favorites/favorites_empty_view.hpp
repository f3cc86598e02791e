#pragma once

#include "ui/view.hpp"

namespace qb {

// What the Favorites widget shows when there is no favorite to show.
struct FavoritesEmptyView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
