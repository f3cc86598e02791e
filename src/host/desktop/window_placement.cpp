#include "host/desktop/window_placement.hpp"

#include <gtk-layer-shell.h>

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include "platform/log.hpp"

namespace qb::desktop {
namespace {

PlacementKind detect() {
    GdkDisplay* display = gdk_display_get_default();
#ifdef GDK_WINDOWING_WAYLAND
    if (GDK_IS_WAYLAND_DISPLAY(display)) {
        if (gtk_layer_is_supported()) return PlacementKind::layerShell;
        Logger(logSubsystem, "DesktopHost")
            .info(
                "this Wayland compositor offers no layer-shell protocol (GNOME's does not), so the widgets "
                "are ordinary windows that the compositor places and stacks");
        return PlacementKind::plainWindow;
    }
#endif
#ifdef GDK_WINDOWING_X11
    if (GDK_IS_X11_DISPLAY(display)) return PlacementKind::x11Desktop;
#endif
    Logger(logSubsystem, "DesktopHost")
        .info(
            "this display is neither X11 nor Wayland with layer-shell, so the widgets are ordinary windows");
    return PlacementKind::plainWindow;
}

void anchorLayer(GtkWindow* window, const host::EdgeAnchoring& edges) {
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_TOP, edges.top);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_RIGHT, edges.right);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_BOTTOM, edges.bottom);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_LEFT, edges.left);
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_TOP, edges.marginTop);
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_RIGHT, edges.marginRight);
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_BOTTOM, edges.marginBottom);
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_LEFT, edges.marginLeft);
}

}  // namespace

PlacementKind placementKind() {
    static const PlacementKind kind = detect();
    return kind;
}

void prepareWindow(Gtk::Window& window, PlacementKind kind) {
    window.set_decorated(false);
    window.set_resizable(false);  // the window is as large as the widget it shows
    window.set_title("Quillbrook Widgets");
    auto screen = window.get_screen();
    // Wayland compositors always blend; on X11 only a running compositor does.
    const bool translucent = kind != PlacementKind::x11Desktop || screen->is_composited();
    if (auto visual = screen->get_rgba_visual(); visual && translucent) {
        gtk_widget_set_visual(GTK_WIDGET(window.gobj()), visual->gobj());
        window.get_style_context()->add_class("quillbrook-translucent");
    }
    GtkWindow* raw = window.gobj();
    switch (kind) {
        case PlacementKind::layerShell:
            gtk_layer_init_for_window(raw);
            gtk_layer_set_namespace(raw, "quillbrook-widgets");
            gtk_layer_set_layer(raw, GTK_LAYER_SHELL_LAYER_BOTTOM);
            gtk_layer_set_exclusive_zone(raw, 0);
            gtk_layer_set_keyboard_mode(raw, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
            break;
        case PlacementKind::x11Desktop:
            window.set_type_hint(Gdk::WINDOW_TYPE_HINT_DESKTOP);
            window.set_keep_below(true);
            window.stick();
            window.set_skip_taskbar_hint(true);
            window.set_skip_pager_hint(true);
            break;
        case PlacementKind::plainWindow:
            window.set_skip_taskbar_hint(true);
            break;
    }
}

void placeWindow(Gtk::Window& window, PlacementKind kind, const host::SurfacePlace& place,
                 GdkMonitor* monitor) {
    if (kind == PlacementKind::layerShell) {
        gtk_layer_set_monitor(window.gobj(), monitor);
        anchorLayer(window.gobj(), place.edges);
    } else {
        window.move(place.rect.x, place.rect.y);
    }
}

void allowKeyboard(Gtk::Window& window, PlacementKind kind, bool allowed) {
    if (kind != PlacementKind::layerShell) return;
    gtk_layer_set_keyboard_mode(window.gobj(), allowed ? GTK_LAYER_SHELL_KEYBOARD_MODE_ON_DEMAND
                                                       : GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
}

}  // namespace qb::desktop
