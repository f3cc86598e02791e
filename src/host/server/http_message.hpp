#pragma once

// Requests and responses as the dashboard's handlers see them: plain values, free of the HTTP library.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace qb::host {

struct HttpRequest {
    std::string method;                                        // "GET", "POST", ...
    std::string path;                                          // decoded, without the query
    std::vector<std::pair<std::string, std::string>> query;    // decoded ("+" read as a blank)
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case, values as sent
    std::string body;

    // The first header of that (lower-case) name, or nothing.
    std::optional<std::string_view> header(std::string_view name) const;
    // The first query item of that name, or nothing; every one of them.
    std::optional<std::string_view> param(std::string_view name) const;
    std::vector<std::string_view> params(std::string_view name) const;
};

struct HttpResponse {
    unsigned status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// One line of text, as every refusal is: what was wrong and what to do.
HttpResponse textResponse(unsigned status, std::string_view line);
// A JSON body; strings that are not UTF-8 are repaired rather than refused.
HttpResponse jsonResponse(const nlohmann::json& body, unsigned status = 200);
HttpResponse jsonResponse(const nlohmann::ordered_json& body, unsigned status = 200);
// {"error": message}.
HttpResponse jsonError(unsigned status, std::string_view message);

// The answer to one request. Call it exactly once, from any thread; it does nothing when the
// connection has gone meanwhile.
using Reply = std::function<void(HttpResponse)>;

}  // namespace qb::host
