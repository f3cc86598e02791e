#include "favorites/favorites_views.hpp"

#include "presentation/empty_state.hpp"
#include "presentation/list_widget_body.hpp"

namespace qb::favorites {

ui::View FavoritesEntryView::body(const ui::Environment& environment) const {
    if (entry.items.empty()) return FavoritesEmptyView{}.body(environment);
    return countedListBody(entry, "Favorites").body(environment);
}

ui::View FavoritesEmptyView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"star", "No Favorites", "Add favorites in Quillbrook to see them here."}.body(
        environment);
}

}  // namespace qb::favorites
