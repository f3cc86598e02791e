#include "core/quillbrook_paths.hpp"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace qb {
namespace {

// The room for a user record's strings: what the system suggests, else a size that holds any usual
// record, doubled while the record does not fit, up to a size no real record needs.
constexpr std::size_t unsuggestedRecordBytes = 16 * 1024;
constexpr std::size_t mostRecordBytes = 1024 * 1024;

std::optional<UserRecord> currentUserRecord() {
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : unsuggestedRecordBytes);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        int error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < mostRecordBytes) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !found) return std::nullopt;
        return UserRecord{found->pw_dir ? std::optional<std::string>(found->pw_dir) : std::nullopt};
    }
}

std::string fallbackHome() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string("/");
}

}  // namespace

// An empty home directory in the record would put the files at "Library/Application Support/..."
// relative to whatever the working directory is; it falls back like a missing record.
std::string QuillbrookPaths::resolveRealHome(const std::optional<UserRecord>& record,
                                             std::string_view fallbackHome) {
    if (record && record->homeDirectory && !record->homeDirectory->empty()) return *record->homeDirectory;
    return std::string(fallbackHome);
}

QuillbrookPaths::QuillbrookPaths(const std::filesystem::path& home)
    : realHome_(home.string()),
      appSupport_(home / "Library/Application Support/Quillbrook"),
      readingList_(appSupport_ / "ReadingList.plist"),
      favorites_(appSupport_ / "Favorites.plist"),
      workspaces_(appSupport_ / "OrderedWorkspaces.plist") {}

const QuillbrookPaths& QuillbrookPaths::system() {
    static const QuillbrookPaths paths(resolveRealHome(currentUserRecord(), fallbackHome()));
    return paths;
}

}  // namespace qb
