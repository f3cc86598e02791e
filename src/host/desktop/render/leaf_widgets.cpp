#include "host/desktop/render/leaf_widgets.hpp"

#include <algorithm>
#include <cmath>

#include <gdkmm/general.h>
#include <gdkmm/pixbuf.h>

#include "platform/image.hpp"

namespace qb::desktop {

BitmapIcon::BitmapIcon(std::shared_ptr<const qb::Image> image, BitmapFit fit)
    : image_(std::move(image)), fit_(fit) {
    set_size_request(fit_.boxWidth, fit_.boxHeight);
    render();
    property_scale_factor().signal_changed().connect([this] { render(); });
}

void BitmapIcon::render() {
    if (!image_ || image_->width() <= 0 || image_->height() <= 0) return;
    double width = image_->width(), height = image_->height();
    if (fit_.resizable) {
        const double boxWidth = fit_.boxWidth, boxHeight = fit_.boxHeight;
        if (fit_.keepAspect) {
            const double factor = std::min(boxWidth / width, boxHeight / height);
            width *= factor;
            height *= factor;
        } else {
            width = boxWidth;
            height = boxHeight;
        }
    }
    const int scale = std::max(1, get_scale_factor());
    const int pixelWidth = std::max(1, static_cast<int>(std::lround(width * scale)));
    const int pixelHeight = std::max(1, static_cast<int>(std::lround(height * scale)));
    // The decoded pixels are straight (not premultiplied) RGBA rows without gaps, as a pixbuf keeps
    // them; scaling copies them, so the pixbuf over the image's bytes lives only for this call.
    const auto pixels = Gdk::Pixbuf::create_from_data(reinterpret_cast<const guint8*>(image_->rgba().data()),
                                                      Gdk::COLORSPACE_RGB, true, 8, image_->width(),
                                                      image_->height(), image_->width() * 4);
    const auto scaled = pixels->scale_simple(pixelWidth, pixelHeight,
                                             fit_.highQuality ? Gdk::INTERP_HYPER : Gdk::INTERP_BILINEAR);
    set(Gdk::Cairo::create_surface_from_pixbuf(scaled, scale));
}

bool CircleDot::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    const double width = get_allocated_width(), height = get_allocated_height();
    const double diameter = std::min(width, height);
    get_style_context()->render_background(cr, (width - diameter) / 2, (height - diameter) / 2, diameter,
                                           diameter);
    return true;
}

}  // namespace qb::desktop
