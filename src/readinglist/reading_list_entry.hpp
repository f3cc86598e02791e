#pragma once

#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/date.hpp"
#include "readinglist/reading_list_item.hpp"

namespace qb {

// One moment of the Reading List widget: the items to show and the counts its header and overflow
// line need.
struct ReadingListEntry {
    Date date;
    std::vector<ReadingListItem> items;  // the items that pass the filter, at most listEntryItemCap
    std::int64_t displayCount = 0;       // items that pass the filter, before the cut
    std::int64_t sourceCount = 0;        // items read from the file
    std::int64_t unreadCount = 0;        // unread items read from the file, whatever the filter

    friend bool operator==(const ReadingListEntry&, const ReadingListEntry&) = default;
};

void to_json(nlohmann::json& json, const ReadingListEntry& entry);

}  // namespace qb
