#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "widgetkit/widget.hpp"
#include "workspaces/workspaces_provider.hpp"

namespace qb {

// The Workspaces widget as the host lists it: the saved workspaces, in every system size.
struct WorkspacesWidget {
    std::string kind = "WorkspacesWidget";
    WidgetServices services;

    explicit WorkspacesWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}
    AppIntentConfiguration<WorkspacesProvider> body() const;
    // The file it reads.
    DataSources sources() const { return DataSources{.files = {services.paths().workspacesURL()}}; }
};

}  // namespace qb
