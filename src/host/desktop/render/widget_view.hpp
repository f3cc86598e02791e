#pragma once

// A widget drawn with GTK 3: its resolved view tree turned into GTK widgets at its family's size, in
// its rendering mode, styled by one style sheet that follows the desktop's light or dark theme.

#include <functional>
#include <string_view>

#include <gtkmm/widget.h>

#include "host/render/resolved_view.hpp"
#include "platform/url.hpp"

namespace qb::desktop {

// Called when a click on a row or on the widget asks to open a link (already allowed by the link
// policy: the tree holds no other).
using OpenLink = std::function<void(const Url&)>;

// The widget's GTK widgets for a resolved tree, at its family's size, in its rendering mode: a new,
// Gtk::manage'd hierarchy that the caller adds to a container (a new one replaces the old when the
// entry changes). `accessibleName` names the whole widget for assistive technologies.
Gtk::Widget* buildWidgetView(const host::resolved::Tree& tree, std::string_view accessibleName,
                             OpenLink open);

// Installs the widgets' style sheet on the default screen, once; light or dark as the GTK theme
// prefers (gtk-application-prefer-dark-theme, or a theme whose name ends in "-dark"), and again
// whenever that preference or the theme changes. Call it after GTK is initialised.
void installWidgetStyles();

}  // namespace qb::desktop
