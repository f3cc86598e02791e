#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "core/list_selection.hpp"
#include "workspaces/workspace_item.hpp"

namespace qb {

// Reads Quillbrook's OrderedWorkspaces.plist anew on every call; keeps nothing between calls. Failures
// are logged (category "WorkspaceStore") and give an empty list.
class WorkspaceStore {
  public:
    // The store of the user's OrderedWorkspaces.plist; the file's place is looked up on first read.
    static const WorkspaceStore& shared();
    // A store that reads the given file (for tests and other homes).
    static WorkspaceStore forFile(std::filesystem::path file);

    // Every workspace with a name, in the file's (the user's) order.
    std::vector<WorkspaceItem> readFromPlist() const;
    // The same workspaces counted, and made into items only up to `limit`.
    ListSelection<WorkspaceItem> select(std::size_t limit = std::numeric_limits<std::size_t>::max()) const;

  private:
    explicit WorkspaceStore(std::optional<std::filesystem::path> file) : file_(std::move(file)) {}

    std::optional<std::filesystem::path> file_;  // nothing: the user's OrderedWorkspaces.plist
};

}  // namespace qb
