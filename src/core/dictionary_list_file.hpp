#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/log.hpp"
#include "platform/plist/plist.hpp"

namespace qb {

// A property-list file whose root is an array of string-keyed dictionaries, as the host application
// writes its favorites, reading list and workspaces. The dictionaries point into `root`.
struct DictionaryListFile {
    plist::Value root;
    std::vector<plist::Dictionary> dictionaries;
};

// Reads and parses the whole file. A file that cannot be read (missing, or no regular file, or too
// large) is logged at debug level ("Could not read Favorites.plist", then a line with the path and the
// reason); one that is no property list, or whose root is not an array of string-keyed dictionaries,
// at error level ("Could not parse Favorites.plist"); both give nothing. The first message names the
// file and carries no argument.
std::optional<DictionaryListFile> loadDictionaryListFile(const std::filesystem::path& file,
                                                         const Logger& logger);

}  // namespace qb
