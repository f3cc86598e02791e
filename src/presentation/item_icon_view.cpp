#include "presentation/item_icon_view.hpp"

#include "platform/image.hpp"

namespace qb {

ui::View ItemIconView::body(const ui::Environment& environment) const {
    // Tinted rendering draws every icon as a symbol, so the image is not even decoded then. A decoded
    // image is always drawn in its own colours: the view tree has no template images.
    if (environment.renderingMode == WidgetRenderingMode::fullColor && data) {
        if (auto decoded = Image::decode(data->view())) {
            return ui::image(std::move(decoded))
                .resizable()
                .interpolationHigh()
                .aspectRatioFit()
                .frame(size, size);
        }
    }
    return ui::symbol(sfSymbol).foregroundStyle(ui::Level::secondary).frame(size, size);
}

}  // namespace qb
