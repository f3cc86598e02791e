#include "host/server/connection.hpp"

#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/url/parse.hpp>

#include <algorithm>

namespace qb::host {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using Parser = http::request_parser<http::string_body>;

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return lower;
}

// The request's method, path, query and headers; nothing when the target is not an absolute path.
std::optional<HttpRequest> headOf(const Parser& parser) {
    const auto& message = parser.get();
    auto target = boost::urls::parse_origin_form(message.target());
    if (!target) return std::nullopt;
    HttpRequest request;
    request.method = std::string(message.method_string());
    request.path = target->path();
    boost::urls::encoding_opts plusAsBlank;
    plusAsBlank.space_as_plus = true;  // what a page's URLSearchParams writes
    for (const auto& param : target->params(plusAsBlank)) request.query.emplace_back(param.key, param.value);
    for (const auto& field : message)
        request.headers.emplace_back(lowerCase(field.name_string()), std::string(field.value()));
    return request;
}

// Headers every answer carries: nothing is cached, sniffed or told where the owner came from.
void addCommonHeaders(http::response<http::string_body>& response) {
    response.set(http::field::cache_control, "no-store");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("Referrer-Policy", "no-referrer");
}

}  // namespace

Connection::Connection(asio::ip::tcp::socket socket, RequestHandler& handler, ConnectionTable& table,
                       const ServerLimits& limits)
    : stream_(std::move(socket)),
      handler_(handler),
      table_(table),
      limits_(limits),
      buffer_(limits.headerBytes + limits.bodyBytes + 4096) {
    beast::error_code error;
    const auto peer = stream_.socket().remote_endpoint(error);
    entry_ = table_.add(this, error ? std::string() : peer.address().to_string());
}

Connection::~Connection() {
    if (state_ != State::closed) table_.remove(entry_);
}

void Connection::start() {
    readHead();
}

void Connection::close() {
    if (state_ == State::closed) return;
    state_ = State::closed;
    table_.remove(entry_);
    beast::error_code ignored;
    stream_.socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    stream_.close();
}

void Connection::readHead() {
    state_ = State::waitingForHead;
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(limits_.headerBytes));
    // The body's size is judged once the head is in, so that a stranger hears 403 rather than 413.
    parser_->body_limit(boost::none);
    // The first request has the head deadline; a kept-alive connection must bring its next request
    // within the idle time.
    stream_.expires_after(requests_ == 0 ? limits_.headerDeadline : limits_.keepAliveIdle);
    http::async_read_header(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](beast::error_code error, std::size_t) { self->onHead(error); });
}

void Connection::onHead(beast::error_code error) {
    if (state_ == State::closed) return;
    if (error == http::error::header_limit)
        return refuse(textResponse(431, "The request's headers are too long."));
    if (error) return close();  // gone, too slow, or not HTTP
    ++requests_;
    table_.touch(entry_);
    request_ = headOf(*parser_);
    if (!request_) return refuse(textResponse(400, "The request's target is not a path on this server."));
    const auto admission = handler_.admit(*request_);
    owner_ = owner_ || admission.owner;
    if (admission.refusal) {
        // Without a body to skip, the connection may serve the next request.
        if (!parser_->is_done()) return refuse(*admission.refusal);
        state_ = State::handling;
        keepAlive_ = parser_->keep_alive() && requests_ < limits_.requestsPerConnection;
        return respond(*admission.refusal);
    }
    const auto length = parser_->content_length();
    if (length && *length > limits_.bodyBytes)
        return refuse(textResponse(413, "The request's body is larger than the dashboard accepts."));
    if (parser_->is_done()) return dispatch();
    readBody();
}

void Connection::readBody() {
    state_ = State::readingBody;
    parser_->body_limit(limits_.bodyBytes);
    stream_.expires_after(limits_.bodyDeadline);
    auto read = [self = shared_from_this()] {
        http::async_read(self->stream_, self->buffer_, *self->parser_,
                         [self](beast::error_code error, std::size_t) { self->onBody(error); });
    };
    if (beast::iequals(parser_->get()[http::field::expect], "100-continue")) {
        static constexpr std::string_view proceed = "HTTP/1.1 100 Continue\r\n\r\n";
        asio::async_write(stream_, asio::buffer(proceed.data(), proceed.size()),
                          [self = shared_from_this(), read](beast::error_code error, std::size_t) {
                              if (error || self->state_ == State::closed) return self->close();
                              read();
                          });
        return;
    }
    read();
}

void Connection::onBody(beast::error_code error) {
    if (state_ == State::closed) return;
    if (error == http::error::body_limit)
        return refuse(textResponse(413, "The request's body is larger than the dashboard accepts."));
    if (error) return close();
    dispatch();
}

void Connection::dispatch() {
    state_ = State::handling;
    stream_.expires_never();
    keepAlive_ = parser_->keep_alive() && requests_ < limits_.requestsPerConnection;
    request_->body = std::move(parser_->get().body());
    auto request = std::move(*request_);
    request_.reset();
    // The answer may come from another thread: it is carried back to this connection's thread.
    Reply reply = [self = shared_from_this(), executor = stream_.get_executor()](HttpResponse response) {
        asio::post(executor,
                   [self, response = std::move(response)]() mutable { self->respond(std::move(response)); });
    };
    handler_.handle(std::move(request), std::move(reply));
}

void Connection::respond(HttpResponse response) {
    if (state_ != State::handling) return;
    write(std::move(response), keepAlive_);
}

void Connection::write(HttpResponse answer, bool keepAlive) {
    state_ = State::writing;
    response_.emplace(static_cast<http::status>(answer.status), 11);
    addCommonHeaders(*response_);
    if (!answer.contentType.empty()) response_->set(http::field::content_type, answer.contentType);
    for (auto& [name, value] : answer.headers) response_->insert(name, value);
    response_->body() = std::move(answer.body);
    response_->keep_alive(keepAlive);
    response_->prepare_payload();
    stream_.expires_after(limits_.writeDeadline);
    http::async_write(stream_, *response_,
                      [self = shared_from_this(), keepAlive](beast::error_code error, std::size_t) {
                          self->onWritten(keepAlive, error);
                      });
}

void Connection::onWritten(bool keepAlive, beast::error_code error) {
    if (state_ == State::closed) return;
    response_.reset();
    if (error) return close();
    if (state_ == State::lingering) return linger();
    if (!keepAlive) return close();
    readHead();
}

void Connection::refuse(HttpResponse response) {
    write(std::move(response), false);
    // Once written, what the client still sends is read and dropped for a moment before closing.
    state_ = State::lingering;
}

void Connection::linger() {
    beast::error_code ignored;
    stream_.socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    stream_.expires_after(limits_.lingerAfterRefusal);
    drain();
}

void Connection::drain() {
    stream_.async_read_some(asio::buffer(scratch_),
                            [self = shared_from_this()](beast::error_code error, std::size_t got) {
                                if (self->state_ == State::closed) return;
                                self->drained_ += got;
                                if (error || self->drained_ >= self->limits_.lingerBytes)
                                    return self->close();
                                self->drain();
                            });
}

}  // namespace qb::host
