#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date.hpp"
#include "tips/tip_item.hpp"

namespace qb::tips {

// The contents of tips_cache.json: when the list was written, and the tips newest first.
struct CachedTips {
    Date timestamp;
    std::vector<TipItem> tips;
    friend bool operator==(const CachedTips&, const CachedTips&) = default;
};

struct EncodedCache {
    std::string bytes;
    std::optional<std::string> error;  // why the tips could not be encoded
};

// Compact JSON with the keys in the record's order ("timestamp", "tips"; each tip "title",
// "description", "link", "pubDate", "guid") and dates as seconds since 2001-01-01 UTC.
EncodedCache encodeCachedTips(const CachedTips& cache);

// The cache from its JSON, keys in any order and unknown keys ignored; none unless every key is there
// with the right type. Fields longer than a tip keeps are cut (TipLimits).
std::optional<CachedTips> decodeCachedTips(std::string_view json);

}  // namespace qb::tips
