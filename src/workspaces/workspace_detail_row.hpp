#pragma once

#include "ui/view.hpp"
#include "workspaces/workspace_item.hpp"

namespace qb {

// The row of a workspace in the large families: its name over its database and window counts.
struct WorkspaceDetailRow {
    WorkspaceItem item;
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
