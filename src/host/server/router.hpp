#pragma once

// The dashboard's routes: a handler per method and path.

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "host/server/http_message.hpp"

namespace qb::host {

class Router {
  public:
    using Handler = std::function<void(HttpRequest, Reply)>;

    void get(std::string path, Handler handler);
    void post(std::string path, Handler handler);
    // GET for every path that begins with `prefix` (which ends with "/") and goes on after it.
    void getUnder(std::string prefix, Handler handler);

    // Whether a path and method lead anywhere; the answer to give when not (404 or 405).
    std::optional<HttpResponse> refusal(const HttpRequest& head) const;
    // Runs the request's handler (404 or 405 when there is none).
    void route(HttpRequest request, Reply reply) const;

  private:
    const Handler* find(const std::string& method, const std::string& path) const;

    std::map<std::pair<std::string, std::string>, Handler> routes_;
    std::map<std::string, Handler> prefixes_;
};

}  // namespace qb::host
