#pragma once

// A tips feed server on 127.0.0.1 for the demo and the dashboard's demo mode: serves one RSS document at
// the feed's path, on a free port chosen by the system.

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace httplib {
class Server;
}

namespace qb::host {

class DemoFeedServer {
  public:
    static constexpr std::string_view feedPath = "/2/apps/supportmaterials.xml.php";

    explicit DemoFeedServer(std::string feedXml);
    ~DemoFeedServer();
    DemoFeedServer(const DemoFeedServer&) = delete;
    DemoFeedServer& operator=(const DemoFeedServer&) = delete;

    // Starts serving; false when no port could be bound.
    bool start();
    void stop();
    // "http://127.0.0.1:PORT", the feed base to hand to the tips store.
    std::string base() const;

  private:
    std::string feed_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
    int port_ = 0;
};

}  // namespace qb::host
