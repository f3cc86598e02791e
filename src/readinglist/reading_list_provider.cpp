#include "readinglist/reading_list_provider.hpp"

#include "platform/json.hpp"
#include "presentation/displayable_item.hpp"

namespace qb::readinglist {

void to_json(nlohmann::json& json, const ReadingListEntry& entry) {
    json = nlohmann::json{
        {"date", toJson(entry.date)},         {"items", entry.items},
        {"displayCount", entry.displayCount}, {"sourceCount", entry.sourceCount},
        {"unreadCount", entry.unreadCount},
    };
}

ReadingListEntry ReadingListProvider::placeholder(const TimelineContext&) const {
    const auto& samples = ReadingListItem::sampleItems();
    const auto count = static_cast<std::int64_t>(samples.size());
    return ReadingListEntry{now(), samples, count, count, placeholderUnreadCount};
}

ReadingListEntry ReadingListProvider::makeEntry(const ReadingListIntent& intent) const {
    // Every usable entry is counted; only the rows the entry keeps become items.
    auto selection = store_.select(intent.filter, listEntryItemCap);
    return ReadingListEntry{now(), std::move(selection.shown.items), selection.shown.count,
                            selection.sourceCount, selection.unreadCount};
}

}  // namespace qb::readinglist
