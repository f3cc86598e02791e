#include "host/engine/widget_sources.hpp"

#include "core/quillbrook_paths.hpp"
#include "platform/files.hpp"
#include "tips/cached_tips.hpp"
#include "tips/tip_store.hpp"

namespace qb::engine {
namespace {

// How long the tips store serves its cache without downloading: six hours.
constexpr double feedCacheLifetime = 21600;

// Whether the tips store would answer now without downloading: its cache is fresh. After a reload, a
// stale cache means that the download failed (or brought no tips).
bool feedCacheIsFresh() {
    auto bytes = readFile(TipStore::shared().cacheURL());
    if (!bytes) return false;
    auto cache = decodeCachedTips(*bytes);
    return cache && cache->timestamp.addingTimeInterval(feedCacheLifetime) > Date::now();
}

}  // namespace

DataSources sourcesFor(std::string_view kind) {
    if (kind == "ReadingListWidget") return {{QuillbrookPaths::readingListURL()}, false, false, {}};
    if (kind == "FavoritesWidget") return {{QuillbrookPaths::favoritesURL()}, false, false, {}};
    if (kind == "WorkspacesWidget") return {{QuillbrookPaths::workspacesURL()}, false, false, {}};
    // The tip of the day changes at local midnight, and the tip's date is shown in the local zone.
    if (kind == "TipsWidget") return {{}, true, true, &feedCacheIsFresh};
    return {};
}

}  // namespace qb::engine
