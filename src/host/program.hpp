#pragma once

#include <string>
#include <vector>

#include "core/widget_services.hpp"
#include "host/cli.hpp"

namespace qb::host {

// Exit statuses: 0 done, 1 something failed while running, 2 bad input on the command line.
inline constexpr int exitFailure = 1;
inline constexpr int exitUsage = 2;

// Runs the program with its arguments (without the program name) and returns its exit status. Bad
// input gets one line on stderr; nothing is thrown.
int run(const std::vector<std::string>& arguments);

// The services given, with the home and the feed base the command line names instead.
WidgetServices withCommandLine(WidgetServices services, const CommandLine& line);

}  // namespace qb::host
