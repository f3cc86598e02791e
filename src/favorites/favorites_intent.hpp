#pragma once

#include <string_view>
#include <vector>

#include "favorites/favorites_group_option.hpp"
#include "widgetkit/intent.hpp"

namespace qb {

// The Favorites widget's configuration: which favorites group it shows, all of them by default.
struct FavoritesIntent {
    static constexpr std::string_view title = "Favorites";
    static constexpr std::string_view description = "Shows your Quillbrook favorites on the desktop.";

    FavoritesGroupOption group = FavoritesGroupOption::all();

    // The group, its choices listed by `query` (the user's favorites unless given).
    static std::vector<IntentParameter<FavoritesIntent>> parameters(FavoritesGroupQuery query = {}) {
        return {entityParameter("group", "Group", &FavoritesIntent::group, std::move(query))};
    }

    friend bool operator==(const FavoritesIntent&, const FavoritesIntent&) = default;
};

}  // namespace qb
