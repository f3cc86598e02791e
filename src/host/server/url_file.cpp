#include "host/server/url_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fmt/format.h>

#include "platform/files.hpp"

namespace qb::host {
namespace {

// Makes the folder, or accepts an existing one only when it is a real folder of this user; then
// leaves it readable by nobody else.
std::optional<std::string> privateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return fmt::format("cannot create {}: {}", folder.string(), std::strerror(errno));
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0)
        return fmt::format("cannot look at {}: {}", folder.string(), std::strerror(errno));
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid())
        return fmt::format("{} is not a folder of this user", folder.string());
    if ((status.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return fmt::format("cannot make {} private: {}", folder.string(), std::strerror(errno));
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> UrlFile::pathFor(int port) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') return std::nullopt;
    return std::filesystem::path(runtime) / "quillbrook-widgets" / fmt::format("dashboard-{}.url", port);
}

UrlFile::UrlFile(std::filesystem::path path, std::string_view url) : path_(std::move(path)) {
    problem_ = privateFolder(path_.parent_path());
    // The temporary file that the atomic write renames into place is made with mode 0600.
    if (!problem_) problem_ = writeFileAtomically(path_, std::string(url) + "\n");
}

UrlFile::~UrlFile() {
    if (!problem_) ::unlink(path_.c_str());
}

}  // namespace qb::host
