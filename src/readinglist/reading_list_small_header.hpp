#pragma once

#include <cstdint>

#include "ui/view.hpp"

namespace qb {

// The top line of the small Reading List widget: its title and a blue badge with the unread count,
// shown also when nothing is unread.
struct ReadingListSmallHeader {
    std::int64_t unreadCount = 0;

    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
