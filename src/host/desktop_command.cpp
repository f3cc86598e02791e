#include <unistd.h>

#include <cerrno>
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
    ::execv(host.c_str(), argv.data());
    return runFailure(
        fmt::format("could not start the desktop host {}: {}", host.string(), std::strerror(errno)));
}

}  // namespace qb::host
