// Favorites.plist from arbitrary bytes: the store reads it without crashing, every item it makes has an
// id and a link that parses, the provider's entries hold the first favorites of their group and count
// them all, and they can be written as JSON and drawn in every family.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "favorites/favorites_intent.hpp"
#include "favorites/favorites_provider.hpp"
#include "favorites/favorites_store.hpp"
#include "favorites/favorites_views.hpp"
#include "fuzz_support.hpp"
#include "presentation/displayable_item.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb;
    using namespace qb::favorites;
    fuzz::QuietLog quiet;
    auto file =
        fuzz::scratch().write("Favorites.plist", std::string_view(reinterpret_cast<const char*>(data), size));
    const auto store = FavoritesStore::forFile(file);

    const auto items = store.readFromPlist();
    for (const auto& item : items) {
        const auto url = item.url();
        fuzz::check(!url || Url::parse(url->string()).has_value(), "a favorite's link does not parse");
        (void)item.displaySubtitle();
        (void)item.dotColor();
    }
    const auto names = store.groupNames();

    // An entry holds the first favorites of its group (all of them without one), field for field, and
    // counts them all.
    const auto checkEntry = [&items](const FavoritesEntry& entry, const std::optional<std::string>& group) {
        std::vector<FavoritesItem> first;
        std::int64_t count = 0;
        for (const auto& item : items) {
            if (group && item.groupName != group) continue;
            ++count;
            if (first.size() < listEntryItemCap) first.push_back(item);
        }
        fuzz::check(entry.displayCount == count, "the display count is off");
        fuzz::check(nlohmann::json(entry.items) == nlohmann::json(first), "the rows are not the first items");
    };
    const FavoritesProvider provider(store, [] { return Date{754'000'000}; });
    FavoritesIntent intent;
    const auto all = provider.snapshot(intent, {});
    checkEntry(all, std::nullopt);
    std::size_t sum = fuzz::exercise<FavoritesEntry, FavoritesEntryView>(all);
    if (!names.empty()) {
        intent.group = FavoritesGroupOption{names.front()};
        auto timeline = provider.timeline(intent, {});
        for (const auto& entry : timeline.entries) {
            checkEntry(entry, names.front());
            sum += fuzz::exercise<FavoritesEntry, FavoritesEntryView>(entry);
        }
        sum += FavoritesGroupQuery(store).entitiesMatching("a").size();
    }
    fuzz::check(sum > 0, "an entry without JSON");
    return 0;
}
