#pragma once

// The dashboard's HTTP server on 127.0.0.1: one thread (the io_context's), every read and write with a
// deadline, and room for a new connection always made by closing the oldest idle one, so that the
// owner's page is answered whatever other clients do.

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <optional>
#include <string>

#include "host/server/connection_table.hpp"
#include "host/server/request_handler.hpp"
#include "host/server/server_limits.hpp"

namespace qb::host {

class HttpServer {
  public:
    explicit HttpServer(boost::asio::io_context& io, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on 127.0.0.1:port (0: a free port the system picks). What went wrong, or nothing.
    std::optional<std::string> listen(int port);
    int port() const { return port_; }
    // Accepts connections for `handler` once the io_context runs.
    void start(RequestHandler& handler);

    // Stops accepting and closes every connection. Call on the io_context's thread.
    void stop();

  private:
    void accept();
    void admit(boost::asio::ip::tcp::socket socket);
    bool makeRoom(const std::string& client);

    RequestHandler* handler_ = nullptr;
    ServerLimits limits_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer pause_;
    ConnectionTable table_;
    int port_ = 0;
};

}  // namespace qb::host
