#pragma once

#include <concepts>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/bytes.hpp"
#include "platform/url.hpp"
#include "ui/view.hpp"

namespace qb {

// The most items a list widget's entry carries (the rows of the extra-large family).
inline constexpr std::size_t listEntryItemCap = 16;

// What a list row reads from an item. Items are values with an `id` that identifies the row, and six
// properties: title, symbol name, icon bytes, link, subtitle and accent colour.
template <class T>
concept DisplayableItem = std::regular<T> && requires(const T& item) {
    { item.id } -> std::convertible_to<std::string>;
    { item.displayTitle() } -> std::convertible_to<std::string>;
    { item.displayIcon() } -> std::convertible_to<std::string>;
    { item.displayIconData() } -> std::convertible_to<std::optional<Bytes>>;
    { item.displayURL() } -> std::convertible_to<std::optional<Url>>;
    { item.displaySubtitle() } -> std::convertible_to<std::optional<std::string>>;
    { item.dotColor() } -> std::convertible_to<std::optional<ui::Color>>;
};

}  // namespace qb
