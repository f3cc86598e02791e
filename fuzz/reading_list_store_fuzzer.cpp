// ReadingList.plist from arbitrary bytes: the store reads it without crashing, a web page's link wraps
// the whole address, the counts and rows of both filters agree with the whole list, and the entries can
// be written and drawn.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "presentation/displayable_item.hpp"
#include "readinglist/reading_list_provider.hpp"
#include "readinglist/reading_list_store.hpp"
#include "readinglist/reading_list_views.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb;
    using namespace qb::readinglist;
    fuzz::QuietLog quiet;
    auto file = fuzz::scratch().write("ReadingList.plist",
                                      std::string_view(reinterpret_cast<const char*>(data), size));
    const auto store = ReadingListStore::forFile(file);

    const auto items = store.readFromPlist();
    for (const auto& item : items) {
        if (!item.url()) continue;
        fuzz::check(Url::parse(item.url()->string()).has_value(), "an item's link does not parse");
        auto scheme = item.url()->scheme().value_or("");
        if (scheme == "x-quillbrook" && item.url()->host() == "open-url") {
            auto query = item.url()->queryItems().value_or(std::vector<QueryItem>{});
            fuzz::check(!query.empty() && query.front().name == "location" && query.front().value == item.id,
                        "a web page's link does not carry the whole address");
        }
    }

    const ReadingListProvider provider(store, [] { return Date{754'000'000}; });
    const auto unread =
        std::count_if(items.begin(), items.end(), [](const auto& item) { return item.isUnread; });
    for (auto filter : {ReadingListFilter::all, ReadingListFilter::unreadOnly}) {
        auto timeline = provider.timeline(ReadingListIntent{filter}, {});
        fuzz::check(timeline.entries.size() == 1, "a timeline without exactly one entry");
        const auto& entry = timeline.entries.front();
        fuzz::check(entry.sourceCount == static_cast<std::int64_t>(items.size()), "the source count is off");
        fuzz::check(entry.unreadCount == unread, "the unread count is off");
        fuzz::check(entry.displayCount == (filter == ReadingListFilter::all ? entry.sourceCount : unread),
                    "the display count is off");
        fuzz::check(entry.items.size() <= listEntryItemCap, "more items than the cap");
        // The rows are the first items of the whole list that pass the filter, field for field.
        std::vector<ReadingListItem> first;
        for (const auto& item : items)
            if (first.size() < listEntryItemCap && (filter == ReadingListFilter::all || item.isUnread))
                first.push_back(item);
        fuzz::check(nlohmann::json(entry.items) == nlohmann::json(first), "the rows are not the first items");
        fuzz::exercise<ReadingListEntry, ReadingListEntryView>(entry);
    }
    return 0;
}
