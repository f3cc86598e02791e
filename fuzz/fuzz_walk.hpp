#pragma once

// Touches every value of a parsed tree once (shared containers are visited once, so a file of
// shared references cannot make the walk exponential).

#include <cstddef>
#include <unordered_set>

#include "platform/plist/plist.hpp"

namespace qb::fuzz {

inline std::size_t walk(const plist::Value& value, std::unordered_set<const void*>& seen) {
    std::size_t sum = static_cast<std::size_t>(value.type());
    if (auto text = value.asString())
        sum += text->size() + (text->empty() ? 0 : static_cast<unsigned char>(text->back()));
    if (auto data = value.asData())
        sum += data->size() + (data->empty() ? 0 : static_cast<unsigned char>(data->view()[0]));
    if (auto number = value.asNumber()) sum += *number != *number;
    if (const plist::Array* array = value.asArray()) {
        if (!seen.insert(array).second) return sum;
        for (const plist::Value& item : *array) sum += walk(item, seen);
        if (!array->empty()) {
            plist::Value copy = array->front();  // a copy owns the tree
            sum += copy == array->front();
        }
    }
    if (const plist::Dictionary* dictionary = value.asDictionary()) {
        if (!seen.insert(dictionary).second) return sum;
        for (const auto& [key, item] : *dictionary) {
            sum += key.size() + walk(item, seen);
            sum += (*dictionary).find(key) != nullptr;
        }
    }
    return sum;
}

inline std::size_t walk(const plist::Value& value) {
    std::unordered_set<const void*> seen;
    return walk(value, seen);
}

}  // namespace qb::fuzz
