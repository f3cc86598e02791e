#include "readinglist/reading_list_widget.hpp"

#include "readinglist/reading_list_entry_view.hpp"

namespace qb {

AppIntentConfiguration<ReadingListProvider> ReadingListWidget::body() const {
    return AppIntentConfiguration<ReadingListProvider>{
        kind,
        ReadingListProvider{ReadingListStore::forServices(services), services.clock},
        [](const ReadingListEntry& entry, const ui::Environment& environment) {
            return ReadingListEntryView{entry}
                .body(environment)
                .containerBackground(ui::FillBackground{ui::Level::tertiary});
        },
    }
        .configurationDisplayName("Reading List")
        .descriptionText(std::string(ReadingListIntent::description))
        .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                            WidgetFamily::systemExtraLarge});
}

}  // namespace qb
