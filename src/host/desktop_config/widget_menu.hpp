#pragma once

// What the right-click menu on a desktop widget offers, as data: its parameters' choices, its sizes,
// removing it and adding another widget; and how a choice changes desktop.ini. The GTK menu only shows
// this, so that the choices and their effect on the file are the same with or without a display.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/desktop_config/desktop_config.hpp"
#include "host/desktop_config/key_file_text.hpp"

namespace qb::host {

struct SetParameter {
    std::string name;
    std::string value;
    friend bool operator==(const SetParameter&, const SetParameter&) = default;
};
struct SetFamily {
    WidgetFamily family;
    friend bool operator==(const SetFamily&, const SetFamily&) = default;
};
struct RemoveWidget {
    friend bool operator==(const RemoveWidget&, const RemoveWidget&) = default;
};
struct AddWidget {
    std::string kind;
    friend bool operator==(const AddWidget&, const AddWidget&) = default;
};
using WidgetChange = std::variant<SetParameter, SetFamily, RemoveWidget, AddWidget>;

struct MenuChoice {
    std::string label;
    bool checked = false;
    WidgetChange change;
    bool enabled = true;
};

// A submenu. A long list shows its first choices and a search over all of them.
struct ChoiceList {
    std::string title;
    std::vector<MenuChoice> choices;
    std::optional<std::string> searchParameter;  // the parameter a search looks through
};

struct WidgetMenu {
    std::string title;              // the widget's name
    std::vector<ChoiceList> lists;  // each parameter, then the sizes, then the widgets to add
    MenuChoice remove;              // disabled for the last widget, which holds the only menu there is
    std::optional<std::string> cannotSave;  // set: every choice is shown but none can be taken
};

// A list of more choices than this shows this many and a search.
inline constexpr std::size_t menuChoiceLimit = 10;

WidgetMenu widgetMenu(const DesktopWidget& widget, const std::vector<AnyWidget>& widgets);

// The choices of a parameter whose title or id contains the search text (the widget's own query).
std::vector<MenuChoice> searchedChoices(const DesktopWidget& widget, const AnyWidget& type,
                                        const std::string& parameter, const std::string& search);

// The change made to the file's text. A new widget joins the same output and anchor, in a group of its
// own name.
void applyChange(KeyFileText& file, const DesktopWidget& widget, const WidgetChange& change,
                 const std::vector<AnyWidget>& widgets);

}  // namespace qb::host
