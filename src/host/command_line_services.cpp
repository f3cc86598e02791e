#include <filesystem>
#include <system_error>

#include "host/program.hpp"

namespace qb::host {

// Apart from program.cpp, so that the desktop host, which gives its own services (downloads in a helper
// program), links this without the program's download client.
WidgetServices withCommandLine(WidgetServices services, const CommandLine& line) {
    if (line.home) {
        std::error_code error;
        auto absolute = std::filesystem::absolute(*line.home, error);
        services.home = error ? *line.home : std::move(absolute);
    }
    if (line.feedBase) services.feedBase = *line.feedBase;
    return services;
}

}  // namespace qb::host
