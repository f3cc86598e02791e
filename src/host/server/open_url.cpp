#include "host/server/open_url.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "core/link_policy.hpp"

extern char** environ;

namespace qb::host {
namespace {

// At most this many openers run at once; more clicks in that moment are refused.
constexpr int maxRunningOpeners = 8;
std::atomic<int> runningOpeners{0};

}  // namespace

std::string desktopOpener() {
    const char* chosen = std::getenv("QUILLBROOK_WIDGETS_OPENER");
    return chosen && *chosen ? chosen : "xdg-open";
}

std::string openWithDesktop(std::string_view url, const std::string& opener) {
    if (!isOpenableUrl(url)) return "the URL is not one a widget may open";
    if (runningOpeners.fetch_add(1) >= maxRunningOpeners) {
        runningOpeners.fetch_sub(1);
        return "too many links are being opened at once; try again in a moment";
    }
    std::string program = opener;
    std::string argument(url);
    char* argv[] = {program.data(), argument.data(), nullptr};
    // The opener (and the browser it may start) gets none of the server's sockets: they are not
    // opened close-on-exec, and an inherited listening socket would outlive the server.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        runningOpeners.fetch_sub(1);
        return "could not start " + opener + ": " + std::strerror(error);
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
