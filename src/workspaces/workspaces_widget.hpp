#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "presentation/widget_configuration.hpp"
#include "widgetkit/widget.hpp"
#include "workspaces/workspaces_provider.hpp"
#include "workspaces/workspaces_views.hpp"

namespace qb::workspaces {

// The Workspaces widget as the host lists it: the saved workspaces, in every system size, read from the
// services' home.
struct WorkspacesWidget {
    std::string kind = "WorkspacesWidget";
    WidgetServices services;

    explicit WorkspacesWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}

    AppIntentConfiguration<WorkspacesProvider> body() const {
        return quillbrookWidgetConfiguration<WorkspacesEntryView>(
            kind, WorkspacesProvider(WorkspaceStore::forServices(services), services.clock), "Workspaces",
            std::string(WorkspacesIntent::description));
    }

    // The file it reads.
    DataSources sources() const { return DataSources{.files = {services.paths().workspacesURL()}}; }
};

}  // namespace qb::workspaces
