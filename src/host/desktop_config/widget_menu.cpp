#include "host/desktop_config/widget_menu.hpp"

#include <algorithm>

#include "host/widget_catalog.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

// The family as a menu shows it: its label in the user's language, capitalized ("Extra large").
std::string menuLabel(WidgetFamily family) {
    std::string label = localized(familyLabel(family));
    if (!label.empty() && label.front() >= 'a' && label.front() <= 'z')
        label.front() = static_cast<char>(label.front() - 'a' + 'A');
    return label;
}

MenuChoice parameterChoice(const DesktopWidget& widget, const std::string& parameter,
                           const ParameterOption& option) {
    const auto current = widget.parameters.find(parameter);
    return {option.title, current != widget.parameters.end() && current->second == option.id,
            SetParameter{parameter, option.id}};
}

ChoiceList parameterList(const DesktopWidget& widget, const AnyWidget& type, const ParameterInfo& parameter) {
    ChoiceList list{localized(parameter.title), {}, std::nullopt};
    const auto options = type.options(parameter.name).value_or(std::vector<ParameterOption>{});
    for (const auto& option : options) {
        if (list.choices.size() == menuChoiceLimit) {
            list.searchParameter = parameter.name;
            break;
        }
        list.choices.push_back(parameterChoice(widget, parameter.name, option));
    }
    // A choice the query no longer offers (a favorites group that was removed) is still the widget's:
    // it shows first, checked, so that the menu tells what the widget shows.
    const auto current = widget.parameters.find(parameter.name);
    const bool offered = std::any_of(options.begin(), options.end(), [&](const ParameterOption& option) {
        return current != widget.parameters.end() && option.id == current->second;
    });
    if (current != widget.parameters.end() && !offered)
        list.choices.insert(list.choices.begin(),
                            MenuChoice{current->second, true, SetParameter{parameter.name, current->second}});
    return list;
}

std::string uniqueGroup(const KeyFileText& file, const std::string& base) {
    std::string name = base;
    for (int n = 2; file.group(name); ++n) name = base + " " + std::to_string(n);
    return name;
}

}  // namespace

WidgetMenu widgetMenu(const DesktopWidget& widget, const std::vector<AnyWidget>& widgets) {
    const AnyWidget* type = findWidget(widgets, widget.kind);
    WidgetMenu menu{type ? localized(type->displayName()) : widget.kind,
                    {},
                    {localized("Remove Widget"), false, RemoveWidget{}},
                    {}};
    if (!type) return menu;
    for (const auto& parameter : type->parameters())
        menu.lists.push_back(parameterList(widget, *type, parameter));
    ChoiceList sizes{localized("Size"), {}, std::nullopt};
    for (auto family : type->families())
        sizes.choices.push_back({menuLabel(family), family == widget.family, SetFamily{family}});
    menu.lists.push_back(std::move(sizes));
    ChoiceList add{localized("Add Widget"), {}, std::nullopt};
    for (const auto& other : widgets)
        add.choices.push_back({localized(other.displayName()), false, AddWidget{other.kind()}});
    menu.lists.push_back(std::move(add));
    return menu;
}

std::vector<MenuChoice> searchedChoices(const DesktopWidget& widget, const AnyWidget& type,
                                        const std::string& parameter, const std::string& search) {
    std::vector<MenuChoice> choices;
    for (const auto& option : type.options(parameter, search).value_or(std::vector<ParameterOption>{}))
        choices.push_back(parameterChoice(widget, parameter, option));
    return choices;
}

void applyChange(KeyFileText& file, const DesktopWidget& widget, const WidgetChange& change,
                 const std::vector<AnyWidget>& widgets) {
    if (const auto* set = std::get_if<SetParameter>(&change)) {
        file.setEntry(widget.group, "set." + set->name, escapedKeyFileValue(set->value));
    } else if (const auto* family = std::get_if<SetFamily>(&change)) {
        file.setEntry(widget.group, "family", shortFamilyName(family->family));
    } else if (std::holds_alternative<RemoveWidget>(change)) {
        file.removeGroup(widget.group);
    } else if (const auto* add = std::get_if<AddWidget>(&change)) {
        const AnyWidget* type = findWidget(widgets, add->kind);
        if (!type) return;
        std::vector<std::pair<std::string, std::string>> entries{
            {"kind", shortName(type->kind())},
            {"family", std::string(shortFamilyName(defaultFamily(*type)))},
            {"anchor", std::string(name(widget.anchor))}};
        if (widget.output) entries.emplace_back("output", escapedKeyFileValue(*widget.output));
        for (const auto& parameter : type->parameters())
            entries.emplace_back("set." + parameter.name, escapedKeyFileValue(parameter.defaultValue));
        file.appendGroup(uniqueGroup(file, "widget " + shortName(type->kind())), entries);
    }
}

}  // namespace qb::host
