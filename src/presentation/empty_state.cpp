#include "presentation/empty_state.hpp"

namespace qb {

ui::View EmptyStateLayout::body(const ui::Environment&) const {
    std::vector<ui::View> children{
        ui::symbol(symbol).font(ui::Font::largeTitle).foregroundStyle(symbolColor),
        ui::localizedText(title).font(ui::Font::headline).foregroundStyle(ui::Level::secondary),
    };
    if (message) {
        children.push_back(ui::localizedText(*message)
                               .font(ui::Font::caption)
                               .foregroundStyle(ui::Level::tertiary)
                               .multilineTextAlignment(ui::TextAlignment::center));
    }
    return ui::vstack(ui::HorizontalAlignment::center, std::move(children)).spacing(8);
}

}  // namespace qb
