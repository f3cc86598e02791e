#include "host/desktop/render/slot.hpp"

#include <algorithm>

#include <gtkmm/label.h>

namespace qb::desktop {

Slot::Slot(SlotSizing sizing) : sizing_(sizing) {
    set_has_window(false);
}

Gtk::SizeRequestMode Slot::get_request_mode_vfunc() const {
    return Gtk::SIZE_REQUEST_HEIGHT_FOR_WIDTH;
}

void Slot::adjustWidth(int& minimum, int& natural) const {
    if (sizing_.width) {
        minimum = natural = *sizing_.width;
        return;
    }
    if (sizing_.shareWidth) natural = minimum;
    if (sizing_.clip) minimum = 0;
}

void Slot::adjustHeight(int& minimum, int& natural) const {
    if (sizing_.height) {
        minimum = natural = *sizing_.height;
        return;
    }
    if (!sizing_.clip) return;
    // A text keeps its first line whole: it is cut off below that, never above.
    int firstLine = 0;
    if (const auto* label = dynamic_cast<const Gtk::Label*>(get_child()))
        if (const auto layout = label->get_layout())
            if (const auto line = layout->get_line(0))
                firstLine = line->get_pixel_logical_extents().get_height();
    minimum = std::min(minimum, firstLine);
}

void Slot::get_preferred_width_vfunc(int& minimum, int& natural) const {
    minimum = natural = 0;
    if (const Gtk::Widget* child = get_child(); child && child->get_visible())
        child->get_preferred_width(minimum, natural);
    adjustWidth(minimum, natural);
}

void Slot::get_preferred_height_vfunc(int& minimum, int& natural) const {
    minimum = natural = 0;
    if (const Gtk::Widget* child = get_child(); child && child->get_visible())
        child->get_preferred_height(minimum, natural);
    adjustHeight(minimum, natural);
}

void Slot::get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const {
    minimum = natural = 0;
    if (const Gtk::Widget* child = get_child(); child && child->get_visible()) {
        int childMinimum = 0, childNatural = 0;
        child->get_preferred_width(childMinimum, childNatural);
        child->get_preferred_height_for_width(std::max(width, childMinimum), minimum, natural);
    }
    adjustHeight(minimum, natural);
}

void Slot::get_preferred_width_for_height_vfunc(int height, int& minimum, int& natural) const {
    minimum = natural = 0;
    if (const Gtk::Widget* child = get_child(); child && child->get_visible())
        child->get_preferred_width_for_height(height, minimum, natural);
    adjustWidth(minimum, natural);
}

void Slot::on_size_allocate(Gtk::Allocation& allocation) {
    set_allocation(allocation);
    Gtk::Widget* child = get_child();
    if (!child || !child->get_visible()) return;
    // The child never gets less than it needs: what does not fit is centred over a fixed frame, or
    // cut off at the bottom and trailing edge of a clipping slot.
    int minimumWidth = 0, naturalWidth = 0;
    child->get_preferred_width(minimumWidth, naturalWidth);
    const int width = std::max(allocation.get_width(), minimumWidth);
    int minimumHeight = 0, naturalHeight = 0;
    child->get_preferred_height_for_width(width, minimumHeight, naturalHeight);
    const int height = std::max(allocation.get_height(), minimumHeight);
    Gtk::Allocation inner(allocation.get_x(), allocation.get_y(), width, height);
    if (!sizing_.clip) {
        inner.set_x(allocation.get_x() - (width - allocation.get_width()) / 2);
        inner.set_y(allocation.get_y() - (height - allocation.get_height()) / 2);
    }
    child->size_allocate(inner);
}

bool Slot::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    if (sizing_.clip) {
        cr->rectangle(0, 0, get_allocated_width(), get_allocated_height());
        cr->clip();
    }
    return Gtk::Bin::on_draw(cr);
}

}  // namespace qb::desktop
