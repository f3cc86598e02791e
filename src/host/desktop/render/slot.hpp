#pragma once

// A container of one child that decides how much room the child asks for in its stack: a fixed width
// or height, a natural width no larger than the child's minimum, or none at all with the child cut off
// at the slot's edges. GTK's own boxes cannot say any of these.

#include <optional>

#include <gtkmm/bin.h>

namespace qb::desktop {

struct SlotSizing {
    // A fixed width or height in pixels: the slot asks for exactly this, whatever its child needs, and
    // the child is placed by its own alignment inside (centred by default) or, when larger, centred
    // over it.
    std::optional<int> width, height;
    // The slot's natural width is its child's minimum: a stack then shares its leftover width equally
    // among such slots, whatever their content would like (as columns of equal width).
    bool shareWidth = false;
    // The slot asks for no room at all and draws its child cut off at its edges: the child always gets
    // at least the room it needs, but what lies outside the slot is not drawn.
    bool clip = false;

    static SlotSizing fixed(std::optional<int> width, std::optional<int> height) {
        return {width, height, false, false};
    }
    static SlotSizing sharingWidth() { return {std::nullopt, std::nullopt, true, false}; }
    static SlotSizing clipping() { return {std::nullopt, std::nullopt, false, true}; }
};

class Slot : public Gtk::Bin {
  public:
    explicit Slot(SlotSizing sizing);

  protected:
    Gtk::SizeRequestMode get_request_mode_vfunc() const override;
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const override;
    void get_preferred_width_for_height_vfunc(int height, int& minimum, int& natural) const override;
    void on_size_allocate(Gtk::Allocation& allocation) override;
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;

  private:
    void adjustWidth(int& minimum, int& natural) const;
    void adjustHeight(int& minimum, int& natural) const;

    SlotSizing sizing_;
};

}  // namespace qb::desktop
