#include "readinglist/reading_list_provider.hpp"

#include <algorithm>

#include "presentation/displayable_item.hpp"

namespace qb {

ReadingListEntry ReadingListProvider::placeholder(const TimelineContext&) const {
    const auto& samples = ReadingListItem::sampleItems();
    const auto count = static_cast<std::int64_t>(samples.size());
    return ReadingListEntry{clock_(), samples, count, count, 3};
}

ReadingListEntry ReadingListProvider::snapshot(const ReadingListIntent& intent,
                                               const TimelineContext&) const {
    return makeEntry(intent);
}

Timeline<ReadingListEntry> ReadingListProvider::timeline(const ReadingListIntent& intent,
                                                         const TimelineContext&) const {
    auto entry = makeEntry(intent);
    // The reload is measured from when the entry is ready, not from when reading began.
    const auto reload = clock_().addingTimeInterval(reloadInterval);
    return Timeline<ReadingListEntry>{{std::move(entry)}, TimelineReloadPolicy::after(reload)};
}

ReadingListEntry ReadingListProvider::makeEntry(const ReadingListIntent& intent) const {
    auto all = store_.readFromPlist();
    const auto unread = std::ranges::count_if(all, &ReadingListItem::isUnread);
    const auto sourceCount = static_cast<std::int64_t>(all.size());

    std::vector<ReadingListItem> filtered;
    if (intent.filter == ReadingListFilter::unreadOnly) {
        std::ranges::copy_if(all, std::back_inserter(filtered), &ReadingListItem::isUnread);
    } else {
        filtered = std::move(all);
    }
    const auto displayCount = static_cast<std::int64_t>(filtered.size());
    if (filtered.size() > listEntryItemCap)
        filtered.erase(filtered.begin() + listEntryItemCap, filtered.end());
    return ReadingListEntry{clock_(), std::move(filtered), displayCount, sourceCount, unread};
}

}  // namespace qb
