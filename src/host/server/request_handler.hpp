#pragma once

#include <optional>

#include "host/server/http_message.hpp"

namespace qb::host {

// What a request's head earns before its body is read.
struct Admission {
    std::optional<HttpResponse> refusal;  // an answer that ends the request here
    bool owner = false;                   // the request carried the owner's secret
};

// The site behind the HTTP server. Both calls come on the server's one thread and must not block.
class RequestHandler {
  public:
    virtual ~RequestHandler() = default;
    // Looks at a request's method, path, query and headers (the body is still unread).
    virtual Admission admit(const HttpRequest& head) = 0;
    // Answers an admitted request with its body, now or later, through `reply`.
    virtual void handle(HttpRequest request, Reply reply) = 0;
};

}  // namespace qb::host
