#include "host/server/http_server.hpp"

#include <boost/asio/ip/address_v4.hpp>

#include "host/server/connection.hpp"

namespace qb::host {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

HttpServer::HttpServer(asio::io_context& io, ServerLimits limits)
    : limits_(limits), acceptor_(io), pause_(io) {}

HttpServer::~HttpServer() {
    stop();
}

std::optional<std::string> HttpServer::listen(int port) {
    boost::system::error_code error;
    const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), static_cast<unsigned short>(port));
    acceptor_.open(endpoint.protocol(), error);
    if (!error) acceptor_.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error) acceptor_.bind(endpoint, error);
    if (!error) acceptor_.listen(asio::socket_base::max_listen_connections, error);
    if (error) {
        acceptor_.close();
        return error.message();
    }
    port_ = acceptor_.local_endpoint().port();
    return std::nullopt;
}

void HttpServer::start(RequestHandler& handler) {
    handler_ = &handler;
    accept();
}

void HttpServer::stop() {
    boost::system::error_code ignored;
    acceptor_.close(ignored);
    pause_.cancel();
    for (const auto& entry : table_.all()) entry.connection->close();
}

void HttpServer::accept() {
    acceptor_.async_accept([this](boost::system::error_code error, tcp::socket socket) {
        if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
        if (!error) {
            admit(std::move(socket));
            return accept();
        }
        // Out of file descriptors or memory: try again in a moment rather than at once.
        pause_.expires_after(std::chrono::milliseconds(100));
        pause_.async_wait([this](boost::system::error_code waited) {
            if (!waited && acceptor_.is_open()) accept();
        });
    });
}

void HttpServer::admit(tcp::socket socket) {
    boost::system::error_code error;
    const auto peer = socket.remote_endpoint(error);
    if (error) return;
    if (!makeRoom(peer.address().to_string())) return;  // every connection busy: this one is closed
    socket.set_option(tcp::no_delay(true), error);
    std::make_shared<Connection>(std::move(socket), *handler_, table_, limits_)->start();
}

bool HttpServer::makeRoom(const std::string& client) {
    while (table_.countFrom(client) >= limits_.connectionsPerClient) {
        auto* victim = table_.victim(&client);
        if (!victim) return false;
        victim->close();
    }
    while (table_.size() >= limits_.connections) {
        auto* victim = table_.victim(nullptr);
        if (!victim) return false;
        victim->close();
    }
    return true;
}

}  // namespace qb::host
