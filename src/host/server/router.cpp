#include "host/server/router.hpp"

namespace qb::host {

void Router::get(std::string path, Handler handler) {
    routes_[{"GET", std::move(path)}] = std::move(handler);
}

void Router::post(std::string path, Handler handler) {
    routes_[{"POST", std::move(path)}] = std::move(handler);
}

void Router::getUnder(std::string prefix, Handler handler) {
    prefixes_[std::move(prefix)] = std::move(handler);
}

const Router::Handler* Router::find(const std::string& method, const std::string& path) const {
    if (const auto found = routes_.find({method, path}); found != routes_.end()) return &found->second;
    if (method != "GET") return nullptr;
    for (const auto& [prefix, handler] : prefixes_)
        if (path.size() > prefix.size() && path.starts_with(prefix)) return &handler;
    return nullptr;
}

std::optional<HttpResponse> Router::refusal(const HttpRequest& head) const {
    if (find(head.method, head.path)) return std::nullopt;
    std::string allowed;
    for (const auto& [key, handler] : routes_)
        if (key.second == head.path) allowed += (allowed.empty() ? "" : ", ") + key.first;
    if (allowed.empty() && find("GET", head.path)) allowed = "GET";
    if (allowed.empty()) return jsonError(404, "no such page or API; the page is at /");
    auto refusal = jsonError(405, head.path + " answers only " + allowed);
    refusal.headers.emplace_back("Allow", allowed);
    return refusal;
}

void Router::route(HttpRequest request, Reply reply) const {
    const auto* handler = find(request.method, request.path);
    if (!handler) return reply(*refusal(request));
    (*handler)(std::move(request), std::move(reply));
}

}  // namespace qb::host
