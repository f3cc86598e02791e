#include "host/widget_catalog.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

std::string listOf(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) text += (i > 0 ? ", " : "") + names[i];
    return text;
}

// The ids of a parameter's choices, each once and in order, quoted; after the first eight, how many more
// there are and where to see them, so that the line stays short without cutting a name.
std::string choiceList(const AnyWidget& widget, const std::string& parameter,
                       const std::vector<ParameterOption>& options) {
    constexpr std::size_t shown = 8;
    std::vector<std::string> ids;
    for (const auto& option : options)
        if (std::find(ids.begin(), ids.end(), option.id) == ids.end()) ids.push_back(option.id);
    std::vector<std::string> listed;
    for (std::size_t i = 0; i < std::min(shown, ids.size()); ++i) listed.push_back(quotedForMessage(ids[i]));
    std::string text = listOf(listed);
    if (ids.size() > shown)
        text += localizedMessage(" (and {} more; see options {} {})", ids.size() - shown,
                                 shortName(widget.kind()), parameter);
    return text;
}

std::vector<ParameterOption> optionsOf(const AnyWidget& widget, const std::string& parameter) {
    return widget.options(parameter).value_or(std::vector<ParameterOption>{});
}

// The choices of a parameter, for the line that refuses a value.
std::string choicesOf(const AnyWidget& widget, const std::string& parameter) {
    const auto options = optionsOf(widget, parameter);
    return options.empty() ? localized("there are no choices")
                           : localizedMessage("use {}", choiceList(widget, parameter, options));
}

// The notice for an entity id that the widget's query does not suggest; nothing for a suggested one.
std::optional<std::string> unsuggestedNotice(const AnyWidget& widget, const ParameterInfo& parameter,
                                             const std::string& id) {
    const auto options = optionsOf(widget, parameter.name);
    std::string titleOf;
    for (const auto& option : options) {
        if (option.id == id) return std::nullopt;
        if (option.title == id && titleOf.empty())
            titleOf = localizedMessage(" ({} is the title of {})", quotedForMessage(id),
                                       quotedForMessage(option.id));
    }
    return localizedMessage(
        "note: {} does not suggest the {} {}{}, so it shows its empty state unless something is filed "
        "under that id; suggested: {}",
        widget.kind(), parameter.name, quotedForMessage(id), titleOf,
        options.empty() ? localized("none") : choiceList(widget, parameter.name, options));
}

}  // namespace

const AnyWidget* findWidget(const std::vector<AnyWidget>& widgets, std::string_view name) {
    for (const auto& widget : widgets)
        if (widget.kind() == name) return &widget;
    // Any letter case, with or without blanks, hyphens and underscores ("reading-list").
    const std::string given = comparableName(name);
    for (const auto& widget : widgets)
        if (comparableName(widget.kind()) == given || shortName(widget.kind()) == given) return &widget;
    return nullptr;
}

UsageError unknownWidget(const std::vector<AnyWidget>& widgets, std::string_view name) {
    if (widgets.empty())
        return {localizedMessage("unknown widget {}; this build has no widgets", quotedForMessage(name))};
    std::vector<std::string> kinds, shortNames;
    for (const auto& widget : widgets) {
        kinds.push_back(widget.kind());
        shortNames.push_back(shortName(widget.kind()));
    }
    return {localizedMessage("unknown widget {}; use {} (or {})", quotedForMessage(name), listOf(kinds),
                             listOf(shortNames))};
}

std::variant<std::vector<const AnyWidget*>, UsageError> selectWidgets(const std::vector<AnyWidget>& widgets,
                                                                      const std::vector<std::string>& names) {
    std::vector<const AnyWidget*> selected;
    if (names.empty()) {
        for (const auto& widget : widgets) selected.push_back(&widget);
        return selected;
    }
    for (const auto& name : names) {
        const AnyWidget* widget = findWidget(widgets, name);
        if (!widget) return unknownWidget(widgets, name);
        if (std::find(selected.begin(), selected.end(), widget) == selected.end()) selected.push_back(widget);
    }
    return selected;
}

std::variant<std::vector<WidgetFamily>, UsageError> familiesFor(const AnyWidget& widget,
                                                                const std::vector<WidgetFamily>& asked) {
    const auto& supported = widget.families();
    if (asked.empty()) return supported;
    for (auto family : asked) {
        if (std::find(supported.begin(), supported.end(), family) == supported.end()) {
            std::vector<std::string> names;
            for (auto f : supported) names.emplace_back(shortName(f));
            return UsageError{localizedMessage("{} does not come in the family {}; use {}", widget.kind(),
                                               shortName(family), listOf(names))};
        }
    }
    return asked;
}

std::variant<std::vector<WidgetInstance>, UsageError> configuredInstances(
    const std::vector<const AnyWidget*>& widgets, const std::vector<Setting>& settings) {
    std::vector<WidgetInstance> instances;
    for (const auto* widget : widgets) instances.push_back(widget->makeInstance());
    for (const auto& setting : settings) {
        bool applied = false;
        for (std::size_t i = 0; i < widgets.size(); ++i) {
            const auto& parameters = widgets[i]->parameters();
            const bool has = std::any_of(parameters.begin(), parameters.end(),
                                         [&](const ParameterInfo& p) { return p.name == setting.name; });
            if (!has) continue;
            if (!instances[i].set(setting.name, setting.value))
                return UsageError{localizedMessage("{} is not a choice for the parameter {} of {}; {}",
                                                   quotedForMessage(setting.value), setting.name,
                                                   widgets[i]->kind(), choicesOf(*widgets[i], setting.name))};
            applied = true;
        }
        if (!applied) {
            std::vector<std::string> known;
            for (const auto* widget : widgets)
                for (const auto& parameter : widget->parameters())
                    known.push_back(fmt::format("{} ({})", parameter.name, widget->kind()));
            return UsageError{localizedMessage("unknown parameter {}; {}", quotedForMessage(setting.name),
                                               known.empty() ? localized("these widgets have no parameters")
                                                             : localizedMessage("use {}", listOf(known)))};
        }
    }
    return instances;
}

std::variant<ChosenWidget, UsageError> chosenWidget(const std::vector<AnyWidget>& widgets,
                                                    const CommandLine& line) {
    const AnyWidget* widget = findWidget(widgets, line.arguments.front());
    if (!widget) return unknownWidget(widgets, line.arguments.front());
    const WidgetFamily family = line.families.empty() ? WidgetFamily::systemMedium : line.families.front();
    if (auto families = familiesFor(*widget, {family}); auto* error = std::get_if<UsageError>(&families))
        return *error;
    auto instances = configuredInstances({widget}, line.settings);
    if (auto* error = std::get_if<UsageError>(&instances)) return *error;
    return ChosenWidget{widget, std::move(std::get<std::vector<WidgetInstance>>(instances).front()), family};
}

std::vector<std::string> unsuggestedChoiceNotices(const std::vector<const AnyWidget*>& widgets,
                                                  const std::vector<Setting>& settings) {
    std::vector<std::string> notices;
    for (std::size_t s = 0; s < settings.size(); ++s) {
        const auto& setting = settings[s];
        // A later setting of the same name replaces this one.
        if (std::any_of(settings.begin() + static_cast<std::ptrdiff_t>(s) + 1, settings.end(),
                        [&](const Setting& later) { return later.name == setting.name; }))
            continue;
        for (const auto* widget : widgets)
            for (const auto& parameter : widget->parameters())
                if (parameter.isEntity && parameter.name == setting.name)
                    if (auto notice = unsuggestedNotice(*widget, parameter, setting.value))
                        notices.push_back(*notice);
    }
    return notices;
}

}  // namespace qb::host
