#pragma once

#include <string>

#include "readinglist/reading_list_provider.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The Reading List widget as the host lists it: all or only the unread items, in every system size.
struct ReadingListWidget {
    std::string kind = "ReadingListWidget";
    AppIntentConfiguration<ReadingListProvider> body() const;
};

}  // namespace qb
