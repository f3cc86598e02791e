#include "host/engine/folder_watch.hpp"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/log.hpp"

namespace qb::engine {
namespace {

// In a watched folder: a file written and closed, created, renamed in or out, or removed; the folder
// itself removed or renamed.
constexpr std::uint32_t folderEvents = IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE |
                                       IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// In an ancestor of a missing folder: the next folder on the way created or renamed in, or the ancestor
// itself gone.
constexpr std::uint32_t ancestorEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Rounds of watching before giving up on a tree that keeps changing under the watch.
constexpr int maxReconcileRounds = 8;

const Logger& logger() {
    static const Logger instance(logSubsystem, "LiveEngine");
    return instance;
}

}  // namespace

FolderWatch::FolderWatch(GMainContext* context, Changed changed)
    : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), changed_(std::move(changed)) {
    if (fd_ < 0) throw std::runtime_error(std::string("no inotify instance: ") + std::strerror(errno));
    source_ = watchDescriptor(context, fd_, G_IO_IN, [this](GIOCondition) { readable(); });
}

FolderWatch::~FolderWatch() {
    source_.reset();
    ::close(fd_);
}

void FolderWatch::setFolders(std::vector<std::filesystem::path> folders) {
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    folders_ = std::move(folders);
    std::vector<Report> reports;
    reconcile(reports);
    // A folder set up now is not a change.
    present_.clear();
    for (const auto& folder : folders_)
        if (isFolder(folder)) present_.insert(folder);
}

bool FolderWatch::isFolder(const std::filesystem::path& path) const {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::map<std::filesystem::path, std::uint32_t> FolderWatch::wantedWatches() const {
    std::map<std::filesystem::path, std::uint32_t> wanted;
    for (const auto& folder : folders_) {
        std::filesystem::path nearest = folder;
        while (!isFolder(nearest) && nearest.has_relative_path()) nearest = nearest.parent_path();
        wanted[nearest] |= nearest == folder ? folderEvents : ancestorEvents;
    }
    return wanted;
}

void FolderWatch::reconcile(std::vector<Report>& reports) {
    std::optional<std::string> failure;
    for (int round = 0; round < maxReconcileRounds; ++round) {
        const auto wanted = wantedWatches();
        for (auto it = watches_.begin(); it != watches_.end();) {
            auto match = wanted.find(it->second.path);
            if (match == wanted.end() || match->second != it->second.mask) {
                inotify_rm_watch(fd_, it->first);
                it = watches_.erase(it);
            } else {
                ++it;
            }
        }
        bool settled = true;
        for (const auto& [path, mask] : wanted) {
            const bool watched =
                std::any_of(watches_.begin(), watches_.end(),
                            [&folder = path](const auto& w) { return w.second.path == folder; });
            if (watched) continue;
            const int wd = inotify_add_watch(fd_, path.c_str(), mask);
            if (wd >= 0) {
                watches_[wd] = Watch{path, mask};
            } else {
                settled = false;  // gone between the look and the watch: look again
                failure = path.string() + ": " + std::strerror(errno);
            }
        }
        if (settled) failure.reset();
        // A folder made between the look and the watch is only seen by looking again.
        if (settled && wantedWatches() == wanted) break;
    }
    // Out of watches (fs.inotify.max_user_watches) or not allowed: changes show at the next reload date.
    if (failure) logger().error("Could not watch a folder for changes: %{public}s", *failure);
    for (const auto& folder : folders_) {
        const bool exists = isFolder(folder);
        if (exists != present_.contains(folder)) reports.emplace_back(folder, std::nullopt);
        if (exists)
            present_.insert(folder);
        else
            present_.erase(folder);
    }
}

void FolderWatch::readable() {
    alignas(inotify_event) char buffer[16 * 1024];
    std::vector<Report> reports;
    bool structureChanged = false;
    for (;;) {
        const ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length <= 0) break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                for (const auto& folder : folders_) reports.emplace_back(folder, std::nullopt);
                structureChanged = true;
                continue;
            }
            auto watch = watches_.find(event->wd);
            if (watch == watches_.end()) continue;
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                // The watch follows the folder it was put on, wherever it went: drop it, so that the
                // path is watched again, whatever stands there now.
                const auto path = watch->second.path;
                inotify_rm_watch(fd_, watch->first);
                watches_.erase(watch);
                if (std::binary_search(folders_.begin(), folders_.end(), path))
                    reports.emplace_back(path, std::nullopt);
                structureChanged = true;
                continue;
            }
            if (event->mask & IN_ISDIR) structureChanged = true;
            const auto& path = watch->second.path;
            if (event->len > 0 && std::binary_search(folders_.begin(), folders_.end(), path))
                reports.emplace_back(path, std::string(event->name));
            else
                structureChanged = true;
        }
    }
    if (structureChanged) reconcile(reports);
    for (const auto& [folder, name] : reports) changed_(folder, name);
}

}  // namespace qb::engine
