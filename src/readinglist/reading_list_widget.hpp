#pragma once

#include <string>

#include "core/widget_services.hpp"
#include "presentation/widget_configuration.hpp"
#include "readinglist/reading_list_provider.hpp"
#include "readinglist/reading_list_views.hpp"
#include "widgetkit/widget.hpp"

namespace qb::readinglist {

// The Reading List widget as the host lists it: all or only the unread items, in every system size,
// read from the services' home.
struct ReadingListWidget {
    std::string kind = "ReadingListWidget";
    WidgetServices services;

    explicit ReadingListWidget(WidgetServices widgetServices = WidgetServices::system())
        : services(std::move(widgetServices)) {}

    AppIntentConfiguration<ReadingListProvider> body() const {
        return quillbrookWidgetConfiguration<ReadingListEntryView>(
            kind, ReadingListProvider(ReadingListStore::forServices(services), services.clock),
            "Reading List", std::string(ReadingListIntent::description));
    }

    // The file it reads.
    DataSources sources() const { return DataSources{.files = {services.paths().readingListURL()}}; }
};

}  // namespace qb::readinglist
