#include "tips/tips_views.hpp"

#include <vector>

#include "platform/calendar.hpp"
#include "presentation/empty_state.hpp"
#include "presentation/widget_header.hpp"

namespace qb::tips {

namespace {

using ui::Edge;
using ui::Font;
using ui::FontWeight;
using ui::Level;

// A column of the tip's elements, opening the tip's link when clicked anywhere, if it has one.
ui::View tipColumn(const TipItem& tip, double spacing, std::vector<ui::View> children) {
    return ui::vstack(ui::HorizontalAlignment::leading, std::move(children))
        .spacing(spacing)
        .widgetURL(tip.url());
}

ui::View header(TipsMode mode, const ui::Environment& environment) {
    return WidgetHeader{"Tips", subtitle(mode)}.body(environment).padding(Edge::bottom, 6);
}

// The type and room of the large and extra-large layouts.
struct DetailedStyle {
    Font title;
    Font date;
    double dividerRoom;
    Font description;
};

ui::View detailedColumn(const TipItem& tip, TipsMode mode, const DetailedStyle& style,
                        const ui::Environment& environment) {
    return tipColumn(
        tip, 0,
        {
            header(mode, environment),
            ui::verbatim(tip.title).font(style.title).fontWeight(FontWeight::semibold).lineLimit(3),
            ui::verbatim(formatMediumDate(tip.pubDate))
                .font(style.date)
                .foregroundStyle(Level::tertiary)
                .padding(Edge::top, 2),
            ui::divider().padding(Edge::vertical, style.dividerRoom),
            ui::verbatim(tip.description).font(style.description).foregroundStyle(Level::secondary),
            ui::spacer(0),
        });
}

}  // namespace

ui::View TipsEntryView::body(const ui::Environment& environment) const {
    if (!entry.tip) return TipsEmptyView{}.body(environment);
    switch (environment.family) {
        case WidgetFamily::systemSmall:
            return TipsSmallView{*entry.tip}.body(environment);
        case WidgetFamily::systemLarge:
            return TipsLargeView{*entry.tip, entry.mode}.body(environment);
        case WidgetFamily::systemExtraLarge:
            return TipsExtraLargeView{*entry.tip, entry.mode}.body(environment);
        default:
            return TipsMediumView{*entry.tip, entry.mode}.body(environment);
    }
}

ui::View TipsSmallView::body(const ui::Environment&) const {
    return tipColumn(
        tip, 4,
        {
            ui::hstack({
                ui::localizedText("Tips").font(Font::headline),
                ui::spacer(),
                ui::symbol("lightbulb").foregroundStyle(ui::Color::yellow),
            }),
            ui::spacer(2),
            ui::verbatim(tip.title).font(Font::callout).foregroundStyle(Level::primary).lineLimit(4),
            ui::spacer(0),
        });
}

ui::View TipsMediumView::body(const ui::Environment& environment) const {
    return tipColumn(
        tip, 0,
        {
            header(mode, environment),
            ui::verbatim(tip.title).font(Font::callout).fontWeight(FontWeight::semibold).lineLimit(2),
            ui::verbatim(tip.description)
                .font(Font::caption)
                .foregroundStyle(Level::secondary)
                .lineLimit(3)
                .padding(Edge::top, 2),
            ui::spacer(0),
        });
}

ui::View TipsLargeView::body(const ui::Environment& environment) const {
    return detailedColumn(tip, mode, {Font::callout, Font::caption2, 6, Font::caption}, environment);
}

ui::View TipsExtraLargeView::body(const ui::Environment& environment) const {
    return detailedColumn(tip, mode, {Font::title3, Font::caption, 8, Font::callout}, environment);
}

ui::View TipsEmptyView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"lightbulb.slash", "No Tips", "Tips could not be loaded."}.body(environment);
}

}  // namespace qb::tips
