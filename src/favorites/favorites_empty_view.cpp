#include "favorites/favorites_empty_view.hpp"

#include "presentation/empty_state.hpp"

namespace qb {

ui::View FavoritesEmptyView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"star", "No Favorites", "Add favorites in Quillbrook to see them here."}.body(
        environment);
}

}  // namespace qb
