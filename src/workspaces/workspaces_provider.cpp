#include "workspaces/workspaces_provider.hpp"

#include "presentation/displayable_item.hpp"

namespace qb::workspaces {

WorkspacesEntry WorkspacesProvider::placeholder(const TimelineContext&) const {
    const auto& samples = WorkspaceItem::sampleItems();
    return WorkspacesEntry{now(), samples, static_cast<std::int64_t>(samples.size())};
}

WorkspacesEntry WorkspacesProvider::makeEntry(const WorkspacesIntent&) const {
    // Every workspace is counted; only the rows the entry keeps become items.
    auto selection = store_.select(listEntryItemCap);
    return WorkspacesEntry{now(), std::move(selection.items), selection.count};
}

}  // namespace qb::workspaces
