#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qb {

// What the user database records about the user the widgets run as.
struct UserRecord {
    std::optional<std::string> homeDirectory;  // absent where the record has no home-directory field
    friend bool operator==(const UserRecord&, const UserRecord&) = default;
};

// Where Quillbrook keeps the files the widgets read, under one home folder. A value: the paths are
// computed when it is made.
class QuillbrookPaths {
  public:
    explicit QuillbrookPaths(const std::filesystem::path& home);

    // The paths of the user the widgets run as, computed on first use, once for the life of the process,
    // safely from any thread: the user database's record for the process's real user, or $HOME (else
    // "/") where there is no record or its home directory is empty. The one place the home is looked up.
    static const QuillbrookPaths& system();

    // The home directory the paths lie under.
    const std::string& realHome() const { return realHome_; }
    // <home>/Library/Application Support/Quillbrook
    const std::filesystem::path& appSupportURL() const { return appSupport_; }
    const std::filesystem::path& readingListURL() const { return readingList_; }
    const std::filesystem::path& favoritesURL() const { return favorites_; }
    const std::filesystem::path& workspacesURL() const { return workspaces_; }

    // The home directory for a user record (none: no record) and the fallback home.
    static std::string resolveRealHome(const std::optional<UserRecord>& record,
                                       std::string_view fallbackHome);

  private:
    std::string realHome_;
    std::filesystem::path appSupport_, readingList_, favorites_, workspaces_;
};

}  // namespace qb
