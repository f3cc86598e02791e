#include "workspaces/workspaces_entry_view.hpp"

#include "platform/localization.hpp"
#include "presentation/list_widget_body.hpp"
#include "workspaces/workspace_detail_row.hpp"
#include "workspaces/workspaces_empty_view.hpp"

namespace qb {

ui::View WorkspacesEntryView::body(const ui::Environment& environment) const {
    if (entry.items.empty()) return WorkspacesEmptyView{}.body(environment);
    return ListWidgetBody<WorkspaceItem>{
        entry.items,
        entry.displayCount,
        "Workspaces",
        localized("%lld items", entry.displayCount),
        [] { return ui::localizedText("Workspaces").font(ui::Font::headline); },
        [environment](const WorkspaceItem& item) { return WorkspaceDetailRow{item}.body(environment); },
    }
        .body(environment);
}

}  // namespace qb
