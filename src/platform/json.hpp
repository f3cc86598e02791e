#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/bytes.hpp"
#include "platform/date.hpp"
#include "platform/url.hpp"

namespace qb {

// How the program's JSON output writes the platform's values: dates as ISO 8601 in UTC with
// milliseconds, URLs as their text, bytes as base64, absent values as null.
nlohmann::json toJson(Date date);
nlohmann::json toJson(const Url& url);
nlohmann::json toJson(const std::optional<Url>& url);
nlohmann::json toJson(const std::optional<Bytes>& bytes);

// Standard base64 (RFC 4648) with padding.
std::string base64Encode(std::string_view bytes);

}  // namespace qb
