#include "presentation/accent_dot.hpp"

namespace qb {

ui::View AccentDot::body(const ui::Environment& environment) const {
    if (!color) return ui::circle(ui::Color::clear).frame(size, size);
    ui::View dot = ui::circle(*color).frame(size, size);
    if (environment.renderingMode != WidgetRenderingMode::fullColor) return std::move(dot).widgetAccentable();
    return dot;
}

}  // namespace qb
