#pragma once

// A local feed server on 127.0.0.1 that answers in turn: at once, slowly, with a server error, or by
// hanging up halfway through the body.

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <thread>

#include <httplib.h>

namespace qb::test {

class FlakyFeedServer {
  public:
    enum class Behaviour { prompt, slow, serverError, hangUp };
    static constexpr std::size_t behaviourCount = 4;

    explicit FlakyFeedServer(std::string feed) : feed_(std::move(feed)) {
        server_.Get("/2/apps/supportmaterials.xml.php",
                    [this](const httplib::Request&, httplib::Response& response) { answer(response); });
        int port = server_.bind_to_any_port("127.0.0.1");
        if (port <= 0) throw std::runtime_error("cannot bind the local feed server");
        base_ = "http://127.0.0.1:" + std::to_string(port);
        thread_ = std::thread([this] {
            server_.listen_after_bind();
            ended_ = true;
        });
        // A stop() before the server runs would be lost and leave the thread listening for ever.
        while (!server_.is_running() && !ended_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FlakyFeedServer() {
        server_.stop();
        thread_.join();
    }
    FlakyFeedServer(const FlakyFeedServer&) = delete;
    FlakyFeedServer& operator=(const FlakyFeedServer&) = delete;

    const std::string& base() const { return base_; }

    // Every request gets this behaviour from now on; none: each in turn.
    void always(std::optional<Behaviour> behaviour) {
        fixed_ = behaviour ? static_cast<int>(*behaviour) : -1;
    }

    // How many requests got each behaviour.
    std::array<std::size_t, behaviourCount> counts() const {
        std::array<std::size_t, behaviourCount> counts{};
        for (std::size_t i = 0; i < behaviourCount; ++i) counts[i] = counts_[i];
        return counts;
    }

  private:
    void answer(httplib::Response& response) {
        int fixed = fixed_;
        auto behaviour =
            static_cast<Behaviour>(fixed >= 0 ? static_cast<std::size_t>(fixed) : next_++ % behaviourCount);
        ++counts_[static_cast<std::size_t>(behaviour)];
        switch (behaviour) {
            case Behaviour::prompt:
                response.set_content(feed_, "application/rss+xml");
                break;
            case Behaviour::slow:
                std::this_thread::sleep_for(std::chrono::milliseconds(40));
                response.set_content(feed_, "application/rss+xml");
                break;
            case Behaviour::serverError:
                response.status = 500;
                response.set_content("<html><body>Internal Server Error</body></html>", "text/html");
                break;
            case Behaviour::hangUp:
                // The length of the whole feed is announced, half of it is sent, then the connection closes.
                response.set_content_provider(
                    feed_.size(), "application/rss+xml",
                    [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                        if (offset == 0) sink.write(feed_.data(), feed_.size() / 2);
                        return false;
                    });
                break;
        }
    }

    std::string feed_;
    httplib::Server server_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
    std::string base_;
    std::atomic<int> fixed_ = -1;
    std::atomic<std::size_t> next_ = 0;
    std::array<std::atomic<std::size_t>, behaviourCount> counts_{};
};

}  // namespace qb::test
