#pragma once

// The desktop as GTK sees it: its monitors, a window per widget, and word when monitors come and go.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/connection.h>

#include "host/desktop/window_placement.hpp"
#include "host/desktop_session/desktop_surface.hpp"

namespace qb::desktop {

class GtkDesktop final : public host::Desktop {
  public:
    GtkDesktop();
    ~GtkDesktop() override;

    std::vector<host::DesktopOutput> outputs() const override;
    std::unique_ptr<host::WidgetSurface> makeSurface(const std::string& group, WidgetFamily family,
                                                     host::SurfaceOwner& owner) override;

    // `changed` runs when a monitor is plugged in or out or changes its size.
    void onOutputsChanged(std::function<void()> changed);

  private:
    PlacementKind kind_;
    std::function<void()> changed_;
    std::vector<sigc::connection> connections_;
};

}  // namespace qb::desktop
