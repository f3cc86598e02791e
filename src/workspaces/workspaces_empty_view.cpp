#include "workspaces/workspaces_empty_view.hpp"

#include "presentation/empty_state.hpp"

namespace qb {

ui::View WorkspacesEmptyView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"rectangle.stack", "No Workspaces",
                            "Create workspaces in Quillbrook to see them here."}
        .body(environment);
}

}  // namespace qb
