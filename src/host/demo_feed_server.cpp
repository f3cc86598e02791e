#include "host/demo_feed_server.hpp"

#include <chrono>

#include <httplib.h>

#include <fmt/format.h>

namespace qb::host {

DemoFeedServer::DemoFeedServer(std::string feedXml) : feed_(std::move(feedXml)) {}

DemoFeedServer::~DemoFeedServer() {
    stop();
}

bool DemoFeedServer::start() {
    if (server_) return true;
    auto server = std::make_unique<httplib::Server>();
    server->Get(std::string(feedPath), [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(feed_, "application/rss+xml; charset=utf-8");
    });
    const int port = server->bind_to_any_port("127.0.0.1");
    if (port <= 0) return false;
    port_ = port;
    server_ = std::move(server);
    ended_ = false;
    thread_ = std::thread([this, server = server_.get()] {
        server->listen_after_bind();
        ended_ = true;
    });
    // A stop() before the server runs would be lost and leave the thread listening for ever.
    while (!server_->is_running() && !ended_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void DemoFeedServer::stop() {
    if (!server_) return;
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
}

std::string DemoFeedServer::base() const {
    return fmt::format("http://127.0.0.1:{}", port_);
}

}  // namespace qb::host
