#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "presentation/widget_configuration.hpp"
#include "tips/tip_store.hpp"
#include "tips/tips_provider.hpp"
#include "tips/tips_views.hpp"
#include "widgetkit/widget.hpp"

namespace qb::tips {

// The Tips widget: one tip from the maker's blog, the latest one or a tip of the day, downloaded and
// cached through the services.
struct TipsWidget {
    std::string kind = "TipsWidget";
    WidgetServices services;

    explicit TipsWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}

    AppIntentConfiguration<TipsProvider> body() const {
        return quillbrookWidgetConfiguration<TipsEntryView>(
            kind, TipsProvider(TipStore::forServices(services), services.clock), "Tips",
            std::string(TipsIntent::description));
    }

    // The feed it downloads; the tip of the day changes at local midnight and the tip's date is shown in
    // the local zone. The feed is at hand while the store's cache is fresh.
    DataSources sources() const {
        return DataSources{
            {}, true, true, [store = TipStore::forServices(services)] { return store.hasFreshCache(); }};
    }
};

}  // namespace qb::tips
