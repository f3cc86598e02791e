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

// Reads and parses the whole file. A file that cannot be read is logged at debug level ("Could not
// read Favorites.plist"), one that is no property list, or whose root is not an array of string-keyed
// dictionaries, at error level ("Could not parse Favorites.plist"); both give nothing. The messages
// name the file and carry no argument.
std::optional<DictionaryListFile> loadDictionaryListFile(const std::filesystem::path& file,
                                                         const Logger& logger);

}  // namespace qb
