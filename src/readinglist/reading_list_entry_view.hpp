#pragma once

#include "readinglist/reading_list_entry.hpp"
#include "ui/view.hpp"

namespace qb {

// The Reading List widget's content for one entry: the list layout of its family, or one of the two
// empty states (nothing read at all, or nothing unread under the unread-only filter).
struct ReadingListEntryView {
    ReadingListEntry entry;
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
