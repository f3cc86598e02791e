#include "host/server/http_message.hpp"

namespace qb::host {
namespace {

std::optional<std::string_view> first(const std::vector<std::pair<std::string, std::string>>& pairs,
                                      std::string_view name) {
    for (const auto& [key, value] : pairs)
        if (key == name) return std::string_view(value);
    return std::nullopt;
}

template <class Json>
HttpResponse json(const Json& body, unsigned status) {
    return {status, "application/json", body.dump(-1, ' ', false, Json::error_handler_t::replace), {}};
}

}  // namespace

std::optional<std::string_view> HttpRequest::header(std::string_view name) const {
    return first(headers, name);
}

std::optional<std::string_view> HttpRequest::param(std::string_view name) const {
    return first(query, name);
}

std::vector<std::string_view> HttpRequest::params(std::string_view name) const {
    std::vector<std::string_view> values;
    for (const auto& [key, value] : query)
        if (key == name) values.emplace_back(value);
    return values;
}

HttpResponse textResponse(unsigned status, std::string_view line) {
    return {status, "text/plain; charset=utf-8", std::string(line) + "\n", {}};
}

HttpResponse jsonResponse(const nlohmann::json& body, unsigned status) {
    return json(body, status);
}

HttpResponse jsonResponse(const nlohmann::ordered_json& body, unsigned status) {
    return json(body, status);
}

HttpResponse jsonError(unsigned status, std::string_view message) {
    return jsonResponse(nlohmann::json{{"error", message}}, status);
}

}  // namespace qb::host
