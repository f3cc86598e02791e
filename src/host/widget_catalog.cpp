#include "host/widget_catalog.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

std::string lowercase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// "ReadingListWidget" -> "readinglist".
std::string shortName(std::string_view kind) {
    std::string lower = lowercase(kind);
    constexpr std::string_view suffix = "widget";
    if (lower.size() > suffix.size() && lower.ends_with(suffix)) lower.resize(lower.size() - suffix.size());
    return lower;
}

std::string listOf(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) text += (i > 0 ? ", " : "") + names[i];
    return text;
}

// The choices of a parameter, shortened for one line.
std::string choicesOf(const AnyWidget& widget, const std::string& parameter) {
    constexpr std::size_t shown = 8;
    std::vector<std::string> ids;
    for (const auto& option : widget.options(parameter).value_or(std::vector<ParameterOption>{}))
        ids.push_back(quotedForMessage(option.id));
    if (ids.empty()) return "there are no choices";
    std::string text =
        "use " +
        listOf({ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(std::min(shown, ids.size()))});
    if (ids.size() > shown)
        text +=
            fmt::format(" (and {} more; see options {} {})", ids.size() - shown, widget.kind(), parameter);
    return text;
}

}  // namespace

const AnyWidget* findWidget(const std::vector<AnyWidget>& widgets, std::string_view name) {
    for (const auto& widget : widgets)
        if (widget.kind() == name) return &widget;
    const std::string lower = lowercase(name);
    for (const auto& widget : widgets)
        if (lowercase(widget.kind()) == lower || shortName(widget.kind()) == lower) return &widget;
    return nullptr;
}

UsageError unknownWidget(const std::vector<AnyWidget>& widgets, std::string_view name) {
    if (widgets.empty())
        return {fmt::format("unknown widget {}; this build has no widgets", quotedForMessage(name))};
    std::vector<std::string> kinds, shortNames;
    for (const auto& widget : widgets) {
        kinds.push_back(widget.kind());
        shortNames.push_back(shortName(widget.kind()));
    }
    return {fmt::format("unknown widget {}; use {} (or {})", quotedForMessage(name), listOf(kinds),
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
            for (auto f : supported) names.emplace_back(name(f));
            return UsageError{fmt::format("{} does not come in the family {}; use {}", widget.kind(),
                                          name(family), listOf(names))};
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
                return UsageError{fmt::format("{} is not a choice for the parameter {} of {}; {}",
                                              quotedForMessage(setting.value), setting.name,
                                              widgets[i]->kind(), choicesOf(*widgets[i], setting.name))};
            applied = true;
        }
        if (!applied) {
            std::vector<std::string> known;
            for (const auto* widget : widgets)
                for (const auto& parameter : widget->parameters())
                    known.push_back(fmt::format("{} ({})", parameter.name, widget->kind()));
            return UsageError{fmt::format(
                "unknown parameter {}; {}", quotedForMessage(setting.name),
                known.empty() ? std::string("these widgets have no parameters") : "use " + listOf(known))};
        }
    }
    return instances;
}

}  // namespace qb::host
