#pragma once

// What the stores of Quillbrook's three property-list files (favorites, reading list, workspaces) share:
// each reads one file anew on every call, keeps nothing between calls, and logs under its own category.

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
// level ("Could not read Favorites.plist", then a line with the path and the reason), and for one that is
// no property list, or whose root is not an array of string-keyed dictionaries, logged at error level
// ("Could not parse Favorites.plist"); the messages name the file and carry no argument. The elements are
// checked as the walk reaches them, so that a list of thousands of entries is walked once: on false the
// caller drops whatever it gathered from the dictionaries before the bad one.
bool visitDictionaryListFile(const std::filesystem::path& file, const Logger& logger,
                             const std::function<void(const plist::Dictionary&)>& visit);

// The base of such a store. `Store` derives from PlistFileStore<Store>, makes it a friend, inherits its
// constructor privately (no store is made but through the functions below) and says where the user's
// file lies (`static const std::filesystem::path& userFile()`) and under which category it logs
// (`static constexpr std::string_view logCategory`).
template <class Store>
class PlistFileStore {
  public:
    // The store of the user's file, made on first use, safely from any thread.
    static const Store& shared() {
        static const Store instance(Store::userFile());
        return instance;
    }
    // A store that reads the given file (for tests and other homes).
    static Store forFile(std::filesystem::path file) { return Store(std::move(file)); }

    // The file the store reads.
    const std::filesystem::path& file() const { return file_; }

  protected:
    explicit PlistFileStore(std::filesystem::path file)
        : file_(std::move(file)), logger_(logSubsystem, Store::logCategory) {}

    // The dictionaries of the file, in order (see visitDictionaryListFile); false when it cannot be read.
    bool visitDictionaries(const std::function<void(const plist::Dictionary&)>& visit) const {
        return visitDictionaryListFile(file_, logger_, visit);
    }

  private:
    std::filesystem::path file_;
    Logger logger_;
};

}  // namespace qb
