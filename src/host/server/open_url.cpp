#include "host/server/open_url.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "host/render/html_escape.hpp"

extern char** environ;

namespace qb::host {
namespace {

// At most this many openers run at once; more clicks in that moment are refused.
constexpr int maxRunningOpeners = 8;
std::atomic<int> runningOpeners{0};

}  // namespace

std::string openWithDesktop(std::string_view url) {
    if (!isOpenableUrl(url)) return "the URL is not one a widget may open";
    if (runningOpeners.fetch_add(1) >= maxRunningOpeners) {
        runningOpeners.fetch_sub(1);
        return "too many links are being opened at once; try again in a moment";
    }
    std::string program = "xdg-open";
    std::string argument(url);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ);
    if (error != 0) {
        runningOpeners.fetch_sub(1);
        return std::string("could not start xdg-open: ") + std::strerror(error);
    }
    // Reap the opener when it ends so that no zombie stays behind.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        runningOpeners.fetch_sub(1);
    }).detach();
    return {};
}

}  // namespace qb::host
