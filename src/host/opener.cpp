#include "host/opener.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <gio/gio.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <variant>

#include "core/link_policy.hpp"

extern char** environ;

namespace qb::host {
namespace {

// At most this many stand-in openers run at once; more clicks in that moment are refused.
constexpr int maxRunningPrograms = 8;
std::atomic<int> runningPrograms{0};

struct GObjectRelease {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfo = std::unique_ptr<GAppInfo, GObjectRelease>;
using File = std::unique_ptr<GFile, GObjectRelease>;

std::string errorText(GError* error) {
    std::string text = error ? error->message : "an unknown error";
    if (error) g_error_free(error);
    return text;
}

std::optional<OpenError> runProgram(std::string_view url, const std::string& opener) {
    if (runningPrograms.fetch_add(1) >= maxRunningPrograms) {
        runningPrograms.fetch_sub(1);
        return OpenError{"too many links are being opened at once; try again in a moment"};
    }
    std::string program = opener;
    std::string argument(url);
    char* argv[] = {program.data(), argument.data(), nullptr};
    // Sockets and other descriptors are not all opened close-on-exec: close them in the child.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        runningPrograms.fetch_sub(1);
        return OpenError{"could not start " + opener + ": " + std::strerror(error)};
    }
    // Reap the opener when it ends so that no zombie stays behind.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        runningPrograms.fetch_sub(1);
    }).detach();
    return std::nullopt;
}

// The application the desktop opens the link with: the one registered for its scheme, or for a file the
// one registered for the file's type.
std::variant<AppInfo, OpenError> desktopApplication(const std::string& url) {
    const std::string scheme = url.substr(0, url.find(':'));
    std::string lower = scheme;
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return g_ascii_tolower(c); });
    if (lower == "file") {
        const File file(g_file_new_for_uri(url.c_str()));
        GError* error = nullptr;
        AppInfo application(g_file_query_default_handler(file.get(), nullptr, &error));
        if (!application) return OpenError{errorText(error)};
        return application;
    }
    AppInfo application(g_app_info_get_default_for_uri_scheme(lower.c_str()));
    if (!application) return OpenError{"no application opens " + scheme + " links"};
    return application;
}

// GIO rather than xdg-open: the application that the check found is the one launched (xdg-open would
// look again, perhaps by other rules), the failure to start it comes back as a value, and nothing needs
// xdg-utils. GLib's spawning closes every descriptor but the standard three in the child.
std::optional<OpenError> launchWithDesktop(const std::string& url, GAppLaunchContext* context) {
    auto found = desktopApplication(url);
    if (auto* error = std::get_if<OpenError>(&found)) return std::move(*error);
    const auto& application = std::get<AppInfo>(found);
    GList uris{const_cast<char*>(url.c_str()), nullptr, nullptr};
    GError* error = nullptr;
    if (!g_app_info_launch_uris(application.get(), &uris, context, &error))
        return OpenError{"could not start " + std::string(g_app_info_get_name(application.get())) + ": " +
                         errorText(error)};
    return std::nullopt;
}

}  // namespace

LinkOpener LinkOpener::fromEnvironment() {
    const char* chosen = std::getenv("QUILLBROOK_WIDGETS_OPENER");
    return LinkOpener{chosen && *chosen ? chosen : "", nullptr};
}

std::optional<OpenError> openLink(std::string_view url, const LinkOpener& opener) {
    if (!isOpenableUrl(url))
        return OpenError{"a widget opens only Quillbrook's own links and http, https, mailto and file links"};
    if (!opener.program.empty()) return runProgram(url, opener.program);
    return launchWithDesktop(std::string(url), opener.launchContext);
}

}  // namespace qb::host
