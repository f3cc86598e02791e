#pragma once

#include "ui/view.hpp"
#include "workspaces/workspaces_entry.hpp"

namespace qb {

// The Workspaces widget's content for one entry: the list layout of its family, or the empty state.
struct WorkspacesEntryView {
    WorkspacesEntry entry;
    ui::View body(const ui::Environment& environment) const;
};

}  // namespace qb
