#pragma once

#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "favorites/favorites_item.hpp"
#include "platform/date.hpp"

namespace qb {

// One timeline entry of the Favorites widget: the first favorites of the configured group, and how many
// matched before the cap.
struct FavoritesEntry {
    Date date;
    std::vector<FavoritesItem> items;
    std::int64_t displayCount = 0;

    friend bool operator==(const FavoritesEntry&, const FavoritesEntry&) = default;
};

void to_json(nlohmann::json& json, const FavoritesEntry& entry);

}  // namespace qb
