#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "favorites/favorites_provider.hpp"
#include "favorites/favorites_views.hpp"
#include "presentation/widget_configuration.hpp"
#include "widgetkit/widget.hpp"

namespace qb::favorites {

// The Favorites widget as the host lists it: the favorites of one group, in every system size, read
// from the services' home.
struct FavoritesWidget {
    std::string kind = "FavoritesWidget";
    WidgetServices services;

    explicit FavoritesWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}

    AppIntentConfiguration<FavoritesProvider> body() const {
        const auto store = FavoritesStore::forServices(services);
        return quillbrookWidgetConfiguration<FavoritesEntryView>(
                   kind, FavoritesProvider(store, services.clock), "Favorites",
                   std::string(FavoritesIntent::description))
            .intentParameters(FavoritesIntent::parameters(FavoritesGroupQuery(store)));
    }

    // The file it reads.
    DataSources sources() const { return DataSources{.files = {services.paths().favoritesURL()}}; }
};

}  // namespace qb::favorites
