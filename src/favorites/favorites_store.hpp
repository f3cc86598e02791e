#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_selection.hpp"
#include "core/plist_file_store.hpp"
#include "core/quillbrook_paths.hpp"
#include "favorites/favorites_item.hpp"
#include "platform/plist/plist.hpp"

namespace qb::favorites {

// Reads Quillbrook's Favorites.plist anew on every call; keeps nothing between calls. Failures are
// logged (category "FavoritesStore") and give empty lists.
class FavoritesStore : public PlistFileStore<FavoritesStore> {
  public:
    // Every favorite, groups flattened, in file order.
    std::vector<FavoritesItem> readFromPlist() const;
    // The favorites of one group (nothing: all of them), flattened and in file order, counted, and made
    // into items only up to `limit`. A group matches by its name exactly; root-level favorites belong to
    // no group and never match one.
    ListSelection<FavoritesItem> select(std::optional<std::string_view> group,
                                        std::size_t limit = std::numeric_limits<std::size_t>::max()) const;
    // The names of the root-level groups, in file order, repeated names included.
    std::vector<std::string> groupNames() const;

    // A favorite's "Date": a date; a number of seconds since 2001-01-01 UTC; else the distant past.
    static Date parseDate(const std::optional<plist::Value>& value);

  private:
    friend PlistFileStore<FavoritesStore>;
    using PlistFileStore::PlistFileStore;
    static constexpr std::string_view logCategory = "FavoritesStore";
    static std::filesystem::path fileIn(const QuillbrookPaths& paths) { return paths.favoritesURL(); }
};

}  // namespace qb::favorites
