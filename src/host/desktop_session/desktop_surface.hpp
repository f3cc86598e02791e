#pragma once

// What the desktop session asks of a desktop (its monitors, a surface per widget) and what a surface
// may ask of the session. The GTK host implements the first two; tests implement them without a
// display.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/desktop_config/stack_layout.hpp"
#include "host/desktop_config/widget_menu.hpp"
#include "host/render/resolved_view.hpp"
#include "platform/url.hpp"

namespace qb::host {

// A monitor the widgets can stand on.
struct DesktopOutput {
    std::vector<std::string> names;  // what `output=` may call it (its model, its maker and model)
    PixelRect area;                  // where widgets may stand, in the screen's coordinates
    bool primary = false;
};

// Where a widget stands: on which output, where on the screen, and the same as edges and margins of
// the output (for layer-shell surfaces).
struct SurfacePlace {
    std::size_t output = 0;  // index into the desktop's outputs
    PixelRect rect;
    EdgeAnchoring edges;
    friend bool operator==(const SurfacePlace&, const SurfacePlace&) = default;
};

// One widget on the desktop. Called on the main context's thread only.
class WidgetSurface {
  public:
    virtual ~WidgetSurface() = default;
    // Draws the widget anew: its entry or its configuration changed.
    virtual void draw(const resolved::Tree& tree, const std::string& accessibleName) = 0;
    virtual void place(const SurfacePlace& place) = 0;
    // No output to stand on.
    virtual void hide() = 0;
    // Its size on screen; the family's size until it was first drawn.
    virtual PixelSize size() const = 0;
};

// What a surface may ask of the session, for the widget of a group.
class SurfaceOwner {
  public:
    virtual ~SurfaceOwner() = default;
    virtual void openLink(const std::string& group, const Url& url) = 0;
    virtual WidgetMenu menu(const std::string& group) = 0;
    virtual std::vector<MenuChoice> searchChoices(const std::string& group, const std::string& parameter,
                                                  const std::string& search) = 0;
    // Writes the change to desktop.ini and applies it; or says why it could not be saved.
    virtual std::optional<std::string> change(const std::string& group, const WidgetChange& change) = 0;
    // Where desktop.ini lies (for a menu item that opens it in an editor).
    virtual std::string configPath() const = 0;
};

class Desktop {
  public:
    virtual ~Desktop() = default;
    virtual std::vector<DesktopOutput> outputs() const = 0;
    virtual std::unique_ptr<WidgetSurface> makeSurface(const std::string& group, WidgetFamily family,
                                                       SurfaceOwner& owner) = 0;
};

}  // namespace qb::host
