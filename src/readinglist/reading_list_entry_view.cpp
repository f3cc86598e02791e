#include "readinglist/reading_list_entry_view.hpp"

#include "platform/localization.hpp"
#include "presentation/item_rows.hpp"
#include "presentation/list_widget_body.hpp"
#include "readinglist/reading_list_empty_state_view.hpp"
#include "readinglist/reading_list_no_match_view.hpp"
#include "readinglist/reading_list_small_header.hpp"

namespace qb {

ui::View ReadingListEntryView::body(const ui::Environment& environment) const {
    if (entry.items.empty() && entry.sourceCount == 0) return EmptyStateView{}.body(environment);
    if (entry.items.empty()) return NoMatchView{}.body(environment);
    // The subtitle counts the unread items of the whole list, whatever the filter shows.
    return ListWidgetBody<ReadingListItem>{
        entry.items,
        entry.displayCount,
        "Reading List",
        localized("%lld unread", entry.unreadCount),
        [unreadCount = entry.unreadCount, environment] {
            return ReadingListSmallHeader{unreadCount}.body(environment);
        },
        [environment](const ReadingListItem& item) {
            return DetailedItemRow<ReadingListItem>{item}.body(environment);
        },
    }
        .body(environment);
}

}  // namespace qb
