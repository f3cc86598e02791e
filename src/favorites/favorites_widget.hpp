#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "favorites/favorites_provider.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The Favorites widget as the host lists it: the favorites of one group, in every system size.
struct FavoritesWidget {
    std::string kind = "FavoritesWidget";
    WidgetServices services;

    explicit FavoritesWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}
    AppIntentConfiguration<FavoritesProvider> body() const;
    // The file it reads.
    DataSources sources() const { return DataSources{.files = {services.paths().favoritesURL()}}; }
};

}  // namespace qb
