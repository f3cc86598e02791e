#include "workspaces/workspaces_widget.hpp"

#include "workspaces/workspaces_entry_view.hpp"

namespace qb {

AppIntentConfiguration<WorkspacesProvider> WorkspacesWidget::body() const {
    return AppIntentConfiguration<WorkspacesProvider>{
        kind,
        WorkspacesProvider{WorkspaceStore::forServices(services), services.clock},
        [](const WorkspacesEntry& entry, const ui::Environment& environment) {
            return WorkspacesEntryView{entry}
                .body(environment)
                .containerBackground(ui::FillBackground{ui::Level::tertiary});
        },
    }
        .configurationDisplayName("Workspaces")
        .descriptionText("Shows your Quillbrook workspaces on the desktop.")
        .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                            WidgetFamily::systemExtraLarge});
}

}  // namespace qb
