#include "favorites/favorites_widget.hpp"

#include "favorites/favorites_entry_view.hpp"

namespace qb {

AppIntentConfiguration<FavoritesProvider> FavoritesWidget::body() const {
    const auto store = FavoritesStore::forServices(services);
    return AppIntentConfiguration<FavoritesProvider>{
        kind,
        FavoritesProvider{store, services.clock},
        [](const FavoritesEntry& entry, const ui::Environment& environment) {
            return FavoritesEntryView{entry}
                .body(environment)
                .containerBackground(ui::FillBackground{ui::Level::tertiary});
        },
    }
        .configurationDisplayName("Favorites")
        .descriptionText("Shows your Quillbrook favorites on the desktop.")
        .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                            WidgetFamily::systemExtraLarge})
        .intentParameters(FavoritesIntent::parameters(FavoritesGroupQuery(store)));
}

}  // namespace qb
