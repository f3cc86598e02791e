#pragma once

#include "platform/date.hpp"
#include "readinglist/reading_list_entry.hpp"
#include "readinglist/reading_list_intent.hpp"
#include "readinglist/reading_list_store.hpp"
#include "widgetkit/timeline.hpp"

namespace qb {

// Answers the host's requests for the Reading List widget: reads the list on every snapshot and
// timeline request, counts it, filters it and asks to be reloaded five minutes later.
class ReadingListProvider {
  public:
    using Intent = ReadingListIntent;
    using Entry = ReadingListEntry;

    // How long the host waits before it asks for the next timeline.
    static constexpr double reloadInterval = 300;

    explicit ReadingListProvider(ReadingListStore store = ReadingListStore::shared(),
                                 Clock clock = systemClock())
        : store_(std::move(store)), clock_(std::move(clock)) {}

    // The sample items with fixed counts; reads nothing.
    ReadingListEntry placeholder(const TimelineContext& context) const;
    ReadingListEntry snapshot(const ReadingListIntent& intent, const TimelineContext& context) const;
    Timeline<ReadingListEntry> timeline(const ReadingListIntent& intent,
                                        const TimelineContext& context) const;

  private:
    ReadingListEntry makeEntry(const ReadingListIntent& intent) const;

    ReadingListStore store_;
    Clock clock_;
};

}  // namespace qb
