#pragma once

// What each widget reads, for the engine: its data files, whether it downloads, and whether its entry
// depends on the local time zone. One table for every widget kind, kept in the host until the widgets
// can say it themselves.

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace qb::engine {

struct DataSources {
    std::vector<std::filesystem::path> files;  // reloaded within a second of one of them changing
    bool usesNetwork = false;                  // reloaded one at a time, and when the network returns
    bool followsTimeZone = false;              // reloaded when the time zone changes
    // After a reload of an instance that downloads: whether what it needed from the network is at hand.
    // False means the download failed, and the instance is reloaded when the network comes back.
    std::function<bool()> networkSatisfied;
};

// The sources of a widget kind ("ReadingListWidget"); none for a kind the table does not know.
DataSources sourcesFor(std::string_view kind);

}  // namespace qb::engine
