#include "tips/tips_intent.hpp"

namespace qb {

std::vector<IntentParameter<TipsIntent>> TipsIntent::parameters() {
    return {enumParameter("mode", "Mode", &TipsIntent::mode)};
}

}  // namespace qb
