#pragma once

// Touches every value of a parsed tree once (shared containers are visited once, so a file of
// shared references cannot make the walk exponential).

#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>

#include "platform/plist/plist.hpp"

namespace qb::fuzz {

inline std::size_t walk(const plist::Value& value, std::set<std::pair<const void*, std::uint64_t>>& seen) {
    std::size_t sum = static_cast<std::size_t>(value.type());
    if (auto text = value.asString())
        sum += text->size() + (text->empty() ? 0 : static_cast<unsigned char>(text->back()));
    if (auto data = value.asData())
        sum += data->size() + (data->empty() ? 0 : static_cast<unsigned char>(data->view()[0]));
    if (auto number = value.asNumber()) sum += *number != *number;
    if (auto array = value.asArray()) {
        if (!seen.insert(value.identity()).second) return sum;
        for (const plist::Value& item : *array) sum += walk(item, seen);
        if (!array->empty()) {
            const plist::Value first = (*array)[0];
            plist::Value copy = first;  // a copy owns the tree
            sum += copy == first;
        }
    }
    if (auto dictionary = value.asDictionary()) {
        if (!seen.insert(value.identity()).second) return sum;
        for (const auto& [key, item] : *dictionary) {
            sum += key.size() + walk(item, seen);
            sum += dictionary->find(key).has_value();
        }
    }
    return sum;
}

inline std::size_t walk(const plist::Value& value) {
    std::set<std::pair<const void*, std::uint64_t>> seen;
    return walk(value, seen);
}

}  // namespace qb::fuzz
