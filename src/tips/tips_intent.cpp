#include "tips/tips_intent.hpp"

#include "platform/localization.hpp"

namespace qb::tips {

std::string_view subtitleKey(TipsMode mode) {
    switch (mode) {
        case TipsMode::latestTip:
            return "Latest";
        case TipsMode::tipOfTheDay:
            return "Tip of the Day";
    }
    return "Latest";
}

std::string subtitle(TipsMode mode) {
    return localized(subtitleKey(mode));
}

}  // namespace qb::tips
