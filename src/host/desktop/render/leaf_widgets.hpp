#pragma once

// The GTK widgets the toolkit has no ready equivalent for: a bitmap drawn sharp at any screen scale,
// and a dot drawn as a circle of its style's background colour.

#include <memory>

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

// A circle filling the middle of its allocation, in its style's background colour.
class CircleDot : public Gtk::DrawingArea {
  protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
};

}  // namespace qb::desktop
