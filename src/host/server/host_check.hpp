#pragma once

#include <string_view>

namespace qb::host {

// Whether a Host header names the dashboard on this machine's loopback interface: "localhost",
// "127.0.0.1" or "[::1]" with the dashboard's port (or none, for port 80). Anything else (another name,
// an empty header, a "%" or NUL that a decoder could turn into something else) may be a page of
// another site that a DNS rebinding pointed at the dashboard.
bool isDashboardHost(std::string_view hostHeader, int port);

// Whether an Origin header names a page of the dashboard itself: http:// with one of the loopback
// names and the dashboard's port. Pages of other ports are other programs, perhaps other users'.
bool isDashboardOrigin(std::string_view originHeader, int port);

}  // namespace qb::host
