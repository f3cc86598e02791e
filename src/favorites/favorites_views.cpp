#include "favorites/favorites_views.hpp"

#include "platform/localization.hpp"
#include "presentation/empty_state.hpp"
#include "presentation/item_rows.hpp"
#include "presentation/list_widget_body.hpp"

namespace qb::favorites {

ui::View FavoritesEntryView::body(const ui::Environment& environment) const {
    if (entry.items.empty()) return FavoritesEmptyView{}.body(environment);
    return ListWidgetBody<FavoritesItem>{
        entry.items,
        entry.displayCount,
        "Favorites",
        localized("%lld items", entry.displayCount),
        [] { return ui::localizedText("Favorites").font(ui::Font::headline); },
        [environment](const FavoritesItem& item) {
            return DetailedItemRow<FavoritesItem>{item}.body(environment);
        },
    }
        .body(environment);
}

ui::View FavoritesEmptyView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"star", "No Favorites", "Add favorites in Quillbrook to see them here."}.body(
        environment);
}

}  // namespace qb::favorites
