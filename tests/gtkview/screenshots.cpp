// Draws every widget of the sample home and feed in every family, on a desktop-like background, in
// light and dark and in full colour and the accented mode, and saves each sheet as a PNG in the folder
// given (a person looks at them next to the dashboard's), at the screen's scale. Runs under Xvfb; exits
// 77 without a display.

#include <gtkmm.h>

#include <filesystem>
#include <iostream>

#include <fmt/format.h>

#include "host/desktop/render/widget_view.hpp"
#include "host/render/resolve.hpp"
#include "platform/localization.hpp"
#include "support/view_sources.hpp"

namespace {

using namespace qb;

constexpr std::string_view desktopStyles = R"CSS(
window.qb-desk { background-image: linear-gradient(135deg, #f6dcd2, #dfe3f4 45%, #c4d3f6); }
window.qb-desk.dark { background-image: linear-gradient(135deg, #3a2540, #1d2233 50%, #14213a); }
)CSS";

void settle() {
    while (Gtk::Main::events_pending()) Gtk::Main::iteration();
}

// Shows the second clickable row under `widget` as the pointer over it would.
void hoverSecondRow(Gtk::Widget& widget, int& rowsSeen) {
    if (auto* button = dynamic_cast<Gtk::Button*>(&widget);
        button && button->get_style_context()->has_class("qb-link"))
        if (++rowsSeen == 2) button->set_state_flags(Gtk::STATE_FLAG_PRELIGHT, false);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) hoverSecondRow(*child, rowsSeen);
}

// One sheet: a row per widget, its four families side by side; in full colour the large family's
// second row shows its hover highlight.
void saveSheet(const std::vector<test::ViewSource>& sources, WidgetRenderingMode mode, bool dark,
               const std::filesystem::path& file) {
    Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = dark;
    settle();
    // A real window, so that the widgets take the screen's scale (GDK_SCALE=2 draws a HiDPI sheet).
    Gtk::Window window;
    window.get_style_context()->add_class("qb-desk");
    if (dark) window.get_style_context()->add_class("dark");
    Gtk::Grid grid;
    grid.set_row_spacing(28);
    grid.set_column_spacing(28);
    grid.set_border_width(32);
    int row = 0;
    for (const auto& source : sources) {
        int column = 0;
        for (WidgetFamily family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                    WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge}) {
            const ui::Environment environment{family, mode};
            const auto tree = host::resolve(source.view(environment), environment);
            Gtk::Widget* widget =
                desktop::buildWidgetView(tree, localized(source.displayName), [](const Url&) {});
            widget->set_valign(Gtk::ALIGN_START);
            widget->set_halign(Gtk::ALIGN_START);
            int rowsSeen = 0;
            if (family == WidgetFamily::systemLarge && mode == WidgetRenderingMode::fullColor)
                hoverSecondRow(*widget, rowsSeen);
            grid.attach(*widget, column++, row);
        }
        ++row;
    }
    window.add(grid);
    window.show_all();
    settle();
    const int scale = window.get_scale_factor();
    const auto surface = Cairo::ImageSurface::create(
        Cairo::FORMAT_ARGB32, window.get_allocated_width() * scale, window.get_allocated_height() * scale);
    cairo_surface_set_device_scale(surface->cobj(), scale, scale);
    gtk_widget_draw(static_cast<Gtk::Widget&>(window).gobj(), Cairo::Context::create(surface)->cobj());
    surface->write_to_png(file.string());
    std::cout << file.string() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: gtkview_screenshots FOLDER\n";
        return 2;
    }
    if (!gtk_init_check(&argc, &argv)) {
        std::cout << "SKIPPED: no display for GTK\n";
        return 77;
    }
    Gtk::Main::init_gtkmm_internals();
    desktop::installWidgetStyles();
    const auto provider = Gtk::CssProvider::create();
    provider->load_from_data(std::string(desktopStyles));
    Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    std::vector<test::ViewSource> home, empty;
    for (auto& source : test::sampleViewSources(QB_EXAMPLES_DIR)) {
        if (source.name == "home" || source.name == "feed") home.push_back(source);
        if (source.name == "empty" || source.name == "all read") empty.push_back(source);
    }
    for (bool dark : {false, true}) {
        const std::string theme = dark ? "dark" : "light";
        saveSheet(home, WidgetRenderingMode::fullColor, dark, folder / fmt::format("gtkview-{}.png", theme));
        saveSheet(home, WidgetRenderingMode::accented, dark,
                  folder / fmt::format("gtkview-accented-{}.png", theme));
        saveSheet(empty, WidgetRenderingMode::fullColor, dark,
                  folder / fmt::format("gtkview-empty-{}.png", theme));
    }
    return 0;
}
