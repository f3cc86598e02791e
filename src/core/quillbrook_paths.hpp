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

// Where Quillbrook keeps the files the widgets read. Each value is computed on first use, once for the
// life of the process, safely from any thread.
struct QuillbrookPaths {
    // The home directory of the real user: the user database's record for the process's user, or
    // $HOME (else "/") where there is no record or its home directory is empty.
    static const std::string& realHome();
    // <home>/Library/Application Support/Quillbrook
    static const std::filesystem::path& appSupportURL();
    static const std::filesystem::path& readingListURL();
    static const std::filesystem::path& favoritesURL();
    static const std::filesystem::path& workspacesURL();

    // Reads another home folder's files (the program's --home). Takes effect only when called before the
    // first use of any value above; later calls are ignored.
    static void useHome(std::filesystem::path home);

    // The home directory for a user record (none: no record) and the fallback home.
    static std::string resolveRealHome(const std::optional<UserRecord>& record,
                                       std::string_view fallbackHome);
};

}  // namespace qb
