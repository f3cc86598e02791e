#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/date.hpp"
#include "platform/url.hpp"

namespace qb {

// One tip of the maker's tips feed.
struct TipItem {
    std::string title;        // trimmed; never empty when it comes from the feed
    std::string description;  // plain text, possibly empty
    std::string link;         // the full article's address as the feed gave it, possibly empty
    Date pubDate;
    std::string guid;  // the feed's guid, or the link when the feed gave none

    // A tip is identified by its guid.
    const std::string& id() const { return guid; }

    // What a click on the tip opens in Quillbrook: a web link wrapped in Quillbrook's open-url command,
    // a Quillbrook link tagged with the Tips widget; none for an empty or unreadable link.
    std::optional<Url> url() const;

    // Three built-in tips for the placeholder and the snapshot, dated when first asked for.
    static const std::vector<TipItem>& sampleItems();

    friend bool operator==(const TipItem&, const TipItem&) = default;
};

// The program's JSON: the stored fields, the id and the url.
void to_json(nlohmann::json& json, const TipItem& tip);

}  // namespace qb

template <>
struct std::hash<qb::TipItem> {
    std::size_t operator()(const qb::TipItem& tip) const noexcept;
};
