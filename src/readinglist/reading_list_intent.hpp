#pragma once

#include <string_view>
#include <vector>

#include "readinglist/reading_list_filter.hpp"
#include "widgetkit/intent.hpp"

namespace qb {

// The Reading List widget's configuration: all items, or only the unread ones.
struct ReadingListIntent {
    static constexpr std::string_view title = "Reading List";
    static constexpr std::string_view description =
        "Shows your Quillbrook reading list on the desktop. Filter by all items or only unread ones.";

    ReadingListFilter filter = ReadingListFilter::all;

    static std::vector<IntentParameter<ReadingListIntent>> parameters();

    friend bool operator==(const ReadingListIntent&, const ReadingListIntent&) = default;
};

}  // namespace qb
