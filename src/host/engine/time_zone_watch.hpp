#pragma once

// The system's time zone: /etc/localtime, usually a symbolic link into the zone database, replaced when
// the user picks another zone. Its folder is watched (the link is replaced by a rename), and so is the
// folder of every link on the way to the zone file, so that a change further down the chain counts too.

#include <filesystem>
#include <functional>
#include <vector>

#include "host/engine/folder_watch.hpp"

namespace qb::engine {

class TimeZoneWatch {
  public:
    // `changed()`: the link or a link it leads through was replaced; the zone may be another now.
    TimeZoneWatch(GMainContext* context, std::function<void()> changed,
                  std::filesystem::path localtime = "/etc/localtime");

  private:
    void follow();  // the chain of links from the path, watched afresh
    void folderChanged(const std::filesystem::path& folder, const std::optional<std::string>& name);

    std::filesystem::path localtime_;
    std::function<void()> changed_;
    std::vector<std::filesystem::path> chain_;  // the path, then each link's target in turn
    FolderWatch folders_;
};

// Makes the process read the time zone afresh: the C library's (tzset) and ICU's default zone, which the
// calendar arithmetic uses. Returns whether the zone's id changed. Safe while other threads use the zone.
bool resetProcessTimeZone();

}  // namespace qb::engine
