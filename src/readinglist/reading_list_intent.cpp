#include "readinglist/reading_list_intent.hpp"

namespace qb {

std::vector<IntentParameter<ReadingListIntent>> ReadingListIntent::parameters() {
    return {enumParameter("filter", "Filter", &ReadingListIntent::filter)};
}

}  // namespace qb
