#pragma once

#include "ui/view.hpp"

namespace qb {

// What the Reading List widget shows when the list holds nothing at all (or could not be read).
struct EmptyStateView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
