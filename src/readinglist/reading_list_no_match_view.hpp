#pragma once

#include "ui/view.hpp"

namespace qb {

// What the Reading List widget shows when it lists only unread items and every item has been read.
struct NoMatchView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
