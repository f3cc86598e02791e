#pragma once

#include <filesystem>
#include <functional>

#include "platform/log.hpp"
#include "platform/plist/plist.hpp"

namespace qb {

// Reads and parses a property-list file whose root is an array of string-keyed dictionaries, as the host
// application writes its favorites, reading list and workspaces, and hands each dictionary to `visit` in
// file order. The dictionaries are valid during the call only; what `visit` keeps (strings, icon bytes)
// must own its data.
//
// Answers false for a file that cannot be read (missing, no regular file, or too large), logged at debug
// level ("Could not read Favorites.plist", then a line with the path and the reason), and for one that is no property list, or whose root is not an array of string-keyed dictionaries,
// logged at error level ("Could not parse Favorites.plist"); the messages name the file and carry no
// argument. The elements are checked as the walk reaches them, so that a list of thousands of entries is
// walked once: on false the caller drops whatever it gathered from the dictionaries before the bad one.
bool visitDictionaryListFile(const std::filesystem::path& file, const Logger& logger,
                             const std::function<void(const plist::Dictionary&)>& visit);

}  // namespace qb
