#include "workspaces/workspaces_entry.hpp"

#include "platform/json.hpp"

namespace qb {

void to_json(nlohmann::json& json, const WorkspacesEntry& entry) {
    json = {{"date", toJson(entry.date)}, {"items", entry.items}, {"displayCount", entry.displayCount}};
}

}  // namespace qb
