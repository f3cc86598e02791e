#pragma once

// One client connection of the dashboard's HTTP server: reads requests one after another (the head
// within a deadline, then the body within another and up to a size), hands them to the site and writes
// the answers. Everything runs on the server's one thread; nothing here blocks it.

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <array>
#include <memory>
#include <optional>

#include "host/server/connection_table.hpp"
#include "host/server/request_handler.hpp"
#include "host/server/server_limits.hpp"

namespace qb::host {

class Connection : public std::enable_shared_from_this<Connection> {
  public:
    Connection(boost::asio::ip::tcp::socket socket, RequestHandler& handler, ConnectionTable& table,
               const ServerLimits& limits);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void start();
    // Ends the connection at once; a reply that comes later is dropped.
    void close();

    // Waiting for a request or for the site's answer: a connection that may be closed to make room.
    bool idle() const { return state_ == State::waitingForHead || state_ == State::handling; }
    bool owner() const { return owner_; }

  private:
    enum class State { waitingForHead, readingBody, handling, writing, lingering, closed };
    using Response = boost::beast::http::response<boost::beast::http::string_body>;

    void readHead();
    void onHead(boost::beast::error_code error);
    void readBody();
    void onBody(boost::beast::error_code error);
    void dispatch();
    void respond(HttpResponse response);
    void write(HttpResponse response, bool keepAlive);
    void onWritten(bool keepAlive, boost::beast::error_code error);
    // Answers a request whose body is not read and ends the connection.
    void refuse(HttpResponse response);
    void linger();
    void drain();

    boost::beast::tcp_stream stream_;
    RequestHandler& handler_;
    ConnectionTable& table_;
    const ServerLimits& limits_;
    ConnectionTable::Handle entry_;
    boost::beast::flat_buffer buffer_;
    std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
    std::optional<HttpRequest> request_;
    std::optional<Response> response_;  // kept alive while it is written
    std::array<char, 4096> scratch_{};  // what a refused body still sends goes here and is dropped
    State state_ = State::waitingForHead;
    unsigned requests_ = 0;
    std::size_t drained_ = 0;
    bool owner_ = false;
    bool keepAlive_ = false;
};

}  // namespace qb::host
