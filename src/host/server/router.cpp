#include "host/server/router.hpp"

namespace qb::host {

void Router::get(std::string path, Handler handler) {
    routes_[{"GET", std::move(path)}] = std::move(handler);
}

void Router::post(std::string path, Handler handler) {
    routes_[{"POST", std::move(path)}] = std::move(handler);
}

std::optional<HttpResponse> Router::refusal(const HttpRequest& head) const {
    if (routes_.contains({head.method, head.path})) return std::nullopt;
    std::string allowed;
    for (const auto& [key, handler] : routes_)
        if (key.second == head.path) allowed += (allowed.empty() ? "" : ", ") + key.first;
    if (allowed.empty()) return jsonError(404, "no such page or API; the page is at /");
    auto refusal = jsonError(405, head.path + " answers only " + allowed);
    refusal.headers.emplace_back("Allow", allowed);
    return refusal;
}

void Router::route(HttpRequest request, Reply reply) const {
    const auto found = routes_.find({request.method, request.path});
    if (found == routes_.end()) return reply(*refusal(request));
    found->second(std::move(request), std::move(reply));
}

}  // namespace qb::host
