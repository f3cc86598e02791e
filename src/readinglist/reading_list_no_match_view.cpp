#include "readinglist/reading_list_no_match_view.hpp"

#include "presentation/empty_state.hpp"

namespace qb {

ui::View NoMatchView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"checkmark.circle", "All Read", std::nullopt, ui::Color::green}.body(environment);
}

}  // namespace qb
