#pragma once

#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/date.hpp"
#include "platform/json.hpp"

namespace qb {

// The timeline entry of a list widget that shows its items and how many there are: the first items, at
// most listEntryItemCap, and the count of all of them.
template <class Item>
struct ListEntry {
    Date date;
    std::vector<Item> items;
    std::int64_t displayCount = 0;

    friend bool operator==(const ListEntry&, const ListEntry&) = default;
};

template <class Item>
void to_json(nlohmann::json& json, const ListEntry<Item>& entry) {
    json = {{"date", toJson(entry.date)}, {"items", entry.items}, {"displayCount", entry.displayCount}};
}

}  // namespace qb
