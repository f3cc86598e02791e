#pragma once

#include <array>
#include <string>
#include <string_view>

#include "widgetkit/intent.hpp"

namespace qb {

// What the Tips widget shows: the newest tip, or one tip chosen afresh every day.
enum class TipsMode { latestTip, tipOfTheDay };

template <>
struct AppEnumTraits<TipsMode> {
    static constexpr std::string_view typeDisplayName = "Mode";
    static constexpr std::array cases = {
        AppEnumCase<TipsMode>{TipsMode::latestTip, "latestTip", "Latest Tip"},
        AppEnumCase<TipsMode>{TipsMode::tipOfTheDay, "tipOfTheDay", "Tip of the Day"},
    };
};

// The localization key of the mode's line in the widget header: "Latest" or "Tip of the Day".
std::string_view subtitleKey(TipsMode mode);
// That line in the user's language.
std::string subtitle(TipsMode mode);

}  // namespace qb
