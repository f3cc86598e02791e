#pragma once

#include <string_view>
#include <vector>

#include "tips/tips_mode.hpp"
#include "widgetkit/intent.hpp"

namespace qb {

// The Tips widget's configuration: which tip it shows.
struct TipsIntent {
    static constexpr std::string_view title = "Tips";
    static constexpr std::string_view description = "Shows tips from the Quillbrook blog on the desktop.";

    TipsMode mode = TipsMode::latestTip;

    static std::vector<IntentParameter<TipsIntent>> parameters();
    friend bool operator==(const TipsIntent&, const TipsIntent&) = default;
};

}  // namespace qb
