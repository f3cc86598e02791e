#pragma once

// A small window that searches a long list of choices (the favorites groups of a large favorites
// file): a search field over a list that the widget's own query fills as the person types.

#include <functional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/listbox.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/window.h>

#include "host/desktop_config/widget_menu.hpp"

namespace qb::desktop {

class ChoiceSearchWindow : public Gtk::Window {
  public:
    using Search = std::function<std::vector<host::MenuChoice>(const std::string& text)>;
    using Choose = std::function<void(const host::WidgetChange&)>;

    ChoiceSearchWindow(const std::string& title, Search search, Choose choose);

  private:
    void fill();

    Search search_;
    Choose choose_;
    std::vector<host::MenuChoice> shown_;
    Gtk::Box box_{Gtk::ORIENTATION_VERTICAL, 6};
    Gtk::SearchEntry entry_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListBox list_;
};

}  // namespace qb::desktop
