#pragma once

#include <functional>
#include <string_view>

#include <gtkmm/widget.h>

#include "host/render/resolved_view.hpp"
#include "platform/url.hpp"

// src/host/desktop/render/widget_view.hpp
namespace qb::desktop {
using OpenLink = std::function<void(const Url&)>;   // a click asks to open an allowed link
Gtk::Widget* buildWidgetView(const host::resolved::Tree& tree, std::string_view accessibleName, OpenLink open);  // Gtk::manage'd, family-sized
void installWidgetStyles();  // CSS once on the default screen; light/dark from the GTK theme
}
