#include "host/desktop/render/leaf_widgets.hpp"

#include <algorithm>
#include <cmath>

#include <gdkmm/general.h>
#include <gdkmm/pixbuf.h>
#include <gtkmm/icontheme.h>

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

namespace {

// The icon drawn from the smallest of the theme's bitmaps of it that holds at least `pixels` device
// pixels, in the style context's colours; none when the theme has no such bitmap.
Glib::RefPtr<Gdk::Pixbuf> bitmapSymbol(const Glib::RefPtr<Gtk::IconTheme>& theme, const std::string& name,
                                       int pixels, const Glib::RefPtr<Gtk::StyleContext>& style) {
    int source = 0;
    for (const int size : theme->get_icon_sizes(name))  // -1 stands for a scalable (vector) icon
        if (size >= pixels && (source == 0 || size < source)) source = size;
    if (source == 0) return {};
    Gtk::IconInfo info = theme->lookup_icon(name, source, 1, Gtk::ICON_LOOKUP_NO_SVG);
    if (!info) return {};
    try {
        bool symbolic = false;
        auto pixbuf = info.load_symbolic(style, symbolic);
        // A folder of that size may hold the icon only as SVG; the bitmap found instead is too small.
        if (!pixbuf || std::max(pixbuf->get_width(), pixbuf->get_height()) < pixels) return {};
        return pixbuf;
    } catch (const Glib::Error&) {
        return {};
    }
}

}  // namespace

SymbolIcon::SymbolIcon(std::string iconName, int size) : name_(std::move(iconName)), size_(size) {
    set_size_request(size_, size_);
    property_scale_factor().signal_changed().connect([this] { render(); });
}

void SymbolIcon::on_style_updated() {
    Gtk::Image::on_style_updated();
    render();
}

void SymbolIcon::render() {
    const int scale = std::max(1, get_scale_factor());
    const int pixels = size_ * scale;
    const auto theme = Gtk::IconTheme::get_for_screen(get_screen());
    if (const auto pixbuf = bitmapSymbol(theme, name_, pixels, get_style_context())) {
        // The longer side takes the size, as GTK fits an icon of another shape into its square.
        const double factor =
            static_cast<double>(pixels) / std::max(pixbuf->get_width(), pixbuf->get_height());
        const int width = std::max(1, static_cast<int>(std::lround(pixbuf->get_width() * factor)));
        const int height = std::max(1, static_cast<int>(std::lround(pixbuf->get_height() * factor)));
        const auto scaled = width == pixbuf->get_width() && height == pixbuf->get_height()
                                ? pixbuf
                                : pixbuf->scale_simple(width, height, Gdk::INTERP_HYPER);
        set(Gdk::Cairo::create_surface_from_pixbuf(scaled, scale));
        fromBitmap_ = true;
    } else if (fromBitmap_ || get_storage_type() != Gtk::IMAGE_ICON_NAME) {
        set_from_icon_name(name_, Gtk::ICON_SIZE_BUTTON);
        set_pixel_size(size_);
        fromBitmap_ = false;
    }
}

bool CircleDot::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    const double width = get_allocated_width(), height = get_allocated_height();
    const double diameter = std::min(width, height);
    get_style_context()->render_background(cr, (width - diameter) / 2, (height - diameter) / 2, diameter,
                                           diameter);
    return true;
}

}  // namespace qb::desktop
