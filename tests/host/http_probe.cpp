#include "http_probe.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace qb::test {

Probe::Probe(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

Probe::~Probe() {
    if (fd_ >= 0) ::close(fd_);
}

Probe::Probe(Probe&& other) noexcept : fd_(other.fd_), pending_(std::move(other.pending_)) {
    other.fd_ = -1;
}

bool Probe::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string Probe::response(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto headEnd = pending_.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            const auto length = headerOf(pending_.substr(0, headEnd + 2), "content-length");
            const auto total =
                headEnd + 4 + (length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10));
            if (pending_.size() >= total) {
                auto answer = pending_.substr(0, total);
                pending_.erase(0, total);
                return answer;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return {};
        char buffer[16384];
        const auto got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0) return {};
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

bool Probe::closedWithin(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[4096];
        if (::recv(fd_, buffer, sizeof buffer, 0) <= 0) return true;
    }
}

std::string httpRequest(std::string_view method, std::string_view path, int port,
                        const std::vector<std::string>& headers, std::string_view body) {
    std::string request = std::string(method) + " " + std::string(path) + " HTTP/1.1\r\n";
    if (std::ranges::none_of(headers, [](const std::string& header) { return header.starts_with("Host:"); }))
        request += "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    for (const auto& header : headers) request += header + "\r\n";
    if (!body.empty()) request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return request + "\r\n" + std::string(body);
}

std::string roundTrip(int port, const std::string& request) {
    Probe probe(port);
    if (!probe.send(request)) return {};
    return probe.response();
}

int statusOf(std::string_view response) {
    if (!response.starts_with("HTTP/1.1 ") || response.size() < 12) return 0;
    return std::atoi(std::string(response.substr(9, 3)).c_str());
}

std::string headerOf(std::string_view response, std::string_view name) {
    std::string lower(response);
    std::ranges::transform(lower, lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto at = lower.find("\r\n" + std::string(name) + ":");
    if (at == std::string::npos) return {};
    auto start = at + 3 + name.size();
    while (start < response.size() && response[start] == ' ') ++start;
    return std::string(response.substr(start, response.find("\r\n", start) - start));
}

std::string bodyOf(std::string_view response) {
    const auto headEnd = response.find("\r\n\r\n");
    return headEnd == std::string_view::npos ? std::string() : std::string(response.substr(headEnd + 4));
}

}  // namespace qb::test
