#pragma once

// Changes to the entries of a few folders, by inotify. Files are watched through their folder because
// the document manager replaces a file by renaming a new one over it, which a watch on the file itself
// would lose. A folder that does not exist (yet) is watched through its nearest existing ancestor and
// reported when it appears or goes; nothing is polled.
//
// inotify is used directly rather than through GFileMonitor: GIO looks for missing folders by polling
// every few seconds, delivers its events from a thread of its own, and holds back bursts of changes by up
// to a second, where the engine wants no polling, events on its own loop and its own quiet period.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/engine/glib_source.hpp"

namespace qb::engine {

class FolderWatch {
  public:
    // `changed(folder, name)`: the entry `name` of `folder` was written, created, replaced, removed or
    // renamed. Without a name, anything in the folder may have changed: it appeared or went, or events
    // were lost.
    using Changed =
        std::function<void(const std::filesystem::path& folder, const std::optional<std::string>& name)>;

    FolderWatch(GMainContext* context, Changed changed);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // The folders to watch, in place of the earlier ones (absolute paths).
    void setFolders(std::vector<std::filesystem::path> folders);

  private:
    struct Watch {
        std::filesystem::path path;
        std::uint32_t mask = 0;
    };
    using Report = std::pair<std::filesystem::path, std::optional<std::string>>;

    void readable();
    // Watches each folder, or its nearest existing ancestor; reports folders that appeared or went.
    void reconcile(std::vector<Report>& reports);
    std::map<std::filesystem::path, std::uint32_t> wantedWatches() const;
    bool isFolder(const std::filesystem::path& path) const;

    int fd_ = -1;
    Changed changed_;
    std::vector<std::filesystem::path> folders_;
    std::set<std::filesystem::path> present_;  // folders watched themselves (they exist)
    std::map<int, Watch> watches_;
    AttachedSource source_;
};

}  // namespace qb::engine
