#pragma once

// The Tips widget's configuration: the newest tip, or a tip of the day.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "widgetkit/intent.hpp"

namespace qb::tips {

// What the Tips widget shows: the newest tip, or one tip chosen afresh every day.
enum class TipsMode { latestTip, tipOfTheDay };

// The localization key of the mode's line in the widget header: "Latest" or "Tip of the Day".
std::string_view subtitleKey(TipsMode mode);
// That line in the user's language.
std::string subtitle(TipsMode mode);

}  // namespace qb::tips

template <>
struct qb::AppEnumTraits<qb::tips::TipsMode> {
    using Mode = qb::tips::TipsMode;
    static constexpr std::string_view typeDisplayName = "Mode";
    static constexpr std::array cases = {
        AppEnumCase<Mode>{Mode::latestTip, "latestTip", "Latest Tip"},
        AppEnumCase<Mode>{Mode::tipOfTheDay, "tipOfTheDay", "Tip of the Day"},
    };
};

namespace qb::tips {

// Which tip the widget shows.
struct TipsIntent {
    static constexpr std::string_view title = "Tips";
    static constexpr std::string_view description = "Shows tips from the Quillbrook blog on the desktop.";

    TipsMode mode = TipsMode::latestTip;

    static std::vector<IntentParameter<TipsIntent>> parameters() {
        return {enumParameter("mode", "Mode", &TipsIntent::mode)};
    }

    friend bool operator==(const TipsIntent&, const TipsIntent&) = default;
};

}  // namespace qb::tips
