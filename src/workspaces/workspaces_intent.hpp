#pragma once

#include <string_view>
#include <vector>

#include "widgetkit/intent.hpp"

namespace qb::workspaces {

// The Workspaces widget's configuration: there is nothing to choose.
struct WorkspacesIntent {
    static constexpr std::string_view title = "Workspaces";
    static constexpr std::string_view description = "Shows your Quillbrook workspaces on the desktop.";

    static std::vector<IntentParameter<WorkspacesIntent>> parameters() { return {}; }

    friend bool operator==(const WorkspacesIntent&, const WorkspacesIntent&) = default;
};

}  // namespace qb::workspaces
