#pragma once

// What the stores of Quillbrook's three property-list files (favorites, reading list, workspaces) share:
// each reads one file anew on every call, keeps nothing between calls, and logs under its own category.

#include <filesystem>
#include <functional>

#include "core/quillbrook_paths.hpp"
#include "core/widget_services.hpp"
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
// constructor privately (no store is made but through the functions below) and says where its file lies
// under a home (`static std::filesystem::path fileIn(const QuillbrookPaths&)`) and under which category
// it logs (`static constexpr std::string_view logCategory`).
template <class Store>
class PlistFileStore {
  public:
    // The store of the user's home, logging to the system's log, made on first use, safely from any
    // thread. A property-list store downloads nothing: it takes the user's services without an HTTP
    // client, so that a program that downloads otherwise need not link the download libraries.
    static const Store& shared() {
        static const Store instance = forServices(WidgetServices::user({}));
        return instance;
    }
    // The store of the file under the services' home, logging to their sink.
    static Store forServices(const WidgetServices& services) {
        return Store(Store::fileIn(services.paths()), services.home.string(), services.log);
    }
    // A store that reads the given file (for tests), as if it lay under the user's home.
    static Store forFile(std::filesystem::path file, LogSink log = {}) {
        return Store(std::move(file), QuillbrookPaths::system().realHome(), std::move(log));
    }

    // The file the store reads.
    const std::filesystem::path& file() const { return file_; }
    // The home folder the file lies under.
    const std::string& home() const { return home_; }

  protected:
    PlistFileStore(std::filesystem::path file, std::string home, LogSink log)
        : file_(std::move(file)),
          home_(std::move(home)),
          logger_(logSubsystem, Store::logCategory, std::move(log)) {}

    // The dictionaries of the file, in order (see visitDictionaryListFile); false when it cannot be read.
    bool visitDictionaries(const std::function<void(const plist::Dictionary&)>& visit) const {
        return visitDictionaryListFile(file_, logger_, visit);
    }

  private:
    std::filesystem::path file_;
    std::string home_;
    Logger logger_;
};

}  // namespace qb
