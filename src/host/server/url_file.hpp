#pragma once

// The dashboard's address, secret included, in a file only its owner can read, so that the desktop
// host or a script finds it: $XDG_RUNTIME_DIR/quillbrook-widgets/dashboard-PORT.url (folder 0700, file
// 0600, written atomically), removed when the dashboard stops.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qb::host {

class UrlFile {
  public:
    // The file's place for a dashboard on `port`; nothing when XDG_RUNTIME_DIR is not set (or not an
    // absolute path).
    static std::optional<std::filesystem::path> pathFor(int port);

    // Writes `url` and a line feed to `path`. When that fails, problem() says why in one line and no
    // file is removed later.
    UrlFile(std::filesystem::path path, std::string_view url);
    ~UrlFile();
    UrlFile(const UrlFile&) = delete;
    UrlFile& operator=(const UrlFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const std::optional<std::string>& problem() const { return problem_; }

  private:
    std::filesystem::path path_;
    std::optional<std::string> problem_;
};

}  // namespace qb::host
