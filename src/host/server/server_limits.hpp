#pragma once

// What the dashboard's HTTP server grants one client, one request and everyone together. The
// dashboard serves one person's browser on this machine; everything beyond that is a fault or an
// attack and meets a deadline or a limit rather than a thread that waits.

#include <chrono>
#include <cstddef>

namespace qb::host {

struct ServerLimits {
    // A new connection must send its first request's head within this time.
    std::chrono::milliseconds headerDeadline{10'000};
    // A request's body must arrive within this time once its head is in.
    std::chrono::milliseconds bodyDeadline{10'000};
    // A kept-alive connection is closed when no next request has fully arrived within this time.
    std::chrono::milliseconds keepAliveIdle{5'000};
    // A response must be taken by the client within this time.
    std::chrono::milliseconds writeDeadline{10'000};
    // After refusing a body, the server reads and drops what is still coming for this long at most
    // and up to this many bytes (so that the client sees the answer rather than a reset), then closes.
    std::chrono::milliseconds lingerAfterRefusal{1'000};
    std::size_t lingerBytes = 1024 * 1024;
    // Requests on one connection before the server closes it.
    unsigned requestsPerConnection = 100;
    std::size_t headerBytes = 8 * 1024;
    // The API's bodies are a tile number, a parameter and a value, or one link.
    std::size_t bodyBytes = 8 * 1024;
    // Open connections from one client address, and from everyone together. A new connection beyond
    // either makes room by closing the oldest idle one (strangers' before the owner's).
    std::size_t connectionsPerClient = 48;
    std::size_t connections = 64;
};

}  // namespace qb::host
