#include "host/desktop/gtk_desktop.hpp"

#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <gdkmm/screen.h>

#include "host/desktop/widget_window.hpp"

namespace qb::desktop {

GtkDesktop::GtkDesktop() : kind_(placementKind()) {}

GtkDesktop::~GtkDesktop() {
    for (auto& connection : connections_) connection.disconnect();
}

std::vector<host::DesktopOutput> GtkDesktop::outputs() const {
    std::vector<host::DesktopOutput> outputs;
    auto display = Gdk::Display::get_default();
    for (int i = 0; i < display->get_n_monitors(); ++i) {
        auto monitor = display->get_monitor(i);
        host::DesktopOutput output;
        // X11 gives a monitor its connector's name as its model ("HDMI-1"); Wayland the screen's model.
        const std::string model = monitor->get_model();
        const std::string maker = monitor->get_manufacturer();
        if (!model.empty()) output.names.push_back(model);
        if (!maker.empty() && !model.empty()) output.names.push_back(maker + " " + model);
        output.names.push_back(std::to_string(i));
        // A layer surface's margins count from the output's edges (the compositor keeps panels' zones
        // free); a window's position is the screen's, where the work area leaves out the panels.
        Gdk::Rectangle area;
        if (kind_ == PlacementKind::layerShell)
            monitor->get_geometry(area);
        else
            monitor->get_workarea(area);
        output.area = {area.get_x(), area.get_y(), area.get_width(), area.get_height()};
        output.primary = monitor->is_primary();
        outputs.push_back(std::move(output));
    }
    return outputs;
}

std::unique_ptr<host::WidgetSurface> GtkDesktop::makeSurface(const std::string& group, WidgetFamily family,
                                                             host::SurfaceOwner& owner) {
    return std::make_unique<WidgetWindow>(group, family, owner, kind_);
}

void GtkDesktop::onOutputsChanged(std::function<void()> changed) {
    changed_ = std::move(changed);
    auto display = Gdk::Display::get_default();
    auto notify = [this](auto&&...) {
        if (changed_) changed_();
    };
    connections_.push_back(display->signal_monitor_added().connect(notify));
    connections_.push_back(display->signal_monitor_removed().connect(notify));
    connections_.push_back(display->get_default_screen()->signal_size_changed().connect(notify));
    connections_.push_back(display->get_default_screen()->signal_monitors_changed().connect(notify));
}

}  // namespace qb::desktop
