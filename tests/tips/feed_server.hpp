#pragma once

// A local HTTP or HTTPS feed server for tests, answering with one response or several in turn.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/test_support.hpp"

namespace qb::test {

struct FeedResponse {
    int status = 200;
    std::string body;
    std::string contentType = "application/rss+xml";
    std::chrono::milliseconds delay{0};
    bool hangUp = false;  // announce the whole body, send half of it, close the connection
};

// A certificate for 127.0.0.1 and its key, made with openssl for the test.
struct TestCertificate {
    std::filesystem::path certificate, key;

    static TestCertificate make(const TempDir& folder) {
        TestCertificate made{folder.path() / "cert.pem", folder.path() / "key.pem"};
        auto command =
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
            "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
            made.key.string() + "' -out '" + made.certificate.string() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("openssl could not make a certificate");
        return made;
    }
};

class FeedServer {
  public:
    FeedServer() : server_(std::make_unique<httplib::Server>()) { start("http"); }
    explicit FeedServer(const TestCertificate& certificate)
        : server_(std::make_unique<httplib::SSLServer>(certificate.certificate.c_str(),
                                                       certificate.key.c_str())) {
        start("https");
    }
    ~FeedServer() {
        server_->stop();
        thread_.join();
    }
    FeedServer(const FeedServer&) = delete;
    FeedServer& operator=(const FeedServer&) = delete;

    const std::string& base() const { return base_; }  // scheme://127.0.0.1:port
    httplib::Server& server() { return *server_; }

    void respond(FeedResponse response) { rotate({std::move(response)}); }
    void rotate(std::vector<FeedResponse> responses) {
        std::lock_guard lock(mutex_);
        responses_ = std::move(responses);
    }
    // The request targets (path and query) in order, and the responses they got.
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::vector<FeedResponse> answers() const {
        std::lock_guard lock(mutex_);
        return answers_;
    }

  private:
    void start(const std::string& scheme) {
        server_->Get("/2/apps/supportmaterials.xml.php", [this](const auto& request, auto& response) {
            FeedResponse answer;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request.target);
                answer = responses_.empty() ? FeedResponse{}
                                            : responses_[(requests_.size() - 1) % responses_.size()];
                answers_.push_back(answer);
            }
            std::this_thread::sleep_for(answer.delay);
            response.status = answer.status;
            if (!answer.hangUp) return response.set_content(answer.body, answer.contentType);
            response.set_content_provider(
                answer.body.size(), answer.contentType,
                [body = answer.body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset == 0) sink.write(body.data(), body.size() / 2);
                    return false;
                });
        });
        int port = server_->bind_to_any_port("127.0.0.1");
        if (port <= 0) throw std::runtime_error("cannot bind a test server");
        base_ = scheme + "://127.0.0.1:" + std::to_string(port);
        thread_ = std::thread([this] {
            server_->listen_after_bind();
            ended_ = true;
        });
        // A stop() before the server runs would be lost and leave the thread listening for ever.
        while (!server_->is_running() && !ended_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
    std::string base_;
    mutable std::mutex mutex_;
    std::vector<FeedResponse> responses_, answers_;
    std::vector<std::string> requests_;
};

// A loopback TCP server that is not an HTTP server. Each connection is handed in turn to `serve` on the
// server's thread (a greeting of another protocol, a body sent one byte a second, ...), which should
// return soon after `stopping` is set. Without `serve` no connection is accepted: a client connects and
// then waits for an answer that never comes.
class RawServer {
  public:
    using Serve = std::function<void(int socket, const std::atomic<bool>& stopping)>;

    explicit RawServer(Serve serve = {}) : serve_(std::move(serve)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* raw = reinterpret_cast<sockaddr*>(&address);
        if (listener_ < 0 || ::bind(listener_, raw, length) != 0 || ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, raw, &length) != 0)
            throw std::runtime_error("cannot bind a test server");
        base_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        if (serve_) thread_ = std::thread([this] { acceptConnections(); });
    }
    ~RawServer() {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(listener_);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    const std::string& base() const { return base_; }  // http://127.0.0.1:port

    // Writes all of `bytes` unless the peer has gone; never raises SIGPIPE.
    static bool send(int socket, std::string_view bytes) {
        return ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // Sleeps for `duration`, or less once `stopping` is set.
    static void pause(std::chrono::milliseconds duration, const std::atomic<bool>& stopping) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (!stopping && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

  private:
    void acceptConnections() {
        while (!stopping_) {
            pollfd ready{listener_, POLLIN, 0};
            if (::poll(&ready, 1, 20) != 1) continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0) continue;
            serve_(connection, stopping_);
            ::close(connection);
        }
    }

    Serve serve_;
    int listener_ = -1;
    std::string base_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// An address where nothing listens: the port of a service no test machine runs.
inline const std::string closedBase = "http://127.0.0.1:1";

// An RSS document with one "tips" item per title, the first dated 28 November 2024 10:00 +0100 and
// each further one a day earlier, so that the titles come out in the order given.
inline std::string tipsFeed(const std::vector<std::string>& titles) {
    std::string xml =
        R"(<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel><title>Blog</title>)";
    int day = 28;
    for (const auto& title : titles)
        xml += "<item><title>" + title + "</title><category>Tips</category><pubDate>Thu, " +
               std::to_string(day--) +
               " Nov 2024 10:00:00 +0100</pubDate><link>https://www.quillbrook.example/tips/" + title +
               "</link><guid>" + title + "</guid><description>About " + title + "</description></item>";
    return xml + "</channel></rss>";
}

}  // namespace qb::test
