#pragma once

#include "ui/view.hpp"
#include "workspaces/workspace_item.hpp"
#include "workspaces/workspaces_provider.hpp"

namespace qb::workspaces {

// The Workspaces widget's content for one entry: the list layout of its family, or the empty state.
struct WorkspacesEntryView {
    WorkspacesEntry entry;
    ui::View body(const ui::Environment& environment) const;
};

// The row of a workspace in the large families: its name over its database and window counts.
struct WorkspaceDetailRow {
    WorkspaceItem item;
    ui::View body(const ui::Environment& environment) const;
};

// What the Workspaces widget shows when there is no workspace to show.
struct WorkspacesEmptyView {
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb::workspaces
