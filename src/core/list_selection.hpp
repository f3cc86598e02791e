#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace qb {

// The first items of a list that pass a filter, and how many entries pass in all: what a list widget's
// entry carries. A store counts every entry that passes but makes an item only for the ones it keeps, so
// a request over thousands of entries builds a handful of items (with their strings and icons).
template <class Item>
struct ListSelection {
    std::vector<Item> items;  // the first `limit` entries that pass, in order
    std::int64_t count = 0;   // every entry that passes, kept or not
    std::size_t limit = std::numeric_limits<std::size_t>::max();

    ListSelection() = default;
    explicit ListSelection(std::size_t itemLimit) : limit(itemLimit) {}

    // Counts one more entry that passes, and makes its item with `make()` while there is room.
    template <class Make>
    void add(Make&& make) {
        ++count;
        if (items.size() < limit) items.push_back(std::forward<Make>(make)());
    }
};

}  // namespace qb
