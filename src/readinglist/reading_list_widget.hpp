#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "readinglist/reading_list_provider.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The Reading List widget as the host lists it: all or only the unread items, in every system size.
struct ReadingListWidget {
    std::string kind = "ReadingListWidget";
    WidgetServices services;

    explicit ReadingListWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}
    AppIntentConfiguration<ReadingListProvider> body() const;
    // The file it reads.
    DataSources sources() const { return DataSources{.files = {services.paths().readingListURL()}}; }
};

}  // namespace qb
