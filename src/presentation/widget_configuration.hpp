#pragma once

#include <string>
#include <utility>

#include "environment/family.hpp"
#include "ui/view.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The configuration that every Quillbrook widget's body() builds: the kind, a provider, for every entry
// its `EntryView{entry}` drawn on the widget background's fill at its tertiary level, the display name
// and description (localization keys), and the four system families.
template <class EntryView, AppIntentTimelineProvider Provider>
AppIntentConfiguration<Provider> quillbrookWidgetConfiguration(std::string kind, Provider provider,
                                                               std::string displayName,
                                                               std::string description) {
    return AppIntentConfiguration<Provider>{
        std::move(kind),
        std::move(provider),
        [](const typename Provider::Entry& entry, const ui::Environment& environment) {
            return EntryView{entry}
                .body(environment)
                .containerBackground(ui::FillBackground{ui::Level::tertiary});
        },
    }
        .configurationDisplayName(std::move(displayName))
        .descriptionText(std::move(description))
        .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                            WidgetFamily::systemExtraLarge});
}

}  // namespace qb
