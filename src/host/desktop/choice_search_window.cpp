#include "host/desktop/choice_search_window.hpp"

#include <gtkmm/label.h>

namespace qb::desktop {

ChoiceSearchWindow::ChoiceSearchWindow(const std::string& title, Search search, Choose choose)
    : search_(std::move(search)), choose_(std::move(choose)) {
    set_title(title);
    set_default_size(320, 380);
    set_skip_taskbar_hint(true);
    box_.set_border_width(10);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.set_vexpand(true);
    scroller_.add(list_);
    box_.pack_start(entry_, Gtk::PACK_SHRINK);
    box_.pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    add(box_);
    entry_.signal_search_changed().connect([this] { fill(); });
    entry_.signal_stop_search().connect([this] { hide(); });
    list_.signal_row_activated().connect([this](Gtk::ListBoxRow* row) {
        const auto index = static_cast<std::size_t>(row->get_index());
        if (index >= shown_.size()) return;
        const auto change = shown_[index].change;
        hide();
        choose_(change);
    });
    fill();
    show_all();
}

void ChoiceSearchWindow::fill() {
    for (auto* child : list_.get_children()) list_.remove(*child);
    shown_ = search_(entry_.get_text());
    for (const auto& choice : shown_) {
        // Plain text: a group's name comes from a file and is never read as markup.
        auto* label = Gtk::make_managed<Gtk::Label>(choice.checked ? "✓ " + choice.label : choice.label);
        label->set_xalign(0);
        label->set_ellipsize(Pango::ELLIPSIZE_END);
        label->set_margin_top(4);
        label->set_margin_bottom(4);
        list_.append(*label);
    }
    list_.show_all();
}

}  // namespace qb::desktop
