#pragma once

#include <cstdint>

#include "readinglist/reading_list_provider.hpp"
#include "ui/view.hpp"

namespace qb::readinglist {

// The Reading List widget's content for one entry: the list layout of its family, or one of the two
// empty states (nothing read at all, or nothing unread under the unread-only filter).
struct ReadingListEntryView {
    ReadingListEntry entry;
    ui::View body(const ui::Environment& environment) const;
};

// The top line of the small Reading List widget: its title and a blue badge with the unread count,
// shown also when nothing is unread.
struct ReadingListSmallHeader {
    std::int64_t unreadCount = 0;
    ui::View body(const ui::Environment& environment) const;
};

// What the Reading List widget shows when the list holds nothing at all (or could not be read).
struct EmptyStateView {
    ui::View body(const ui::Environment& environment) const;
};

// What the Reading List widget shows when it lists only unread items and every item has been read.
struct NoMatchView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb::readinglist
