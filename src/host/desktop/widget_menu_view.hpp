#pragma once

// The right-click menu of a desktop widget, drawn from the menu's model. A choice is carried out once
// the menu has closed, since it may remove the very widget the menu belongs to.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/menu.h>
#include <gtkmm/window.h>

#include "host/desktop/choice_search_window.hpp"
#include "host/desktop/window_placement.hpp"
#include "host/desktop_config/widget_menu.hpp"

namespace qb::desktop {

class WidgetMenuView {
  public:
    using Choose = std::function<void(const host::WidgetChange&)>;
    using Search =
        std::function<std::vector<host::MenuChoice>(const std::string& parameter, const std::string& text)>;

    WidgetMenuView(Gtk::Window& parent, PlacementKind kind, Choose choose, Search search);

    // Shows the menu at the pointer.
    void popup(const host::WidgetMenu& model);

  private:
    void fill(const host::WidgetMenu& model);
    Gtk::Menu* listMenu(const host::WidgetMenu& model, const host::ChoiceList& list);
    void chooseLater(const host::WidgetChange& change);
    void openSearch(const std::string& title, const std::string& parameter);

    Gtk::Window& parent_;
    PlacementKind kind_;
    Choose choose_;
    Search search_;
    Gtk::Menu menu_;
    std::unique_ptr<ChoiceSearchWindow> searchWindow_;
};

}  // namespace qb::desktop
