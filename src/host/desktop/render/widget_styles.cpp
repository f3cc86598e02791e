#include "host/desktop/render/widget_styles.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>

#include <gtkmm/cssprovider.h>
#include <gtkmm/settings.h>
#include <gtkmm/stylecontext.h>

#include "host/desktop/render/widget_view.hpp"
#include "platform/log.hpp"

namespace qb::desktop {
namespace {

// The named colours and the accent, for a light and a dark desktop (the dashboard's).
struct Palette {
    std::string_view red, orange, yellow, green, blue, purple, gray, accent;
};
constexpr Palette lightPalette{"#ff3b30", "#ff9500", "#f5b900", "#34c759",
                               "#007aff", "#af52de", "#8e8e93", "#2f7cf6"};
constexpr Palette darkPalette{"#ff453a", "#ff9f0a", "#ffd60a", "#30d158",
                              "#0a84ff", "#bf5af2", "#98989d", "#5b9dff"};

constexpr std::array fonts{ui::Font::body,    ui::Font::largeTitle, ui::Font::title3,  ui::Font::headline,
                           ui::Font::callout, ui::Font::caption,    ui::Font::caption2};

std::string paletteColors(const Palette& palette) {
    return fmt::format(
        "@define-color qb_red {};\n@define-color qb_orange {};\n@define-color qb_yellow {};\n"
        "@define-color qb_green {};\n@define-color qb_blue {};\n@define-color qb_purple {};\n"
        "@define-color qb_gray {};\n@define-color qb_accent {};\n",
        palette.red, palette.orange, palette.yellow, palette.green, palette.blue, palette.purple,
        palette.gray, palette.accent);
}

// The text sizes, one class per font role; headlines are semibold unless a weight says otherwise.
std::string fontRules() {
    std::string rules;
    for (ui::Font font : fonts)
        rules += fmt::format(".qb-widget .f-{} {{ font-size: {}px;{} }}\n", ui::fontName(font),
                             fontPixels(font), font == ui::Font::headline ? " font-weight: 600;" : "");
    return rules;
}

// Everything that does not change between light and dark. The levels of the foreground are the
// theme's own text colour at three strengths (secondary 85 % and tertiary 70 % of it, as in the
// dashboard's style sheet), so that a theme's colours always read on its own background and the faintest
// level stays above 4.5:1 on the default theme, light or dark; a tinted widget draws white on its tinted
// fill instead.
constexpr std::string_view commonRules = R"CSS(
.qb-widget {
  color: @theme_fg_color; font-size: 13px; border-radius: 22px; padding: 0;
  background-color: transparent; background-image: none;
}
.qb-widget .qb-content { padding: 14px; }
.qb-widget.qb-fill {
  background-color: alpha(@theme_base_color, 0.9);
  box-shadow: inset 0 0 0 1px alpha(@theme_fg_color, 0.1);
}
.qb-widget .c-primary { color: @theme_fg_color; }
.qb-widget .c-secondary { color: alpha(@theme_fg_color, 0.85); }
.qb-widget .c-tertiary { color: alpha(@theme_fg_color, 0.7); }
.qb-widget separator.qb-divider {
  background-color: alpha(@theme_fg_color, 0.1); background-image: none; margin: 0; min-width: 1px; min-height: 1px;
}
.qb-widget.qb-tinted { color: rgba(255, 255, 255, 0.94); }
.qb-widget.qb-tinted.qb-fill {
  background-color: rgba(32, 52, 92, 0.82); box-shadow: inset 0 0 0 1px rgba(255, 255, 255, 0.12);
}
.qb-widget.qb-tinted .c-primary { color: rgba(255, 255, 255, 0.94); }
.qb-widget.qb-tinted .c-secondary { color: rgba(255, 255, 255, 0.8); }
.qb-widget.qb-tinted .c-tertiary { color: rgba(255, 255, 255, 0.66); }
.qb-widget.qb-tinted separator.qb-divider { background-color: rgba(255, 255, 255, 0.18); }
.qb-widget .c-red { color: @qb_red; } .qb-widget .c-orange { color: @qb_orange; }
.qb-widget .c-yellow { color: @qb_yellow; } .qb-widget .c-green { color: @qb_green; }
.qb-widget .c-blue { color: @qb_blue; } .qb-widget .c-purple { color: @qb_purple; }
.qb-widget .c-gray { color: @qb_gray; } .qb-widget .c-white { color: #ffffff; }
.qb-widget .c-clear { color: transparent; }
.qb-widget .b-red { background-color: @qb_red; } .qb-widget .b-orange { background-color: @qb_orange; }
.qb-widget .b-yellow { background-color: @qb_yellow; } .qb-widget .b-green { background-color: @qb_green; }
.qb-widget .b-blue { background-color: @qb_blue; } .qb-widget .b-purple { background-color: @qb_purple; }
.qb-widget .b-gray { background-color: @qb_gray; } .qb-widget .b-white { background-color: #ffffff; }
.qb-widget .b-clear { background-color: transparent; }
/* A capsule carries white text (a count): the deep shade of its colour, as in the dashboard. */
.qb-widget .qb-capsule.b-red { background-color: #d70015; }
.qb-widget .qb-capsule.b-orange { background-color: #c93400; }
.qb-widget .qb-capsule.b-yellow { background-color: #a05a00; }
.qb-widget .qb-capsule.b-green { background-color: #1f7a36; }
.qb-widget .qb-capsule.b-blue { background-color: #0060df; }
.qb-widget .qb-capsule.b-purple { background-color: #8944ab; }
.qb-widget .qb-capsule.b-gray { background-color: #6c6c70; }
.qb-widget .w-regular { font-weight: 400; }
.qb-widget .w-semibold { font-weight: 600; }
.qb-widget .qb-circle, .qb-widget .qb-capsule { border-radius: 9999px; }
.qb-widget.qb-tinted .qb-accent.qb-t, .qb-widget.qb-tinted .qb-accent.qb-sym { color: @qb_accent_tinted; }
.qb-widget.qb-tinted .qb-accent.qb-circle, .qb-widget.qb-tinted .qb-accent.qb-capsule {
  background-color: @qb_accent_tinted;
}
.qb-widget button.qb-link {
  padding: 0; margin: 0; min-width: 0; min-height: 0; border: none; border-radius: 6px; box-shadow: none;
  background-color: transparent; background-image: none; text-shadow: none; -gtk-icon-shadow: none;
  outline-width: 0; transition: none;
}
.qb-widget button.qb-link:hover { background-color: alpha(@theme_fg_color, 0.08); }
.qb-widget button.qb-link:active { background-color: alpha(@theme_fg_color, 0.14); }
.qb-widget.qb-tinted button.qb-link:hover { background-color: rgba(255, 255, 255, 0.14); }
.qb-widget button.qb-link:focus { outline-color: @qb_accent; outline-style: solid; outline-width: 2px; outline-offset: 0; }
button.qb-widget-link {
  padding: 0; margin: 0; min-width: 0; min-height: 0; border: none; border-radius: 22px; box-shadow: none;
  background-color: transparent; background-image: none; text-shadow: none; -gtk-icon-shadow: none;
  outline-width: 0; transition: none;
}
)CSS";

const Logger& logger() {
    static const Logger log(logSubsystem, "desktop");
    return log;
}

// Keeps the one provider and reloads it when the theme's preference changes.
class StyleSheet {
  public:
    StyleSheet() : provider_(Gtk::CssProvider::create()) {
        provider_->signal_parsing_error().connect(
            [](const Glib::RefPtr<const Gtk::CssSection>& section, const Glib::Error& error) {
                logger().error(fmt::format("widget style sheet, line {}: {}",
                                           section ? section->get_start_line() + 1 : 0, error.what().raw()));
            });
        auto settings = Gtk::Settings::get_default();
        load();
        Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider_,
                                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        settings->property_gtk_application_prefer_dark_theme().signal_changed().connect([this] { load(); });
        settings->property_gtk_theme_name().signal_changed().connect([this] { load(); });
    }

  private:
    void load() {
        const auto settings = Gtk::Settings::get_default();
        const char* override = std::getenv("GTK_THEME");
        const bool dark =
            themeIsDark(settings->property_gtk_application_prefer_dark_theme().get_value(),
                        settings->property_gtk_theme_name().get_value().raw(), override ? override : "");
        if (loaded_ && *loaded_ == dark) return;
        loaded_ = dark;
        try {
            provider_->load_from_data(widgetStyleSheet(dark));
        } catch (const Glib::Error& error) {
            logger().error("widget style sheet not loaded: " + error.what().raw());
        }
    }

    Glib::RefPtr<Gtk::CssProvider> provider_;
    std::optional<bool> loaded_;
};

}  // namespace

int fontPixels(ui::Font font) {
    switch (font) {
        case ui::Font::largeTitle:
            return 26;
        case ui::Font::title3:
            return 15;
        case ui::Font::callout:
            return 12;
        case ui::Font::caption:
            return 10;
        case ui::Font::caption2:
            return 9;
        case ui::Font::body:
        case ui::Font::headline:
            break;
    }
    return 13;
}

std::string widgetStyleSheet(bool dark) {
    std::string sheet = paletteColors(dark ? darkPalette : lightPalette);
    sheet += "@define-color qb_accent_tinted #8fc1ff;\n";
    sheet += fontRules();
    sheet += commonRules;
    return sheet;
}

bool themeIsDark(bool preferDark, std::string_view themeName, std::string_view themeOverride) {
    const auto lower = [](std::string_view text) {
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return out;
    };
    if (!themeOverride.empty()) {
        const std::string theme = lower(themeOverride);
        return theme.ends_with(":dark") || theme.ends_with("-dark");
    }
    return preferDark || lower(themeName).ends_with("-dark");
}

void installWidgetStyles() {
    static StyleSheet sheet;
}

}  // namespace qb::desktop
