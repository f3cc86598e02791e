#include "host/desktop/widget_window.hpp"

#include <gtkmm/messagedialog.h>

#include "host/desktop/render/widget_view.hpp"
#include "host/render/html.hpp"

namespace qb::desktop {
namespace {

// Applies a change chosen in the menu; a change that cannot be saved is told in a dialog. It is given
// the owner and the group, not the window, which the change may remove.
void applyChosen(host::SurfaceOwner& owner, const std::string& group, const host::WidgetChange& change) {
    if (auto failure = owner.change(group, change)) {
        auto* dialog = new Gtk::MessageDialog(*failure, false, Gtk::MESSAGE_ERROR, Gtk::BUTTONS_CLOSE);
        dialog->set_title("Quillbrook Widgets");
        dialog->signal_response().connect([dialog](int) { delete dialog; });
        dialog->show();
    }
}

GdkMonitor* monitorAt(std::size_t index) {
    GdkDisplay* display = gdk_display_get_default();
    return static_cast<int>(index) < gdk_display_get_n_monitors(display)
               ? gdk_display_get_monitor(display, static_cast<int>(index))
               : nullptr;
}

}  // namespace

WidgetWindow::WidgetWindow(std::string group, WidgetFamily family, host::SurfaceOwner& owner,
                           PlacementKind kind)
    : group_(std::move(group)),
      family_(family),
      owner_(owner),
      kind_(kind),
      menu_(
          window_, kind,
          [&owner, group = group_](const host::WidgetChange& change) { applyChosen(owner, group, change); },
          [this](const std::string& parameter, const std::string& text) {
              return owner_.searchChoices(group_, parameter, text);
          }) {
    window_.get_style_context()->add_class("quillbrook-widget-window");
    prepareWindow(window_, kind_);
    // The capture phase sees a right click before the rows of the widget, which take left clicks.
    rightClick_ = Gtk::GestureMultiPress::create(window_);
    rightClick_->set_button(GDK_BUTTON_SECONDARY);
    rightClick_->set_propagation_phase(Gtk::PHASE_CAPTURE);
    rightClick_->signal_pressed().connect([this](int, double, double) { showMenu(); });
}

WidgetWindow::~WidgetWindow() = default;

void WidgetWindow::draw(const host::resolved::Tree& tree, const std::string& accessibleName) {
    family_ = tree.environment.family;
    if (view_) window_.remove();
    view_ = buildWidgetView(tree, accessibleName, [this](const Url& url) { owner_.openLink(group_, url); });
    window_.add(*view_);
    view_->show();
    window_.set_title(accessibleName);
    showIfReady();
}

void WidgetWindow::place(const host::SurfacePlace& place) {
    if (place_ == place) return;
    place_ = place;
    placeWindow(window_, kind_, place, monitorAt(place.output));
    showIfReady();
}

void WidgetWindow::hide() {
    place_.reset();
    window_.hide();
}

// A window shows once it has a place and something to show, so that no empty frame ever appears.
void WidgetWindow::showIfReady() {
    if (view_ && place_ && !window_.get_visible()) window_.show();
}

host::PixelSize WidgetWindow::size() const {
    if (!view_) {
        const auto tile = host::tileSize(family_);
        return {tile.width, tile.height};
    }
    int minimum = 0, natural = 0, minimumHeight = 0, naturalHeight = 0;
    view_->get_preferred_width(minimum, natural);
    view_->get_preferred_height_for_width(natural, minimumHeight, naturalHeight);
    return {natural, naturalHeight};
}

void WidgetWindow::showMenu() {
    menu_.popup(owner_.menu(group_));
}

}  // namespace qb::desktop
