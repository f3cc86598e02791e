#pragma once

#include "ui/view.hpp"

namespace qb {

// What the Workspaces widget shows when there is no workspace to show.
struct WorkspacesEmptyView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
