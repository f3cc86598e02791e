#pragma once

// A widget's GTK hierarchy read back as a person meets it: the texts on its labels, the icons it
// draws, what is drawn in the accent colour, the rows one can click, and its size on screen.

#include <memory>
#include <string>
#include <vector>

#include <gtkmm.h>

#include "host/desktop/render/widget_view.hpp"
#include "host/render/resolved_view.hpp"

namespace qb::test {

struct ShownWidget {
    std::vector<std::string> texts;  // the labels' texts in order (not the symbols' glyphs)
    std::vector<std::string>
        symbols;  // each symbol as drawn: its theme icon's name, or "glyph:" and the glyph
    std::vector<Gtk::Image*> bitmaps;      // the bitmap icons, in order
    std::vector<Gtk::Image*> symbolIcons;  // the symbols drawn from the icon theme, in order
    std::vector<std::string>
        tinted;                      // drawn in the accent colour: "circle", "symbol" or "text:" and the text
    std::vector<Gtk::Button*> rows;  // the clickable rows, in order
    std::vector<Gtk::Label*> labels;  // the text labels, in order
};

// Walks the hierarchy under `widget` in drawing order.
ShownWidget readShown(Gtk::Widget& widget);

// A built widget shown in an offscreen window, with every click it asks to open recorded.
struct Showing {
    std::unique_ptr<Gtk::OffscreenWindow> window;
    Gtk::Widget* top = nullptr;
    std::shared_ptr<std::vector<std::string>> opened = std::make_shared<std::vector<std::string>>();
};
Showing showWidget(const host::resolved::Tree& tree, std::string_view accessibleName = "Widget");

// Runs the main loop until nothing is pending.
void settle();

// From now on, keeps the warnings and critical messages of GTK, GLib and Pango instead of printing them.
void catchToolkitWarnings();
// The warnings and critical messages kept since the last call.
std::vector<std::string> takeToolkitWarnings();

}  // namespace qb::test
