#pragma once

#include <string>

#include "tips/tips_provider.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The Tips widget: one tip from the maker's blog, the latest one or a tip of the day.
struct TipsWidget {
    std::string kind = "TipsWidget";
    AppIntentConfiguration<TipsProvider> body() const;
};

}  // namespace qb
