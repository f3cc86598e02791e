#include "favorites/favorites_entry_view.hpp"

#include "favorites/favorites_empty_view.hpp"
#include "platform/localization.hpp"
#include "presentation/item_rows.hpp"
#include "presentation/list_widget_body.hpp"

namespace qb {

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

}  // namespace qb
