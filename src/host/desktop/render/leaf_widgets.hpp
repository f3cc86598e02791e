#pragma once

// The GTK widgets the toolkit has no ready equivalent for: a bitmap drawn sharp at any screen scale,
// a symbol from the icon theme drawn from the theme's bitmaps where it has them, and a dot drawn as a
// circle of its style's background colour.

#include <memory>
#include <string>

#include <gtkmm/drawingarea.h>
#include <gtkmm/image.h>

namespace qb {
class Image;
}

namespace qb::desktop {

// How a bitmap sits in its box (sizes in pixels at scale 1).
struct BitmapFit {
    int boxWidth = 0, boxHeight = 0;
    bool resizable = false;    // scaled to the box; otherwise drawn at its own size
    bool keepAspect = false;   // scaled to fit inside the box keeping its proportions
    bool highQuality = false;  // scaled with the slower, smoother filter
};

// A decoded bitmap drawn from its pixels at the widget's scale factor (two device pixels per pixel on
// a HiDPI screen), drawn again when that factor changes, as when its window moves to another monitor.
class BitmapIcon : public Gtk::Image {
  public:
    BitmapIcon(std::shared_ptr<const qb::Image> image, BitmapFit fit);

  private:
    void render();

    std::shared_ptr<const qb::Image> image_;
    BitmapFit fit_;
};

// A symbol of the icon theme, `size` pixels high, in its style's colour as GTK draws symbolic icons.
// Where the theme has the icon as a bitmap at least as large as the screen needs (Adwaita has each
// symbolic icon as PNG from 16 to 96 pixels), that bitmap is scaled down to the size; otherwise GTK
// draws the icon as it would anyway, from its SVG file if it has one. A dozen small icons read through
// SVG would keep librsvg and libxml2 in memory, some 7 MB of the host's resident memory. Drawn again
// when its style (colour, theme) or the screen's scale changes.
class SymbolIcon : public Gtk::Image {
  public:
    SymbolIcon(std::string iconName, int size);

    const std::string& iconName() const { return name_; }

  protected:
    void on_style_updated() override;

  private:
    void render();

    std::string name_;
    int size_;
    bool fromBitmap_ = false;
};

// A circle filling the middle of its allocation, in its style's background colour.
class CircleDot : public Gtk::DrawingArea {
  protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
};

}  // namespace qb::desktop
