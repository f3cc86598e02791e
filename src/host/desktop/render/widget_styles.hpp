#pragma once

// The desktop widgets' look: text sizes by font role and the style sheet for light or dark, which
// the dashboard's styles match (the same sizes, spacings and colours).

#include <string>
#include <string_view>

#include "ui/style.hpp"

namespace qb::desktop {

// The pixel size of a font role's text.
int fontPixels(ui::Font font);

// The style sheet of the widgets' GTK widgets, with the colours for a light or a dark desktop.
std::string widgetStyleSheet(bool dark);

// Whether a theme asks for dark colours: an application's preference for the dark variant, a theme
// named "…-dark" (in any letter case), or a GTK_THEME override of either form ("Adwaita:dark").
bool themeIsDark(bool preferDark, std::string_view themeName, std::string_view themeOverride);

}  // namespace qb::desktop
