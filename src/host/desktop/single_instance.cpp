#include "host/desktop/single_instance.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <system_error>

#include <fmt/format.h>

namespace qb::desktop {

SingleInstance::SingleInstance(const std::string& display, const std::filesystem::path& config) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    // Without a runtime folder there is no place private to the user for a lock: run without one.
    if (!runtime || !*runtime) {
        held_ = true;
        return;
    }
    std::string name = display;
    for (auto& c : name)
        if (c == '/' || c == ':') c = '_';
    const auto folder = std::filesystem::path(runtime) / "quillbrook-widgets";
    path_ = folder / fmt::format("desktop-{}-{:016x}.lock", name, std::hash<std::string>{}(config.string()));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock that cannot be made stops nothing: the widgets are more use than the guard.
    held_ = fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace qb::desktop
