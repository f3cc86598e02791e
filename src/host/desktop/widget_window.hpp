#pragma once

// One widget on the desktop: a window that shows the widget's view, stands where the session places
// it, opens the links clicked in it and offers the widget's menu on a right click.

#include <memory>
#include <optional>
#include <string>

#include <gtkmm/gesturemultipress.h>
#include <gtkmm/window.h>

#include "host/desktop/widget_menu_view.hpp"
#include "host/desktop/window_placement.hpp"
#include "host/desktop_session/desktop_surface.hpp"

namespace qb::desktop {

class WidgetWindow final : public host::WidgetSurface {
  public:
    WidgetWindow(std::string group, WidgetFamily family, host::SurfaceOwner& owner, PlacementKind kind);
    ~WidgetWindow() override;

    void draw(const host::resolved::Tree& tree, const std::string& accessibleName) override;
    void place(const host::SurfacePlace& place) override;
    void hide() override;
    host::PixelSize size() const override;

  private:
    void showMenu();
    void showIfReady();

    std::string group_;
    WidgetFamily family_;
    host::SurfaceOwner& owner_;
    PlacementKind kind_;
    Gtk::Window window_;
    Gtk::Widget* view_ = nullptr;  // owned by the window
    std::optional<host::SurfacePlace> place_;
    Glib::RefPtr<Gtk::GestureMultiPress> rightClick_;
    WidgetMenuView menu_;
};

}  // namespace qb::desktop
