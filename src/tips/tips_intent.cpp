#include "tips/tips_intent.hpp"

#include "platform/localization.hpp"

namespace qb::tips {

std::string_view subtitleKey(TipsMode mode) {
    return mode == TipsMode::tipOfTheDay ? "Tip of the Day" : "Latest";
}

std::string subtitle(TipsMode mode) {
    return localized(subtitleKey(mode));
}

}  // namespace qb::tips
