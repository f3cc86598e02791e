#include "readinglist/reading_list_provider.hpp"

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
    // Every usable entry is counted; only the rows the entry keeps become items.
    auto selection = store_.select(intent.filter, listEntryItemCap);
    return ReadingListEntry{clock_(), std::move(selection.shown.items), selection.shown.count,
                            selection.sourceCount, selection.unreadCount};
}

}  // namespace qb
