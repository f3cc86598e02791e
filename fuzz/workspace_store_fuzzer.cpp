// OrderedWorkspaces.plist from arbitrary bytes: the store reads it without crashing, each workspace's
// link carries its whole name and the widget, the entry holds the first workspaces and counts them all,
// and the entries can be written and drawn.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "presentation/displayable_item.hpp"
#include "workspaces/workspace_store.hpp"
#include "workspaces/workspaces_provider.hpp"
#include "workspaces/workspaces_views.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb;
    using namespace qb::workspaces;
    fuzz::QuietLog quiet;
    auto file = fuzz::scratch().write("OrderedWorkspaces.plist",
                                      std::string_view(reinterpret_cast<const char*>(data), size));
    const auto store = WorkspaceStore::forFile(file);

    const auto items = store.readFromPlist();
    for (const auto& item : items) {
        fuzz::check(item.databaseCount >= 0 && item.windowCount >= 0, "a negative count");
        fuzz::check(item.url().has_value(), "a workspace without a link");
        const std::vector<QueryItem> expected{{"name", item.name}, {"widget", "workspaces"}};
        fuzz::check(item.url()->queryItems() == expected, "a workspace's link does not carry its name");
    }

    const WorkspacesProvider provider(store, [] { return Date{754'000'000}; });
    auto timeline = provider.timeline(WorkspacesIntent{}, {});
    for (const auto& entry : timeline.entries) {
        fuzz::check(entry.displayCount == static_cast<std::int64_t>(items.size()),
                    "the display count is off");
        const auto shown = std::min(items.size(), listEntryItemCap);
        fuzz::check(
            std::equal(entry.items.begin(), entry.items.end(), items.begin(), items.begin() + shown) &&
                entry.items.size() == shown,
            "the rows are not the first workspaces");
        fuzz::exercise<WorkspacesEntry, WorkspacesEntryView>(entry);
    }
    return 0;
}
