// The GTK widgets built from resolved trees of every widget's real entries, in every family and
// rendering mode, read back from GTK as a person meets them: the texts on the labels, the icons drawn,
// what shows in the accent colour, where a click on each row leads, and the size on screen.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fmt/format.h>

#include "host/desktop/render/widget_styles.hpp"
#include "host/desktop/render/widget_view.hpp"
#include "host/render/html.hpp"
#include "host/render/resolve.hpp"
#include "platform/image.hpp"
#include "readinglist/reading_list_widget.hpp"
#include "shown_widget.hpp"
#include "support/test_support.hpp"
#include "support/view_sources.hpp"
#include "tips/tips_widget.hpp"

namespace qb::desktop {
namespace {

namespace resolved = host::resolved;
using readinglist::ReadingListEntry, readinglist::ReadingListItem, readinglist::ReadingListWidget;
using test::ShownWidget;
using tips::TipItem, tips::TipsEntry, tips::TipsMode, tips::TipsWidget;

constexpr std::array families{WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                              WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};
constexpr std::array modes{WidgetRenderingMode::fullColor, WidgetRenderingMode::accented,
                           WidgetRenderingMode::vibrant};

// How the current icon theme draws a symbol: the first of its icon names the theme has, else its glyph.
std::string drawnSymbol(const ui::SymbolInfo& symbol) {
    const auto theme = Gtk::IconTheme::get_default();
    for (std::string_view name : symbol.iconNames)
        if (theme->has_icon(std::string(name))) return std::string(name);
    return "glyph:" + std::string(symbol.glyph);
}

// What the resolved tree asks to be seen, in the reader's terms.
struct Expected {
    std::vector<std::string> texts, symbols, tinted, rowLinks;
    std::size_t bitmaps = 0;
};

void expectFrom(const resolved::Node& node, Expected& expected) {
    const bool accented = node.style.accented;
    if (const auto* text = node.as<resolved::Text>()) {
        expected.texts.push_back(text->string);
        if (accented) expected.tinted.push_back("text:" + text->string);
    } else if (const auto* symbol = node.as<resolved::Symbol>()) {
        expected.symbols.push_back(drawnSymbol(*symbol->info));
        if (accented) expected.tinted.push_back("symbol");
    } else if (const auto* bitmap = node.as<resolved::Bitmap>(); bitmap && bitmap->image) {
        ++expected.bitmaps;
    } else if (const auto* circle = node.as<resolved::Circle>();
               circle && accented && circle->fill != ui::Color::clear) {
        expected.tinted.push_back("circle");
    } else if (const auto* link = node.as<resolved::Link>(); link && link->destination) {
        expected.rowLinks.push_back(link->destination->string());
    }
    for (const resolved::Node& child : node.children()) expectFrom(child, expected);
}

std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& text : texts)
        if (!text.empty()) out += (out.empty() ? "" : ", ") + text;
    return out;
}

class GtkView : public testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(test::takeToolkitWarnings(), std::vector<std::string>{}); }
};

TEST_F(GtkView, ShowsEveryWidgetsTextsIconsTintsAndLinksAtItsFamilysSize) {
    for (const test::ViewSource& source : test::sampleViewSources(QB_EXAMPLES_DIR)) {
        for (const WidgetFamily family : families) {
            for (const WidgetRenderingMode mode : modes) {
                SCOPED_TRACE(fmt::format("{} {} {} {}", source.kind, source.name, name(family), name(mode)));
                const ui::Environment environment{family, mode};
                const resolved::Tree tree = host::resolve(source.view(environment), environment);
                Expected expected;
                expectFrom(tree.root, expected);
                const test::Showing showing = test::showWidget(tree, source.displayName);
                const ShownWidget shown = test::readShown(*showing.top);

                const host::TileSize size = host::tileSize(family);
                EXPECT_EQ(showing.top->get_allocated_width(), size.width);
                EXPECT_EQ(showing.top->get_allocated_height(), size.height);
                EXPECT_EQ(shown.texts, expected.texts);
                EXPECT_EQ(shown.symbols, expected.symbols);
                EXPECT_EQ(shown.bitmaps.size(), tree.tinted() ? 0u : expected.bitmaps);
                EXPECT_EQ(shown.tinted, tree.tinted() ? expected.tinted : std::vector<std::string>{});

                // Each row opens its own link when clicked, and is named by the texts it shows.
                for (Gtk::Button* row : shown.rows) {
                    row->clicked();
                    EXPECT_EQ(row->get_accessible()->get_name(), joined(test::readShown(*row).texts));
                }
                EXPECT_EQ(*showing.opened, expected.rowLinks);
                // The widget's own link makes the whole widget a click target.
                showing.opened->clear();
                if (auto* whole = dynamic_cast<Gtk::Button*>(showing.top)) whole->clicked();
                EXPECT_EQ(*showing.opened, tree.widgetURL ? std::vector{tree.widgetURL->string()}
                                                          : std::vector<std::string>{});
                EXPECT_EQ(showing.top->get_accessible()->get_name(), source.displayName);
            }
        }
    }
}

// A reading list and a tip whose texts are long, break into many lines, or look like markup.
ui::View longAndHostileView(const ui::Environment& environment, bool tip) {
    const std::string longTitle = "Lorem ipsum " + std::string(400, 'x') + " dolor";
    if (tip) {
        TipItem item{"First line\nSecond line\nThird line\nFourth line\nFifth line\nSixth line",
                     std::string(1500, 'y') + " <b>&amp;", "https://example.org/tip", Date{}, "guid"};
        return TipsWidget{}.body().content(TipsEntry{Date{}, item, TipsMode::latestTip}, environment);
    }
    const std::vector<ReadingListItem> items{
        {"https://example.org/long", longTitle, true, Date{}, 0, std::nullopt},
        {"https://example.org/markup", "<b>Bold</b> &amp; <i>more</i>", true, Date{}, 0, std::nullopt}};
    return ReadingListWidget{}.body().content(ReadingListEntry{Date{}, items, 2, 2, 2}, environment);
}

TEST_F(GtkView, LongTextsEllipsizeWithinTheirLinesAndMarkupStaysText) {
    struct Case {
        WidgetFamily family;
        int tipTitleLines;
    };
    for (const Case& test : {Case{WidgetFamily::systemSmall, 4}, Case{WidgetFamily::systemMedium, 2},
                             Case{WidgetFamily::systemLarge, 3}, Case{WidgetFamily::systemExtraLarge, 3}}) {
        for (const bool tip : {false, true}) {
            SCOPED_TRACE(fmt::format("{} {}", name(test.family), tip ? "tip" : "reading list"));
            const ui::Environment environment{test.family, WidgetRenderingMode::fullColor};
            const auto tree = host::resolve(longAndHostileView(environment, tip), environment);
            const test::Showing showing = test::showWidget(tree);
            const host::TileSize size = host::tileSize(test.family);
            EXPECT_EQ(showing.top->get_allocated_width(), size.width);
            EXPECT_EQ(showing.top->get_allocated_height(), size.height);
            const ShownWidget shown = test::readShown(*showing.top);
            bool sawLong = false, sawMarkup = false;
            for (Gtk::Label* label : shown.labels) {
                const std::string text = label->get_text();
                const auto layout = label->get_layout();
                EXPECT_LE(label->get_allocated_width(), size.width) << text;
                if (text.starts_with("Lorem") || text.starts_with("First line")) {
                    sawLong = true;
                    EXPECT_TRUE(layout->is_ellipsized()) << text;
                    EXPECT_LE(layout->get_line_count(), tip ? test.tipTitleLines : 1) << text;
                }
                if (text.find("<b>") != std::string::npos) {
                    sawMarkup = true;
                    EXPECT_TRUE(text.ends_with("<b>&amp;") || text == "<b>Bold</b> &amp; <i>more</i>")
                        << text;
                    EXPECT_EQ(layout->get_text(), text);
                    EXPECT_EQ(label->get_use_markup(), false);
                }
            }
            EXPECT_TRUE(sawLong);
            // The small tip shows no description.
            EXPECT_EQ(sawMarkup, !tip || test.family != WidgetFamily::systemSmall);
        }
    }
}

TEST_F(GtkView, DrawsSymbolsFromTheIconThemeElseTheirGlyphs) {
    const ui::Environment environment{WidgetFamily::systemMedium, WidgetRenderingMode::fullColor};
    const auto tree = host::resolve(
        ui::hstack({ui::symbol("star"), ui::symbol("lightbulb"), ui::symbol("newspaper")}), environment);
    // The theme that scripts/setup.sh installs: the first name it has, whichever place that holds.
    EXPECT_EQ(test::readShown(*test::showWidget(tree).top).symbols,
              (std::vector<std::string>{"starred-symbolic", "dialog-information-symbolic",
                                        "x-office-document-symbolic"}));

    // A theme that holds no icons at all.
    const auto theme = Gtk::IconTheme::get_default();
    const std::vector<Glib::ustring> searchPath = theme->get_search_path();
    const test::TempDir empty;
    theme->set_search_path({empty.path().string()});
    const std::vector<std::string> glyphs = test::readShown(*test::showWidget(tree).top).symbols;
    theme->set_search_path(searchPath);
    EXPECT_EQ(glyphs, (std::vector<std::string>{"glyph:★", "glyph:☼", "glyph:▥"}));
}

TEST_F(GtkView, DrawsBitmapIconsSharpAtTheScreensScale) {
    const ui::Environment environment{WidgetFamily::systemMedium, WidgetRenderingMode::fullColor};
    for (const test::ViewSource& source : test::sampleViewSources(QB_EXAMPLES_DIR)) {
        if (source.name != "home") continue;
        SCOPED_TRACE(source.kind);
        const auto tree = host::resolve(source.view(environment), environment);
        // A real window, so that the widgets take the screen's scale (GDK_SCALE).
        Gtk::Window window;
        window.add(*buildWidgetView(tree, source.displayName, {}));
        window.show_all();
        test::settle();
        const int scale = window.get_scale_factor();
        if (const char* expected = std::getenv("QB_EXPECTED_SCALE")) {
            EXPECT_EQ(scale, std::atoi(expected));
        }
        // Drawn at as many device pixels as the screen shows: a row's bitmap fits its 16-point square,
        // keeping its proportions; a symbol from the theme's bitmaps fills its size (one drawn by GTK from
        // a vector file has no surface).
        const auto expectSharp = [&](Gtk::Image& image, int points) {
            const auto surface = image.property_surface().get_value();
            if (!surface) return;
            double scaleX = 0, scaleY = 0;
            cairo_surface_get_device_scale(surface->cobj(), &scaleX, &scaleY);
            EXPECT_EQ(scaleX, scale);
            const int width = cairo_image_surface_get_width(surface->cobj());
            const int height = cairo_image_surface_get_height(surface->cobj());
            EXPECT_EQ(std::max(width, height), points * scale);
            EXPECT_GT(std::min(width, height), 0);
        };
        const ShownWidget shown = test::readShown(window);
        for (Gtk::Image* image : shown.bitmaps) {
            ASSERT_TRUE(image->property_surface().get_value());
            expectSharp(*image, 16);
        }
        for (Gtk::Image* symbol : shown.symbolIcons) {
            int size = 0, unused = 0;
            symbol->get_size_request(size, unused);
            expectSharp(*symbol, size);
        }
    }
}

// The colour of an icon drawn from a bitmap: that of its most opaque pixel, with the alpha taken out.
std::optional<Gdk::RGBA> iconColour(const Cairo::RefPtr<Cairo::Surface>& surface) {
    if (!surface) return std::nullopt;
    cairo_surface_t* image = surface->cobj();
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    std::uint32_t best = 0;
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(image); ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, data + y * cairo_image_surface_get_stride(image) + 4 * x, 4);
            if (pixel >> 24 > best >> 24) best = pixel;
        }
    if (best >> 24 == 0) return std::nullopt;
    const double alpha = best >> 24;
    Gdk::RGBA colour;
    colour.set_rgba((best >> 16 & 0xff) / alpha, (best >> 8 & 0xff) / alpha, (best & 0xff) / alpha);
    return colour;
}

TEST_F(GtkView, FollowsTheThemesLightOrDarkPreference) {
    for (const bool dark : {false, true}) {
        const auto provider = Gtk::CssProvider::create();
        EXPECT_NO_THROW(provider->load_from_data(widgetStyleSheet(dark))) << (dark ? "dark" : "light");
    }
    // The small tip's lightbulb is yellow: the light or the dark desktop's yellow.
    const ui::Environment environment{WidgetFamily::systemSmall, WidgetRenderingMode::fullColor};
    TipItem item{"Title", "Description", "https://example.org/tip", Date{}, "guid"};
    const auto tree = host::resolve(
        TipsWidget{}.body().content(TipsEntry{Date{}, item, TipsMode::latestTip}, environment), environment);
    const test::Showing showing = test::showWidget(tree);
    Gtk::Widget* bulb = nullptr;
    const std::function<void(Gtk::Widget&)> find = [&](Gtk::Widget& widget) {
        if (dynamic_cast<Gtk::Image*>(&widget)) bulb = &widget;
        if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
            for (Gtk::Widget* child : container->get_children()) find(*child);
    };
    find(*showing.top);
    ASSERT_NE(bulb, nullptr);
    const auto settings = Gtk::Settings::get_default();
    for (const auto& [preferDark, yellow] :
         {std::pair{true, "rgb(255,214,10)"}, std::pair{false, "rgb(245,185,0)"}}) {
        settings->property_gtk_application_prefer_dark_theme() = preferDark;
        test::settle();
        EXPECT_EQ(bulb->get_style_context()->get_color(bulb->get_style_context()->get_state()).to_string(),
                  yellow);
        // The icon itself is drawn again in that colour. GTK validates the style on the next frame, which
        // a busy machine may bring a while after the events above: the icon has two seconds.
        const Gdk::RGBA expected(yellow);
        const auto drawnNow = [&] {
            return iconColour(static_cast<Gtk::Image*>(bulb)->property_surface().get_value());
        };
        const auto near = [&](const std::optional<Gdk::RGBA>& colour) {
            return colour && std::abs(colour->get_red() - expected.get_red()) <= 0.02 &&
                   std::abs(colour->get_green() - expected.get_green()) <= 0.02 &&
                   std::abs(colour->get_blue() - expected.get_blue()) <= 0.02;
        };
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        auto drawn = drawnNow();
        while (!near(drawn) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            test::settle();
            drawn = drawnNow();
        }
        EXPECT_TRUE(near(drawn)) << (drawn ? drawn->to_string() : "no icon drawn") << ", not " << yellow;
    }
}

TEST(ThemeIsDark, ByPreferenceThemeNameOrOverride) {
    EXPECT_FALSE(themeIsDark(false, "Adwaita", ""));
    EXPECT_TRUE(themeIsDark(true, "Adwaita", ""));
    EXPECT_TRUE(themeIsDark(false, "Arc-Dark", ""));
    EXPECT_TRUE(themeIsDark(false, "Adwaita", "Adwaita:dark"));
    // GTK_THEME replaces the theme and its variant: the preference no longer counts.
    EXPECT_FALSE(themeIsDark(true, "Adwaita", "Adwaita"));
}

}  // namespace
}  // namespace qb::desktop
