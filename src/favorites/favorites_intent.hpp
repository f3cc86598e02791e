#pragma once

// The Favorites widget's configuration: which favorites group it shows, chosen from the groups of
// Favorites.plist.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "favorites/favorites_store.hpp"
#include "widgetkit/intent.hpp"

namespace qb::favorites {

class FavoritesGroupQuery;

// A choice of the Favorites widget's group: a favorites group's name, or "_all" for every favorite.
struct FavoritesGroupOption {
    std::string id;

    static constexpr std::string_view allID = "_all";
    static constexpr std::string_view typeDisplayRepresentation = "Favorites Group";
    using Query = FavoritesGroupQuery;

    static FavoritesGroupOption all() { return FavoritesGroupOption{std::string(allID)}; }

    // "All" (localized) for the all option, the group's name for any other.
    DisplayRepresentation displayRepresentation() const;

    friend bool operator==(const FavoritesGroupOption&, const FavoritesGroupOption&) = default;
};

// The group choices, listed from the group names of Favorites.plist.
class FavoritesGroupQuery {
  public:
    FavoritesGroupQuery() : FavoritesGroupQuery(FavoritesStore::shared()) {}
    explicit FavoritesGroupQuery(FavoritesStore store) : store_(std::move(store)) {}

    // One option per id, in order; the file is not read, so a vanished group still resolves.
    std::vector<FavoritesGroupOption> entities(const std::vector<std::string>& ids) const;
    // "All" first, then one option per group name in file order (repeated names repeated).
    std::vector<FavoritesGroupOption> suggestedEntities() const;
    std::optional<FavoritesGroupOption> defaultResult() const { return FavoritesGroupOption::all(); }
    // The suggested options whose id contains `text` (case-insensitively, by the locale's rules); "All"
    // also when its localized title does. Everything for an empty text.
    std::vector<FavoritesGroupOption> entitiesMatching(std::string_view text) const;

  private:
    FavoritesStore store_;
};

// Which favorites group the widget shows, all of them by default.
struct FavoritesIntent {
    static constexpr std::string_view title = "Favorites";
    static constexpr std::string_view description = "Shows your Quillbrook favorites on the desktop.";

    FavoritesGroupOption group = FavoritesGroupOption::all();

    // The group, its choices listed by `query` (the user's favorites unless given).
    static std::vector<IntentParameter<FavoritesIntent>> parameters(FavoritesGroupQuery query = {});

    friend bool operator==(const FavoritesIntent&, const FavoritesIntent&) = default;
};

}  // namespace qb::favorites
