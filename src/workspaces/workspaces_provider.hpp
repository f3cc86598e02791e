#pragma once

#include "platform/date.hpp"
#include "presentation/list_entry.hpp"
#include "presentation/list_provider.hpp"
#include "widgetkit/timeline.hpp"
#include "workspaces/workspace_item.hpp"
#include "workspaces/workspace_store.hpp"
#include "workspaces/workspaces_intent.hpp"

namespace qb::workspaces {

// One timeline entry of the Workspaces widget: the first workspaces of the file, and how many it holds.
using WorkspacesEntry = ListEntry<WorkspaceItem>;

// Answers the host for the Workspaces widget: the sample workspaces as placeholder, otherwise the
// workspaces read anew, with a new timeline asked for five minutes later.
class WorkspacesProvider : public ListProvider<WorkspacesProvider, WorkspacesIntent, WorkspacesEntry> {
  public:
    explicit WorkspacesProvider(WorkspaceStore store = WorkspaceStore::shared(), Clock clock = systemClock())
        : ListProvider(std::move(clock)), store_(std::move(store)) {}

    WorkspacesEntry placeholder(const TimelineContext& context) const;

  private:
    friend ListProvider;
    WorkspacesEntry makeEntry(const WorkspacesIntent& intent) const;

    WorkspaceStore store_;
};

}  // namespace qb::workspaces
