#pragma once

#include <filesystem>
#include <functional>
#include <vector>

namespace qb {

// What a widget reads, for a host that keeps its entries up to date: the files its entries are made
// from, whether it downloads, and whether its entry depends on the local time zone.
struct DataSources {
    std::vector<std::filesystem::path> files;  // a change to one of them changes the entry
    bool usesNetwork = false;                  // a timeline request may download
    bool followsTimeZone = false;              // the entry shows local dates or changes at local midnight
    // After a timeline request of a widget that downloads: whether what it needed from the network is at
    // hand. False means the download failed, and a request once the network returns may do better.
    std::function<bool()> networkSatisfied = {};
};

}  // namespace qb
