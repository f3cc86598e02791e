#pragma once

#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/date.hpp"
#include "presentation/list_provider.hpp"
#include "readinglist/reading_list_intent.hpp"
#include "readinglist/reading_list_item.hpp"
#include "readinglist/reading_list_store.hpp"
#include "widgetkit/timeline.hpp"

namespace qb::readinglist {

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

// Answers the host's requests for the Reading List widget: reads the list on every snapshot and
// timeline request, counts it, filters it and asks to be reloaded five minutes later.
class ReadingListProvider : public ListProvider<ReadingListProvider, ReadingListIntent, ReadingListEntry> {
  public:
    explicit ReadingListProvider(ReadingListStore store = ReadingListStore::shared(),
                                 Clock clock = systemClock())
        : ListProvider(std::move(clock)), store_(std::move(store)) {}

    // The unread count the placeholder shows: a fixed number, not a count of the sample items.
    static constexpr std::int64_t placeholderUnreadCount = 3;

    // The sample items with fixed counts; reads nothing.
    ReadingListEntry placeholder(const TimelineContext& context) const;

  private:
    friend ListProvider;
    ReadingListEntry makeEntry(const ReadingListIntent& intent) const;

    ReadingListStore store_;
};

}  // namespace qb::readinglist
