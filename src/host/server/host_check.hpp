#pragma once

#include <string_view>

namespace qb::host {

// Whether a Host header names this machine's loopback interface: "localhost", "127.0.0.1" or "[::1]",
// each with or without a port. Anything else (another name, an empty header) may be a page of another
// site that a DNS rebinding pointed at the dashboard.
bool isLoopbackHost(std::string_view hostHeader);

// Whether an Origin header, when a browser sent one, is a page served from the loopback interface.
bool isLoopbackOrigin(std::string_view originHeader);

}  // namespace qb::host
