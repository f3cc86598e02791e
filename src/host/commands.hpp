#pragma once

// The program's commands, each given a checked command line and the bundle's widgets; each returns the
// exit status.

#include <vector>

#include "host/cli.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

int listCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets);
int optionsCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets);
// placeholder, snapshot and timeline.
int requestCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets);
int renderCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets);
int demoCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets);

// Writes one line for bad input on stderr and returns the usage exit status.
int usageFailure(std::string_view message);
// Writes one line for a failure while running and returns the failure exit status.
int runFailure(std::string_view message);

}  // namespace qb::host
