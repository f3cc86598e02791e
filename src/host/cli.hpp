#pragma once

// The program's command line: a command, its arguments and options, checked before anything runs.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "environment/family.hpp"

namespace qb::host {

enum class Command {
    list,
    options,
    placeholder,
    snapshot,
    timeline,
    render,
    demo,
    serve,
    watch,
    open,
    desktop,
    completions
};
// `automatic`: styled when writing to a terminal that allows colours, plain otherwise.
enum class OutputFormat { automatic, text, ansi, json, tree, html, waybar };

struct Setting {
    std::string name;
    std::string value;
    friend bool operator==(const Setting&, const Setting&) = default;
};

struct CommandLine {
    std::optional<Command> command;  // none with --help alone
    std::vector<std::string> arguments;
    std::vector<Setting> settings;
    std::vector<WidgetFamily> families;
    OutputFormat format = OutputFormat::automatic;
    WidgetRenderingMode renderingMode = WidgetRenderingMode::fullColor;
    std::optional<std::filesystem::path> home;
    std::optional<std::string> feedBase;
    std::optional<std::string> search;
    int port = 8642;
    std::optional<int> row;                       // open: the row whose link to open, from 1
    std::optional<std::filesystem::path> config;  // desktop: the widgets' file instead of desktop.ini
    bool demo = false;
    bool verbose = false;
    bool help = false;
    bool version = false;  // --version: the program's name and version
    friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

// What was wrong, in one line that also says what is allowed.
struct UsageError {
    std::string message;
};

// The command line (without the program name), or what is wrong with it.
std::variant<CommandLine, UsageError> parseCommandLine(const std::vector<std::string>& arguments);

// The help of the program (no command) or of one command, in the user's language.
std::string helpText(std::optional<Command> command);

// The command line's own words, from which the help, the completion scripts and the errors are made.
// A command: its name, what follows the name in its usage line, what the completions complete after it
// ("kind", "kinds", "kind parameter", "shell" or nothing) and what it does (an English key of the string
// table), in the one table of the commands.
struct CommandRow {
    Command command;
    std::string_view name;
    std::string_view synopsis;
    std::string_view completes;
    std::string_view summary;
};
const CommandRow& commandRow(Command command);
std::string_view commandName(Command command);
std::vector<Command> allCommands();

struct OptionRow {
    std::string_view name;
    bool takesValue;
};
std::vector<OptionRow> optionsOf(Command command);  // the options every command takes included
// An output format's name ("json") and what it is (an English key; empty where the name says it).
struct FormatRow {
    OutputFormat format;
    std::string_view name;
    std::string_view meaning;
};
std::vector<FormatRow> formatsOf(std::optional<Command> command);  // all of them for no command
std::vector<std::string> familyWords();                            // the full names, then the short ones
std::vector<std::string_view> completionShells();

// A family a widget may come in on the desktop, by any name widgetFamilyNamed() takes ("small", "xl",
// "Extra-Large", "systemExtraLarge"): the one lookup for the command line, desktop.ini and the dashboard's
// parameters; their refusal names familyChoices().
std::optional<WidgetFamily> familyNamed(std::string_view text);

// A kind's short name: "ReadingListWidget" -> "readinglist".
std::string shortName(std::string_view kind);

// A feed base is scheme://host[:port] with the scheme http or https and nothing after the port.
bool isValidFeedBase(std::string_view text);

}  // namespace qb::host
