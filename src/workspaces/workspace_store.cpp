#include "workspaces/workspace_store.hpp"

namespace qb::workspaces {

namespace {

// The number of elements of `key` in `dictionary` when it is an array; 0 otherwise.
std::int64_t arrayCount(const std::optional<plist::Dictionary>& dictionary, std::string_view key) {
    auto value = dictionary ? dictionary->find(key) : std::nullopt;
    auto array = value ? value->asArray() : std::nullopt;
    return array ? static_cast<std::int64_t>(array->size()) : 0;
}

// The workspace of an entry with a string "Name"; a missing or mistyped "workspace", "databases" or
// "windows" counts 0.
WorkspaceItem makeWorkspace(const plist::Dictionary& entry, std::string_view name) {
    auto workspaceValue = entry.find("workspace");
    auto workspace = workspaceValue ? workspaceValue->asDictionary() : std::nullopt;
    return WorkspaceItem(std::string(name), arrayCount(workspace, "databases"),
                         arrayCount(workspace, "windows"));
}

}  // namespace

std::vector<WorkspaceItem> WorkspaceStore::readFromPlist() const {
    return select().items;
}

ListSelection<WorkspaceItem> WorkspaceStore::select(std::size_t limit) const {
    ListSelection<WorkspaceItem> selection(limit);
    // An entry without a string "Name" is no workspace and is not counted.
    const bool read = visitDictionaries([&](const plist::Dictionary& entry) {
        auto nameValue = entry.find("Name");
        const auto name = nameValue ? nameValue->asString() : std::nullopt;
        if (name) selection.add([&] { return makeWorkspace(entry, *name); });
    });
    return read ? std::move(selection) : ListSelection<WorkspaceItem>(limit);
}

}  // namespace qb::workspaces
