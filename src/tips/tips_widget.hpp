#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "tips/tips_provider.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The Tips widget: one tip from the maker's blog, the latest one or a tip of the day.
struct TipsWidget {
    std::string kind = "TipsWidget";
    WidgetServices services;

    explicit TipsWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}
    AppIntentConfiguration<TipsProvider> body() const;
    // The feed it downloads; the tip of the day changes at local midnight and the tip's date is shown in
    // the local zone.
    DataSources sources() const;
};

}  // namespace qb
