#pragma once

#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/date.hpp"
#include "workspaces/workspace_item.hpp"

namespace qb {

// One timeline entry of the Workspaces widget: the first workspaces of the file, and how many it holds.
struct WorkspacesEntry {
    Date date;
    std::vector<WorkspaceItem> items;
    std::int64_t displayCount = 0;

    friend bool operator==(const WorkspacesEntry&, const WorkspacesEntry&) = default;
};

void to_json(nlohmann::json& json, const WorkspacesEntry& entry);

}  // namespace qb
