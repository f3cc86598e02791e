// Favorites.plist from arbitrary bytes: the store reads it without crashing, every item it makes has an
// id and a link that parses, and the provider's entries can be written as JSON and drawn in every family.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "favorites/favorites_entry_view.hpp"
#include "favorites/favorites_group_option.hpp"
#include "favorites/favorites_provider.hpp"
#include "favorites/favorites_store.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb;
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

    const FavoritesProvider provider(store, [] { return Date{754'000'000}; });
    FavoritesIntent intent;
    std::size_t sum = fuzz::exercise<FavoritesEntry, FavoritesEntryView>(provider.snapshot(intent, {}));
    if (!names.empty()) {
        intent.group = FavoritesGroupOption{names.front()};
        auto timeline = provider.timeline(intent, {});
        for (const auto& entry : timeline.entries)
            sum += fuzz::exercise<FavoritesEntry, FavoritesEntryView>(entry);
        sum += FavoritesGroupQuery(store).entitiesMatching("a").size();
    }
    fuzz::check(sum > 0, "an entry without JSON");
    return 0;
}
