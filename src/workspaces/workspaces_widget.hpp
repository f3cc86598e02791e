#pragma once

#include <string>

#include "widgetkit/widget.hpp"
#include "workspaces/workspaces_provider.hpp"

namespace qb {

// The Workspaces widget as the host lists it: the saved workspaces, in every system size.
struct WorkspacesWidget {
    std::string kind = "WorkspacesWidget";
    AppIntentConfiguration<WorkspacesProvider> body() const;
};

}  // namespace qb
