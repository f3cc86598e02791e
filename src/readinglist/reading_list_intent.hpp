#pragma once

// The Reading List widget's configuration: all items, or only the unread ones.

#include <array>
#include <string_view>
#include <vector>

#include "widgetkit/intent.hpp"

namespace qb::readinglist {

// Which items of the reading list the widget shows.
enum class ReadingListFilter { all, unreadOnly };

}  // namespace qb::readinglist

template <>
struct qb::AppEnumTraits<qb::readinglist::ReadingListFilter> {
    using Filter = qb::readinglist::ReadingListFilter;
    static constexpr std::string_view typeDisplayName = "Filter";
    static constexpr std::array cases = {
        AppEnumCase<Filter>{Filter::all, "all", "All Items"},
        AppEnumCase<Filter>{Filter::unreadOnly, "unreadOnly", "Unread Only"},
    };
};

namespace qb::readinglist {

struct ReadingListIntent {
    static constexpr std::string_view title = "Reading List";
    static constexpr std::string_view description =
        "Shows your Quillbrook reading list on the desktop. Filter by all items or only unread ones.";

    ReadingListFilter filter = ReadingListFilter::all;

    static std::vector<IntentParameter<ReadingListIntent>> parameters() {
        return {enumParameter("filter", "Filter", &ReadingListIntent::filter)};
    }

    friend bool operator==(const ReadingListIntent&, const ReadingListIntent&) = default;
};

}  // namespace qb::readinglist
