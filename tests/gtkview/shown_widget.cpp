#include "shown_widget.hpp"

#include <mutex>

#include "host/desktop/render/leaf_widgets.hpp"

namespace qb::test {
namespace {

// The accent colour of a tinted widget, as the style sheet sets it.
bool isAccent(const Gdk::RGBA& color) {
    return std::lround(color.get_red() * 255) == 0x8f && std::lround(color.get_green() * 255) == 0xc1 &&
           std::lround(color.get_blue() * 255) == 0xff && color.get_alpha() > 0.99;
}

Gdk::RGBA backgroundOf(Gtk::Widget& widget) {
    GdkRGBA* color = nullptr;
    const auto style = widget.get_style_context();
    gtk_style_context_get(style->gobj(), static_cast<GtkStateFlags>(style->get_state()), "background-color",
                          &color, nullptr);
    Gdk::RGBA result;
    if (color) {
        result = Glib::wrap(color, true);
        gdk_rgba_free(color);
    }
    return result;
}

void read(Gtk::Widget& widget, ShownWidget& shown) {
    const auto style = widget.get_style_context();
    const bool accent = isAccent(style->get_color(style->get_state()));
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget)) {
        if (style->has_class("qb-sym")) {
            shown.symbols.push_back("glyph:" + label->get_text());
            if (accent) shown.tinted.push_back("symbol");
        } else {
            shown.texts.push_back(label->get_text());
            shown.labels.push_back(label);
            if (accent) shown.tinted.push_back("text:" + label->get_text());
        }
    } else if (auto* symbol = dynamic_cast<desktop::SymbolIcon*>(&widget)) {
        shown.symbols.push_back(symbol->iconName());
        shown.symbolIcons.push_back(symbol);
        if (accent) shown.tinted.push_back("symbol");
    } else if (auto* image = dynamic_cast<Gtk::Image*>(&widget);
               image && image->get_storage_type() == Gtk::IMAGE_SURFACE) {
        shown.bitmaps.push_back(image);
    } else if (dynamic_cast<Gtk::DrawingArea*>(&widget) && isAccent(backgroundOf(widget))) {
        shown.tinted.push_back("circle");
    }
    if (auto* button = dynamic_cast<Gtk::Button*>(&widget); button && style->has_class("qb-link"))
        shown.rows.push_back(button);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) read(*child, shown);
}

std::mutex warningsMutex;
std::vector<std::string> warnings;

void recordWarning(const gchar* domain, GLogLevelFlags, const gchar* message, gpointer) {
    const std::lock_guard lock(warningsMutex);
    warnings.push_back(std::string(domain ? domain : "") + ": " + (message ? message : ""));
}

}  // namespace

void catchToolkitWarnings() {
    for (const char* domain : {"Gtk", "Gdk", "GLib", "GLib-GObject", "GLib-GIO", "Pango", "GdkPixbuf", "Atk"})
        g_log_set_handler(domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL),
                          recordWarning, nullptr);
}

ShownWidget readShown(Gtk::Widget& widget) {
    ShownWidget shown;
    read(widget, shown);
    return shown;
}

Showing showWidget(const host::resolved::Tree& tree, std::string_view accessibleName) {
    Showing showing;
    showing.window = std::make_unique<Gtk::OffscreenWindow>();
    showing.top = desktop::buildWidgetView(
        tree, accessibleName, [opened = showing.opened](const Url& url) { opened->push_back(url.string()); });
    showing.window->add(*showing.top);
    showing.window->show_all();
    settle();
    return showing;
}

void settle() {
    while (Gtk::Main::events_pending()) Gtk::Main::iteration(false);
}

std::vector<std::string> takeToolkitWarnings() {
    const std::lock_guard lock(warningsMutex);
    return std::exchange(warnings, {});
}

}  // namespace qb::test
