#include "readinglist/reading_list_empty_state_view.hpp"

#include "presentation/empty_state.hpp"

namespace qb {

ui::View EmptyStateView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"text.book.closed", "No Items", "Your Quillbrook reading list is empty."}.body(
        environment);
}

}  // namespace qb
