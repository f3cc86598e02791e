#include "workspaces/workspace_item.hpp"

#include "core/widget_links.hpp"
#include "platform/localization.hpp"
#include "presentation/displayable_item_json.hpp"

namespace qb::workspaces {

WorkspaceItem::WorkspaceItem(std::string workspaceName, std::int64_t databases, std::int64_t windows)
    : id(workspaceName), name(std::move(workspaceName)), databaseCount(databases), windowCount(windows) {}

std::optional<Url> WorkspaceItem::url() const {
    return workspaceLink(name);
}

const std::vector<WorkspaceItem>& WorkspaceItem::sampleItems() {
    static const std::vector<WorkspaceItem> items{
        {"Research", 3, 2},
        {"Writing", 1, 1},
        {"Archive", 5, 1},
        {"Inbox Review", 2, 3},
    };
    return items;
}

std::optional<std::string> WorkspaceItem::displaySubtitle() const {
    return localized("%lld databases", databaseCount) + ", " + localized("%lld windows", windowCount);
}

void to_json(nlohmann::json& json, const WorkspaceItem& item) {
    json = {
        {"id", item.id},
        {"name", item.name},
        {"databaseCount", item.databaseCount},
        {"windowCount", item.windowCount},
        {"url", toJson(item.url())},
    };
    addDisplayableFields(json, item);
}

}  // namespace qb::workspaces
