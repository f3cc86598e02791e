#pragma once

#include <string>

#include "favorites/favorites_provider.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The Favorites widget as the host lists it: the favorites of one group, in every system size.
struct FavoritesWidget {
    std::string kind = "FavoritesWidget";
    AppIntentConfiguration<FavoritesProvider> body() const;
};

}  // namespace qb
