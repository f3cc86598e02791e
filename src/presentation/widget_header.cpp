#include "presentation/widget_header.hpp"

namespace qb {

ui::View WidgetHeader::body(const ui::Environment&) const {
    return ui::hstack(
        ui::VerticalAlignment::firstTextBaseline,
        {
            ui::localizedText(title).font(ui::Font::headline),
            ui::spacer(),
            ui::verbatim(subtitle).font(ui::Font::caption).foregroundStyle(ui::Level::secondary),
        });
}

}  // namespace qb
