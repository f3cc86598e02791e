#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "host/commands.hpp"
#include "host/live_commands.hpp"
#include "platform/program_location.hpp"

namespace qb::host {
namespace {

constexpr std::string_view hostName = "quillbrook-widgets-desktop";

// The options the host takes, from the checked command line.
std::vector<std::string> hostArguments(const CommandLine& line) {
    std::vector<std::string> arguments{std::string(hostName)};
    if (line.config) arguments.insert(arguments.end(), {"--config", line.config->string()});
    if (line.home) arguments.insert(arguments.end(), {"--home", line.home->string()});
    if (line.feedBase) arguments.insert(arguments.end(), {"--feed-base", *line.feedBase});
    if (line.verbose) arguments.emplace_back("--verbose");
    return arguments;
}

// GLib before 2.76 keeps the small blocks of its slice allocator (most of GTK's objects and lists) in
// caches of its own that never go back to the system: about 1 MB of the desktop host's resident memory.
// With G_SLICE=always-malloc they come from malloc and go back to it. GLib reads the variable once, as
// it loads, so the host gets it from here; it takes it out of its environment again, so that the
// programs it starts do not inherit it (see its main()). A G_SLICE of the person's own is left alone.
void useMallocForSlices() {
    if (std::getenv("G_SLICE")) return;
    ::setenv("G_SLICE", "always-malloc", 1);
    ::setenv(desktopSliceMarker, "1", 1);
}

}  // namespace

int desktopCommand(const CommandLine& line) {
    // Installed, the host is in libexec/quillbrook-widgets; in the build tree, beside this program.
    const auto host = programHelperFolder() / hostName;
    if (::access(host.c_str(), F_OK) != 0)
        return runFailure(fmt::format(
            "the desktop host is not installed: looked for {}; build the target quillbrook-widgets-desktop "
            "or install it with the program",
            host.string()));
    auto arguments = hostArguments(line);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    useMallocForSlices();
    ::execv(host.c_str(), argv.data());
    return runFailure(
        fmt::format("could not start the desktop host {}: {}", host.string(), std::strerror(errno)));
}

}  // namespace qb::host
