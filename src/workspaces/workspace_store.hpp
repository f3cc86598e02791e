#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "core/list_selection.hpp"
#include "core/plist_file_store.hpp"
#include "core/quillbrook_paths.hpp"
#include "workspaces/workspace_item.hpp"

namespace qb::workspaces {

// Reads Quillbrook's OrderedWorkspaces.plist anew on every call; keeps nothing between calls. Failures
// are logged (category "WorkspaceStore") and give an empty list.
class WorkspaceStore : public PlistFileStore<WorkspaceStore> {
  public:
    // Every workspace with a name, in the file's (the user's) order.
    std::vector<WorkspaceItem> readFromPlist() const;
    // The same workspaces counted, and made into items only up to `limit`.
    ListSelection<WorkspaceItem> select(std::size_t limit = std::numeric_limits<std::size_t>::max()) const;

  private:
    friend PlistFileStore<WorkspaceStore>;
    using PlistFileStore::PlistFileStore;
    static constexpr std::string_view logCategory = "WorkspaceStore";
    static std::filesystem::path fileIn(const QuillbrookPaths& paths) { return paths.workspacesURL(); }
};

}  // namespace qb::workspaces
