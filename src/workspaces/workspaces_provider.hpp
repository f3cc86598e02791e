#pragma once

#include "platform/date.hpp"
#include "widgetkit/timeline.hpp"
#include "workspaces/workspace_store.hpp"
#include "workspaces/workspaces_entry.hpp"
#include "workspaces/workspaces_intent.hpp"

namespace qb {

// Answers the host for the Workspaces widget: the sample workspaces as placeholder, otherwise the
// workspaces read anew, with a new timeline asked for five minutes later.
class WorkspacesProvider {
  public:
    using Intent = WorkspacesIntent;
    using Entry = WorkspacesEntry;

    static constexpr double reloadInterval = 300;

    explicit WorkspacesProvider(WorkspaceStore store = WorkspaceStore::shared(), Clock clock = systemClock())
        : store_(std::move(store)), clock_(std::move(clock)) {}

    WorkspacesEntry placeholder(const TimelineContext& context) const;
    WorkspacesEntry snapshot(const WorkspacesIntent& intent, const TimelineContext& context) const;
    Timeline<WorkspacesEntry> timeline(const WorkspacesIntent& intent, const TimelineContext& context) const;

  private:
    WorkspacesEntry makeEntry() const;

    WorkspaceStore store_;
    Clock clock_;
};

}  // namespace qb
