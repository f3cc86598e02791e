#include "host/text_output.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <string_view>

#include <fmt/format.h>

#include "host/render/display_text.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

// An environment variable's value, empty when it is not set.
std::string_view environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

std::string requestName(RequestKind kind) {
    switch (kind) {
        case RequestKind::placeholder:
            return "placeholder";
        case RequestKind::snapshot:
            return "snapshot";
        case RequestKind::timeline:
            return "timeline";
    }
    return {};
}

// One field of an entry in a few words: scalars as they are, lists by their length, records by their
// title when they have one.
std::string fieldSummary(const nlohmann::json& value) {
    if (value.is_null()) return localized("none");
    if (value.is_string()) return truncateToWidth(inertText(value.get<std::string>()), 70);
    if (value.is_array())
        return value.size() == 1 ? localized("1 element")
                                 : localized("%lld elements", static_cast<std::int64_t>(value.size()));
    if (value.is_object()) {
        for (const char* key : {"title", "displayTitle", "name"})
            if (auto found = value.find(key); found != value.end() && found->is_string())
                return truncateToWidth(inertText(found->get<std::string>()), 70);
        return localized("%lld fields", static_cast<std::int64_t>(value.size()));
    }
    return value.dump();
}

}  // namespace

std::string widgetsText(const std::vector<AnyWidget>& widgets) {
    if (widgets.empty()) return localized("No widgets are registered in this build.") + "\n";
    std::string text;
    for (const auto& widget : widgets) {
        if (!text.empty()) text += '\n';
        std::string families;
        for (auto family : widget.families())
            families += (families.empty() ? "" : ", ") + std::string(shortName(family));
        text += fmt::format("{}  {}\n  {}\n  {}\n", widget.kind(), localized(widget.displayName()),
                            localized(widget.description()), localizedMessage("families: {}", families));
        if (widget.parameters().empty()) text += "  " + localized("parameters: none") + "\n";
        for (const auto& parameter : widget.parameters()) {
            text +=
                "  " + localizedMessage("parameter {} ({}, {}), default {}", parameter.name,
                                        localized(parameter.title), localized(parameter.typeDisplayName),
                                        parameter.defaultValue.empty() ? localized("none")
                                                                       : inertText(parameter.defaultValue));
            if (!parameter.isEntity) {
                text += localized("; choices:");
                for (const auto& option :
                     widget.options(parameter.name).value_or(std::vector<ParameterOption>{}))
                    text += " " + option.id;
            } else {
                text += localizedMessage("; see: options {} {}", widget.kind(), parameter.name);
            }
            text += '\n';
        }
    }
    return text;
}

std::string optionsText(const std::vector<ParameterOption>& options) {
    if (options.empty()) return localized("No choices.") + "\n";
    std::string text;
    for (const auto& option : options)
        text += fmt::format("{}\t{}\n", inertText(option.id), inertText(option.title));
    return text;
}

std::string answerSummary(const Answer& answer) {
    std::string text =
        localizedMessage("{} ({}): {} for {}", localized(answer.widget->displayName()), answer.widget->kind(),
                         requestName(answer.kind), localized(familyLabel(answer.family))) +
        "\n";
    for (const auto& entry : answer.entries) {
        text += "  " + localizedMessage("entry at {}", iso8601(entry.date)) + "\n";
        if (entry.json.is_object())
            for (const auto& [key, value] : entry.json.items())
                if (key != "date") text += fmt::format("    {}: {}\n", key, fieldSummary(value));
    }
    if (answer.policy)
        text += "  " + localizedMessage("ask again after {}", iso8601(answer.policy->date)) + "\n";
    return text;
}

std::optional<TerminalTile> tileFor(const Answer& answer, WidgetRenderingMode mode) {
    if (answer.entries.empty()) return std::nullopt;
    const ui::Environment environment{answer.family, mode};
    return TerminalTile{fmt::format("{} · {}", localized(answer.widget->displayName()),
                                    localized(familyLabel(answer.family))),
                        answer.family, environment, answer.entries.front().view(environment)};
}

Styling outputStyling(OutputFormat format) {
    if (format == OutputFormat::ansi) return announcedColorDepth();
    if (format != OutputFormat::automatic || isatty(STDOUT_FILENO) != 1) return Styling::plain;
    const std::string_view term = environmentValue("TERM");
    if (!environmentValue("NO_COLOR").empty() || term.empty() || term == "dumb") return Styling::plain;
    return announcedColorDepth();
}

Styling announcedColorDepth() {
    const std::string_view colorTerm = environmentValue("COLORTERM");
    const std::string_view term = environmentValue("TERM");
    if (colorTerm == "truecolor" || colorTerm == "24bit") return Styling::trueColor;
    if (term.find("256color") != std::string_view::npos) return Styling::colors256;
    if (!term.empty() && term != "dumb") return Styling::colors16;
    return Styling::trueColor;
}

std::optional<int> outputColumns() {
    if (const std::string_view given = environmentValue("COLUMNS"); !given.empty()) {
        int columns = 0;
        const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), columns);
        if (error == std::errc{} && end == given.data() + given.size() && columns > 0) return columns;
    }
    if (isatty(STDOUT_FILENO) != 1) return std::nullopt;
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace qb::host
