#include "readinglist/reading_list_views.hpp"

#include <string>

#include "platform/localization.hpp"
#include "presentation/empty_state.hpp"
#include "presentation/list_widget_body.hpp"

namespace qb::readinglist {

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
    }
        .body(environment);
}

ui::View ReadingListSmallHeader::body(const ui::Environment&) const {
    using namespace ui;
    return hstack({
        localizedText("Reading List").font(Font::headline),
        spacer(),
        verbatim(std::to_string(unreadCount))
            .font(Font::caption)
            .fontWeight(FontWeight::semibold)
            .foregroundStyle(Color::white)
            .padding(Edge::horizontal, 6)
            .padding(Edge::vertical, 2)
            .background(Color::blue),
    });
}

ui::View EmptyStateView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"text.book.closed", "No Items", "Your Quillbrook reading list is empty."}.body(
        environment);
}

ui::View NoMatchView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"checkmark.circle", "All Read", std::nullopt, ui::Color::green}.body(environment);
}

}  // namespace qb::readinglist
