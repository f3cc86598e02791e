#pragma once

// One desktop host per display and configuration file. The systemd unit and the autostart entry may
// both be turned on, and a person may start the host by hand as well: a second host would put every
// widget on the desktop twice, so it finds the first one's lock and leaves.

#include <filesystem>
#include <optional>
#include <string>

namespace qb::desktop {

class SingleInstance {
  public:
    // Takes the lock for the display and the file; `held()` tells whether it got it.
    SingleInstance(const std::string& display, const std::filesystem::path& config);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool held() const { return held_; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace qb::desktop
