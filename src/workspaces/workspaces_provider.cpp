#include "workspaces/workspaces_provider.hpp"

#include "presentation/displayable_item.hpp"

namespace qb {

WorkspacesEntry WorkspacesProvider::placeholder(const TimelineContext&) const {
    const auto& samples = WorkspaceItem::sampleItems();
    return WorkspacesEntry{clock_(), samples, static_cast<std::int64_t>(samples.size())};
}

WorkspacesEntry WorkspacesProvider::snapshot(const WorkspacesIntent&, const TimelineContext&) const {
    return makeEntry();
}

Timeline<WorkspacesEntry> WorkspacesProvider::timeline(const WorkspacesIntent&,
                                                       const TimelineContext&) const {
    auto entry = makeEntry();
    // Taken once the entry is made, so the reload never comes earlier than five minutes after it.
    const auto reload = clock_().addingTimeInterval(reloadInterval);
    return Timeline<WorkspacesEntry>{{std::move(entry)}, TimelineReloadPolicy::after(reload)};
}

WorkspacesEntry WorkspacesProvider::makeEntry() const {
    // Every workspace is counted; only the rows the entry keeps become items.
    auto selection = store_.select(listEntryItemCap);
    return WorkspacesEntry{clock_(), std::move(selection.items), selection.count};
}

}  // namespace qb
