#pragma once

// A raw HTTP client for the dashboard's tests: it writes exactly the bytes a test gives (odd headers,
// a head one byte at a time, a body that never ends) and reads what comes back.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace qb::test {

class Probe {
  public:
    // Connects to 127.0.0.1:port; connected() tells whether that worked.
    explicit Probe(int port);
    ~Probe();
    Probe(Probe&& other) noexcept;
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool connected() const { return fd_ >= 0; }
    // False once the server no longer takes bytes.
    bool send(std::string_view bytes);
    // One response: the head and, by its Content-Length, the body. Empty when none came within
    // `timeout` (or the connection closed first).
    std::string response(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Whether the server closed the connection within `timeout`.
    bool closedWithin(std::chrono::milliseconds timeout);

  private:
    int fd_ = -1;
    std::string pending_;
};

// "GET /path HTTP/1.1" with the extra header lines (and a Host header for the port unless they have
// one) and the body (with its Content-Length when not empty).
std::string httpRequest(std::string_view method, std::string_view path, int port,
                        const std::vector<std::string>& headers = {}, std::string_view body = {});
// One request on a new connection; the response.
std::string roundTrip(int port, const std::string& request);

int statusOf(std::string_view response);  // 0 when there is none
std::string headerOf(std::string_view response, std::string_view name);
std::string bodyOf(std::string_view response);

}  // namespace qb::test
