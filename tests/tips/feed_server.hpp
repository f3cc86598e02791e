#pragma once

// A local HTTP or HTTPS feed server for tests, answering with one response or several in turn.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

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
