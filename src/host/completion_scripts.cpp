#include "host/completion_scripts.hpp"

#include <algorithm>
#include <utility>

#include <fmt/format.h>

#include "host/cli.hpp"
#include "host/widget_catalog.hpp"

namespace qb::host {
namespace {

using Words = std::vector<std::string>;

// A name and its words, and a name with words for each key: what each shell writes as a variable.
struct Tables {
    std::vector<std::pair<std::string, Words>> lists;
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, Words>>>> maps;
};

// Where an option's values come from; nothing for values that cannot be offered (a port, a row).
std::string_view valuesOf(std::string_view option) {
    if (option == "--format") return "formats";
    if (option == "--family") return "families";
    if (option == "--rendering-mode") return "modes";
    if (option == "--set") return "parameters";
    if (option == "--home") return "directories";
    if (option == "--config") return "files";
    return "";
}

// The options that every command takes, which may also stand before the command.
Words commonOptions() {
    Words common;
    for (const auto& option : optionsOf(allCommands().front())) common.emplace_back(option.name);
    for (auto command : allCommands()) {
        const auto options = optionsOf(command);
        std::erase_if(common, [&](const std::string& name) {
            return std::none_of(options.begin(), options.end(),
                                [&](const auto& o) { return o.name == name; });
        });
    }
    return common;
}

Tables tablesOf(const std::vector<AnyWidget>& widgets) {
    Words commands, valued, kinds;
    std::vector<std::pair<std::string, Words>> options, formats, arguments, parameters, values;
    for (auto command : allCommands()) {
        const std::string name(commandName(command));
        commands.push_back(name);
        Words names;
        for (const auto& option : optionsOf(command)) {
            names.emplace_back(option.name);
            if (!option.takesValue || std::find(valued.begin(), valued.end(), option.name) != valued.end())
                continue;
            valued.emplace_back(option.name);
            if (auto source = valuesOf(option.name); !source.empty())
                values.push_back({std::string(option.name), {std::string(source)}});
        }
        options.push_back({name, names});
        Words printed;
        for (const auto& format : formatsOf(command)) printed.emplace_back(format.name);
        formats.push_back({name, printed});
        arguments.push_back({name, {std::string(commandRow(command).completes)}});
    }
    for (const auto& widget : widgets) {
        kinds.push_back(widget.kind());
        kinds.push_back(shortName(widget.kind()));
        Words names;
        for (const auto& parameter : widget.parameters()) names.push_back(parameter.name);
        parameters.push_back({shortName(widget.kind()), names});
    }
    Words topOptions = commonOptions();
    topOptions.insert(topOptions.begin(), "--version");
    Words modes;
    for (auto mode :
         {WidgetRenderingMode::fullColor, WidgetRenderingMode::accented, WidgetRenderingMode::vibrant})
        modes.emplace_back(name(mode));
    const auto shells = completionShells();
    Tables tables;
    tables.lists = {{"commands", commands},
                    {"top_options", topOptions},
                    {"valued", valued},
                    {"kinds", kinds},
                    {"families", familyWords()},
                    {"modes", modes},
                    {"shells", Words(shells.begin(), shells.end())}};
    tables.maps = {{"options", options},
                   {"formats", formats},
                   {"arguments", arguments},
                   {"parameters", parameters},
                   {"values", values}};
    return tables;
}

// The words in single quotes (none of them holds one: they are names from the tables).
std::string quoted(const Words& words, std::string_view separator = " ") {
    std::string text;
    for (const auto& word : words) text += fmt::format("{}'{}'", text.empty() ? "" : separator, word);
    return text;
}

std::string joined(const Words& words) {
    std::string text;
    for (const auto& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string bashTables(const Tables& tables) {
    std::string text;
    for (const auto& [name, words] : tables.lists) text += fmt::format("_qbw_{}=({})\n", name, quoted(words));
    for (const auto& [name, entries] : tables.maps) {
        text += fmt::format("declare -gA _qbw_{}=(", name);
        for (const auto& [key, words] : entries) text += fmt::format(" ['{}']='{}'", key, joined(words));
        text += " )\n";
    }
    return text;
}

std::string zshTables(const Tables& tables) {
    std::string text;
    for (const auto& [name, words] : tables.lists)
        text += fmt::format("typeset -ga _qbw_{}=({})\n", name, quoted(words));
    for (const auto& [name, entries] : tables.maps) {
        text += fmt::format("typeset -gA _qbw_{}=(", name);
        for (const auto& [key, words] : entries) text += fmt::format(" '{}' '{}'", key, joined(words));
        text += " )\n";
    }
    return text;
}

// fish has no maps: a variable per key, named by the key with dashes as underscores.
std::string fishTables(const Tables& tables) {
    std::string text;
    for (const auto& [name, words] : tables.lists)
        text += fmt::format("set -g __qbw_{} {}\n", name, quoted(words));
    for (const auto& [name, entries] : tables.maps) {
        for (const auto& [key, words] : entries) {
            std::string variable = key;
            std::replace(variable.begin(), variable.end(), '-', '_');
            text += fmt::format("set -g __qbw_{}_{} {}\n", name, variable, quoted(words));
        }
    }
    return text;
}

}  // namespace

std::string completionScript(std::string_view shell, const std::vector<AnyWidget>& widgets) {
    const auto tables = tablesOf(widgets);
    const std::string made = fmt::format(
        "# {} completion for quillbrook-widgets, made by `quillbrook-widgets completions {}` from the\n"
        "# program's own tables: edit those, not this.\n\n",
        shell, shell);
    if (shell == "bash") return made + bashTables(tables) + "\n" + std::string(bashCompletionCode());
    if (shell == "zsh")
        return "#compdef quillbrook-widgets\n" + made + zshTables(tables) + "\n" +
               std::string(zshCompletionCode());
    return made + fishTables(tables) + "\n" + std::string(fishCompletionCode());
}

}  // namespace qb::host
