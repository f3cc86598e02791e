#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/date.hpp"
#include "platform/url.hpp"

namespace qb::tips {

// The most a tip keeps of each field, in bytes. Real tips stay far below: a title is a line, a
// description a paragraph or two (the widget shows a few lines of it), and web servers refuse
// addresses longer than 8 KiB. A hostile feed, though, could send a title of megabytes that would be
// cached for hours and drawn on every request. Longer fields are cut at a character boundary when a
// feed or the cache is read.
struct TipLimits {
    static constexpr std::size_t titleBytes = 1024;
    static constexpr std::size_t descriptionBytes = 16 * 1024;
    static constexpr std::size_t linkBytes = 8 * 1024;
    static constexpr std::size_t guidBytes = 8 * 1024;
};

// One tip of the maker's tips feed.
struct TipItem {
    std::string title;        // trimmed; never empty when it comes from the feed
    std::string description;  // plain text, possibly empty
    std::string link;         // the full article's address as the feed gave it, possibly empty
    Date pubDate;
    std::string guid;  // the feed's guid, or the link when the feed gave none

    // Cuts each field to its limit (TipLimits).
    void limitFieldLengths();

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

}  // namespace qb::tips

template <>
struct std::hash<qb::tips::TipItem> {
    std::size_t operator()(const qb::tips::TipItem& tip) const noexcept;
};
