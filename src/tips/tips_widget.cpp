#include "tips/tips_widget.hpp"

#include "tips/tips_views.hpp"

namespace qb {

AppIntentConfiguration<TipsProvider> TipsWidget::body() const {
    AppIntentConfiguration<TipsProvider> configuration{
        kind,
        TipsProvider{TipStore::forServices(services), services.clock},
        [](const TipsEntry& entry, const ui::Environment& environment) {
            return TipsEntryView{entry}
                .body(environment)
                .containerBackground(ui::FillBackground{ui::Level::tertiary});
        },
    };
    return std::move(configuration)
        .configurationDisplayName("Tips")
        .descriptionText("Shows tips from the Quillbrook blog on the desktop.")
        .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                            WidgetFamily::systemExtraLarge});
}

DataSources TipsWidget::sources() const {
    return DataSources{
        {}, true, true, [store = TipStore::forServices(services)] { return store.hasFreshCache(); }};
}

}  // namespace qb
