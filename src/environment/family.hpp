#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The size class of a widget instance.
enum class WidgetFamily { systemSmall, systemMedium, systemLarge, systemExtraLarge, accessoryRectangular };

// How the host draws the widget: in its own colours, or tinted by the desktop's accent.
enum class WidgetRenderingMode { fullColor, accented, vibrant };

// The family's name in JSON and the files the widgets' hosts share ("systemExtraLarge"), which scripts
// rely on.
std::string_view name(WidgetFamily family);
// The name a person types ("extra-large"), which the help, the completions and the errors offer.
std::string_view shortName(WidgetFamily family);
// The family in prose ("extra large"), an English key of the string table.
std::string_view familyLabel(WidgetFamily family);
// The families a widget may come in on the desktop, smallest first.
std::vector<WidgetFamily> systemFamilies();
// "small, medium, large or extra-large": the short names, for a message that says what to use, the last
// joined by `lastSeparator` (" or " in the message's language).
std::string familyChoices(std::string_view lastSeparator = " or ");

// A family by any of the names a person may give it, ignoring letter case, blanks, hyphens and
// underscores: its name ("systemExtraLarge"), its short name with or without "system" ("extra-large",
// "extraLarge", "extra large"), or "xl".
std::optional<WidgetFamily> widgetFamilyNamed(std::string_view name);

std::string_view name(WidgetRenderingMode mode);
// A rendering mode by its name, forgiving in the same way ("fullColor", "full-color", "FULLCOLOR").
std::optional<WidgetRenderingMode> renderingModeNamed(std::string_view name);

// The text as names compare: ASCII letters in lower case, without blanks, hyphens and underscores.
std::string comparableName(std::string_view text);

}  // namespace qb
