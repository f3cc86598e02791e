#pragma once

// How a widget's window stands on the desktop, by what the display allows: on a Wayland compositor
// with the layer-shell protocol, a surface on the bottom layer anchored to an output's edges; on X11, an
// undecorated window of the desktop type below the others, on every workspace, out of the task bar and
// the pager, translucent where a compositor runs; elsewhere (a Wayland compositor without layer-shell,
// such as GNOME's), an ordinary undecorated window that the compositor places.

#include <gtkmm/window.h>

#include "host/desktop_session/desktop_surface.hpp"

namespace qb::desktop {

enum class PlacementKind { layerShell, x11Desktop, plainWindow };

// The kind the default display allows; the first call logs one line when it is an ordinary window.
PlacementKind placementKind();

// Prepares a new window, before it is first shown.
void prepareWindow(Gtk::Window& window, PlacementKind kind);

// Moves the window to its place on the monitor.
void placeWindow(Gtk::Window& window, PlacementKind kind, const host::SurfacePlace& place,
                 GdkMonitor* monitor);

// Lets the window take the keyboard while one of its menus is open (layer-shell surfaces take none
// otherwise, so that typing never goes to the desktop).
void allowKeyboard(Gtk::Window& window, PlacementKind kind, bool allowed);

}  // namespace qb::desktop
