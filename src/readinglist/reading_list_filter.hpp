#pragma once

#include <array>
#include <string_view>

#include "widgetkit/intent.hpp"

namespace qb {

// Which items of the reading list the widget shows.
enum class ReadingListFilter { all, unreadOnly };

template <>
struct AppEnumTraits<ReadingListFilter> {
    static constexpr std::string_view typeDisplayName = "Filter";
    static constexpr std::array cases = {
        AppEnumCase<ReadingListFilter>{ReadingListFilter::all, "all", "All Items"},
        AppEnumCase<ReadingListFilter>{ReadingListFilter::unreadOnly, "unreadOnly", "Unread Only"},
    };
};

}  // namespace qb
