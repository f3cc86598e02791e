#include "host/desktop/widget_menu_view.hpp"

#include <glibmm/main.h>
#include <gtkmm/checkmenuitem.h>
#include <gtkmm/separatormenuitem.h>

#include "platform/localization.hpp"

namespace qb::desktop {
namespace {

Gtk::MenuItem* plainItem(const std::string& label, bool sensitive = true) {
    // The label is set as plain text: a favorites group's name comes from a file.
    auto* item = Gtk::make_managed<Gtk::MenuItem>(label, false);
    item->set_sensitive(sensitive);
    return item;
}

}  // namespace

WidgetMenuView::WidgetMenuView(Gtk::Window& parent, PlacementKind kind, Choose choose, Search search)
    : parent_(parent), kind_(kind), choose_(std::move(choose)), search_(std::move(search)) {
    menu_.attach_to_widget(parent_);
    menu_.signal_show().connect([this] { allowKeyboard(parent_, kind_, true); });
    menu_.signal_hide().connect([this] { allowKeyboard(parent_, kind_, false); });
}

void WidgetMenuView::popup(const host::WidgetMenu& model) {
    fill(model);
    menu_.popup_at_pointer(nullptr);
}

void WidgetMenuView::chooseLater(const host::WidgetChange& change) {
    Glib::signal_idle().connect_once([choose = choose_, change] { choose(change); });
}

Gtk::Menu* WidgetMenuView::listMenu(const host::WidgetMenu& model, const host::ChoiceList& list) {
    auto* submenu = Gtk::make_managed<Gtk::Menu>();
    const bool canSave = !model.cannotSave;
    for (const auto& choice : list.choices) {
        auto* item = Gtk::make_managed<Gtk::CheckMenuItem>(choice.label, false);
        item->set_draw_as_radio(true);
        item->set_active(choice.checked);
        item->set_sensitive(canSave && choice.enabled);
        item->signal_activate().connect([this, change = choice.change] { chooseLater(change); });
        submenu->append(*item);
    }
    if (list.searchParameter) {
        submenu->append(*Gtk::make_managed<Gtk::SeparatorMenuItem>());
        auto* search = plainItem(localized("Search…"), canSave);
        search->signal_activate().connect(
            [this, title = model.title + " — " + list.title, parameter = *list.searchParameter] {
                openSearch(title, parameter);
            });
        submenu->append(*search);
    }
    return submenu;
}

void WidgetMenuView::fill(const host::WidgetMenu& model) {
    for (auto* child : menu_.get_children()) menu_.remove(*child);
    if (model.cannotSave) {
        menu_.append(*plainItem(*model.cannotSave, false));
        menu_.append(*Gtk::make_managed<Gtk::SeparatorMenuItem>());
    }
    for (std::size_t i = 0; i < model.lists.size(); ++i) {
        // The last list adds widgets: it stands apart, beside the item that removes one.
        if (i + 1 == model.lists.size()) menu_.append(*Gtk::make_managed<Gtk::SeparatorMenuItem>());
        auto* item = plainItem(model.lists[i].title);
        item->set_submenu(*listMenu(model, model.lists[i]));
        menu_.append(*item);
    }
    auto* remove = plainItem(model.remove.label, !model.cannotSave && model.remove.enabled);
    remove->signal_activate().connect([this, change = model.remove.change] { chooseLater(change); });
    menu_.append(*remove);
    menu_.show_all();
}

void WidgetMenuView::openSearch(const std::string& title, const std::string& parameter) {
    searchWindow_ = std::make_unique<ChoiceSearchWindow>(
        title, [this, parameter](const std::string& text) { return search_(parameter, text); },
        [this](const host::WidgetChange& change) { chooseLater(change); });
    searchWindow_->present();
}

}  // namespace qb::desktop
