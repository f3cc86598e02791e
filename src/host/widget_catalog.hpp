#pragma once

// Finding the widgets a command names and configuring their instances from --set.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/cli.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

// The widget whose kind is `name` ("FavoritesWidget"), or whose kind or short name it is in any letter
// case, blanks, hyphens and underscores aside ("favorites", "reading-list"); nothing otherwise.
const AnyWidget* findWidget(const std::vector<AnyWidget>& widgets, std::string_view name);

// The widgets named (each once, in the order named), or all of them for no names; or what is wrong.
std::variant<std::vector<const AnyWidget*>, UsageError> selectWidgets(const std::vector<AnyWidget>& widgets,
                                                                      const std::vector<std::string>& names);

// The family check: the families asked for, or all of the widget's; or which one it does not support.
std::variant<std::vector<WidgetFamily>, UsageError> familiesFor(const AnyWidget& widget,
                                                                const std::vector<WidgetFamily>& asked);

// An instance of each widget with the settings applied. A setting applies to every widget that has a
// parameter of its name; it is an error when none has, or when an enumeration's value names none of its
// cases. An entity parameter takes any id, as a stored configuration would name it.
std::variant<std::vector<WidgetInstance>, UsageError> configuredInstances(
    const std::vector<const AnyWidget*>& widgets, const std::vector<Setting>& settings);

// One line for each entity setting (the last of its name) whose id the widget's query does not
// suggest: the widget keeps the id and shows its empty state unless something is filed under it, so a
// person should learn why, and which ids are suggested.
std::vector<std::string> unsuggestedChoiceNotices(const std::vector<const AnyWidget*>& widgets,
                                                  const std::vector<Setting>& settings);

// The one widget a command such as timeline, watch or open names, configured from --set, with its family
// (systemMedium unless one is given); or what is wrong.
struct ChosenWidget {
    const AnyWidget* widget;
    WidgetInstance instance;
    WidgetFamily family;
};
std::variant<ChosenWidget, UsageError> chosenWidget(const std::vector<AnyWidget>& widgets,
                                                    const CommandLine& line);

// "unknown widget ..." with the kinds and short names to use.
UsageError unknownWidget(const std::vector<AnyWidget>& widgets, std::string_view name);

}  // namespace qb::host
