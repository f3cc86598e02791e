#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "favorites/favorites_item.hpp"
#include "platform/plist/plist.hpp"

namespace qb {

// Reads Quillbrook's Favorites.plist anew on every call; keeps nothing between calls. Failures are
// logged (category "FavoritesStore") and give empty lists.
class FavoritesStore {
  public:
    // The store of the user's Favorites.plist; the file's place is looked up on first read.
    static const FavoritesStore& shared();
    // A store that reads the given file (for tests and other homes).
    static FavoritesStore forFile(std::filesystem::path file);

    // Every favorite, groups flattened, in file order.
    std::vector<FavoritesItem> readFromPlist() const;
    // The names of the root-level groups, in file order, repeated names included.
    std::vector<std::string> groupNames() const;

    // A favorite's "Date": a date; a number of seconds since 2001-01-01 UTC; else the distant past.
    static Date parseDate(const std::optional<plist::Value>& value);

  private:
    explicit FavoritesStore(std::optional<std::filesystem::path> file) : file_(std::move(file)) {}
    std::filesystem::path file() const;

    std::optional<std::filesystem::path> file_;  // nothing: the user's Favorites.plist
};

}  // namespace qb
