#include "core/quillbrook_paths.hpp"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace qb {
namespace {

struct HomeOverride {
    std::mutex mutex;
    bool used = false;  // set at the first use of realHome; useHome is ignored from then on
    std::optional<std::filesystem::path> home;
};

HomeOverride& homeOverride() {
    static HomeOverride instance;
    return instance;
}

std::optional<UserRecord> currentUserRecord() {
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        int error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
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

void QuillbrookPaths::useHome(std::filesystem::path home) {
    auto& state = homeOverride();
    std::lock_guard lock(state.mutex);
    if (state.used) return;
    std::error_code error;
    auto absolute = std::filesystem::absolute(home, error);
    state.home = error ? std::move(home) : std::move(absolute);
}

const std::string& QuillbrookPaths::realHome() {
    static const std::string home = [] {
        auto& state = homeOverride();
        std::lock_guard lock(state.mutex);
        state.used = true;
        if (state.home) return state.home->string();
        return resolveRealHome(currentUserRecord(), fallbackHome());
    }();
    return home;
}

const std::filesystem::path& QuillbrookPaths::appSupportURL() {
    static const std::filesystem::path folder =
        std::filesystem::path(realHome()) / "Library/Application Support/Quillbrook";
    return folder;
}

const std::filesystem::path& QuillbrookPaths::readingListURL() {
    static const std::filesystem::path file = appSupportURL() / "ReadingList.plist";
    return file;
}

const std::filesystem::path& QuillbrookPaths::favoritesURL() {
    static const std::filesystem::path file = appSupportURL() / "Favorites.plist";
    return file;
}

const std::filesystem::path& QuillbrookPaths::workspacesURL() {
    static const std::filesystem::path file = appSupportURL() / "OrderedWorkspaces.plist";
    return file;
}

}  // namespace qb
