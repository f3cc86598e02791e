#include "host/cli.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <regex>
#include <system_error>

#include <fmt/format.h>

#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

// The one table of the commands, in the order the help lists them.
constexpr std::array commands{
    CommandRow{Command::list, "list", "", "", "the widgets with their families and parameters"},
    CommandRow{Command::options, "options", "KIND PARAM [--search TEXT]", "kind parameter",
               "the choices of a parameter"},
    CommandRow{Command::placeholder, "placeholder", "KIND", "kind", "the widget's placeholder"},
    CommandRow{Command::snapshot, "snapshot", "KIND", "kind", "the widget's snapshot, as a gallery shows it"},
    CommandRow{Command::timeline, "timeline", "KIND", "kind", "the widget's timeline and when to ask again"},
    CommandRow{Command::render, "render", "[KIND...] [--family F]...", "kinds",
               "draw widgets (all, in all families, by default)"},
    CommandRow{Command::demo, "demo", "", "", "every widget from the sample files in examples/"},
    CommandRow{Command::serve, "serve", "[--port N] [--demo]", "", "a live dashboard on 127.0.0.1"},
    CommandRow{Command::watch, "watch", "KIND [--format json|waybar|text]", "kind",
               "a line each time the widget changes"},
    CommandRow{Command::open, "open", "KIND [--row N]", "kind", "open the widget's link, or row N's"},
    CommandRow{Command::desktop, "desktop", "[--config FILE]", "", "the widgets on the desktop"},
    CommandRow{Command::completions, "completions", "bash|zsh|fish", "shell",
               "the shell's completion script"},
};

constexpr std::array shells{std::string_view("bash"), std::string_view("zsh"), std::string_view("fish")};

// The one table of the output formats.
constexpr std::array formats{
    FormatRow{OutputFormat::text, "text", ""},
    FormatRow{OutputFormat::ansi, "ansi", "text with colours and links"},
    FormatRow{OutputFormat::json, "json", ""},
    FormatRow{OutputFormat::tree, "tree", "the view tree"},
    FormatRow{OutputFormat::html, "html", "a web page"},
    FormatRow{OutputFormat::waybar, "waybar", "a status bar's module"},
};

bool isRequest(Command c) {
    return c == Command::placeholder || c == Command::snapshot || c == Command::timeline;
}

// Commands about one widget instance.
bool isSingleWidget(Command c) {
    return isRequest(c) || c == Command::watch || c == Command::open;
}

// Which commands take an option; an empty list means every command.
struct OptionDefinition {
    std::string_view name;
    bool takesValue;
    std::vector<Command> commands;
};

const std::vector<OptionDefinition>& optionDefinitions() {
    using enum Command;
    static const std::vector<OptionDefinition> definitions{
        {"--help", false, {}},
        {"--verbose", false, {}},
        {"--home", true, {}},
        {"--feed-base", true, {}},
        {"--format", true, {list, options, placeholder, snapshot, timeline, render, demo, watch}},
        {"--set", true, {placeholder, snapshot, timeline, render, watch, open}},
        {"--family", true, {placeholder, snapshot, timeline, render, watch, open}},
        {"--rendering-mode", true, {placeholder, snapshot, timeline, render, demo}},
        {"--search", true, {options}},
        {"--port", true, {serve}},
        {"--demo", false, {serve}},
        {"--row", true, {open}},
        {"--config", true, {desktop}},
    };
    return definitions;
}

std::vector<OutputFormat> formatsFor(Command command) {
    using enum OutputFormat;
    switch (command) {
        case Command::list:
        case Command::options:
            return {text, json};
        case Command::demo:
            return {text, ansi};
        case Command::serve:
        case Command::open:
        case Command::desktop:
        case Command::completions:
            return {};
        case Command::watch:
            return {json, waybar, text};
        default:
            return {text, ansi, json, tree, html};
    }
}

std::string joined(const std::vector<std::string>& names, std::string_view last = " or ") {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? last : ", ";
        text += names[i];
    }
    return text;
}

// "list, options, ... or completions", for the messages that say which commands there are.
std::string commandList() {
    std::vector<std::string> names;
    for (const auto& row : commands) names.emplace_back(row.name);
    return joined(names);
}

std::string formatNames(const std::vector<FormatRow>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) names.emplace_back(row.name);
    return joined(names);
}

struct Failure {
    std::string message;
};

// Applies one option with its value to the command line; throws Failure for a bad value.
void apply(CommandLine& line, std::string_view option, const std::string& value) {
    if (option == "--help") {
        line.help = true;
    } else if (option == "--verbose") {
        line.verbose = true;
    } else if (option == "--demo") {
        line.demo = true;
    } else if (option == "--home") {
        std::error_code error;
        if (value.empty() || !std::filesystem::is_directory(value, error))
            throw Failure{localizedMessage(
                "--home {} is not an existing folder; give the home folder to read the Quillbrook files from",
                quotedForMessage(value))};
        line.home = value;
    } else if (option == "--feed-base") {
        if (!isValidFeedBase(value))
            throw Failure{localizedMessage(
                "--feed-base {} is not a feed server address; give scheme://host[:port] with the scheme "
                "http or https, e.g. https://feeds.example.org",
                quotedForMessage(value))};
        line.feedBase = value;
    } else if (option == "--format") {
        auto found = std::find_if(formats.begin(), formats.end(), [&](const auto& f) {
            return comparableName(f.name) == comparableName(value);
        });
        if (found == formats.end())
            throw Failure{localizedMessage("unknown format {}; use {}", quotedForMessage(value),
                                           formatNames(formatsOf(std::nullopt)))};
        line.format = found->format;
    } else if (option == "--set") {
        const auto equals = value.find('=');
        if (equals == std::string::npos || equals == 0)
            // No example value here: which values a parameter takes depends on the widget (see list).
            throw Failure{localizedMessage(
                "--set {} is not NAME=VALUE; write --set {}=VALUE with a VALUE that list shows for it",
                quotedForMessage(value), equals == 0 ? std::string("NAME") : escapedText(value))};
        line.settings.push_back({value.substr(0, equals), value.substr(equals + 1)});
    } else if (option == "--family") {
        auto family = familyNamed(value);
        if (!family)
            throw Failure{localizedMessage("unknown family {}; use {}", quotedForMessage(value),
                                           familyChoices(localized(" or ")))};
        // A family named again adds nothing: repeating one never multiplies the work.
        if (std::find(line.families.begin(), line.families.end(), *family) == line.families.end())
            line.families.push_back(*family);
    } else if (option == "--rendering-mode") {
        auto mode = renderingModeNamed(value);
        if (!mode)
            throw Failure{localizedMessage("unknown rendering mode {}; use fullColor, accented or vibrant",
                                           quotedForMessage(value))};
        line.renderingMode = *mode;
    } else if (option == "--search") {
        line.search = value;
    } else if (option == "--port") {
        int port = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
        if (error != std::errc() || end != value.data() + value.size() || port < 1 || port > 65535)
            throw Failure{localizedMessage("--port {} is not a port number; give a number from 1 to 65535",
                                           quotedForMessage(value))};
        line.port = port;
    } else if (option == "--row") {
        int row = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), row);
        if (error != std::errc() || end != value.data() + value.size() || row < 1)
            throw Failure{localizedMessage("--row {} is not a row number; give 1 for the first row",
                                           quotedForMessage(value))};
        line.row = row;
    } else if (option == "--config") {
        if (value.empty())
            throw Failure{localizedMessage("--config needs a file name, e.g. --config ~/widgets.ini")};
        line.config = value;
    }
}

void checkArgumentCount(const CommandLine& line) {
    const Command command = *line.command;
    const auto count = line.arguments.size();
    const std::string name(commandName(command));
    if ((command == Command::list || command == Command::demo || command == Command::serve ||
         command == Command::desktop) &&
        count > 0)
        throw Failure{localizedMessage("{} takes no arguments, but got {}", name,
                                       quotedForMessage(line.arguments.front()))};
    if (command == Command::completions &&
        (count != 1 || std::find(shells.begin(), shells.end(), line.arguments.front()) == shells.end()))
        throw Failure{localizedMessage(
            "completions takes a shell: completions bash, completions zsh or completions fish")};
    if (command == Command::options && count != 2)
        throw Failure{
            localizedMessage("options takes a widget and a parameter: options KIND PARAM [--search TEXT]")};
    if (isSingleWidget(command) && count != 1)
        throw Failure{localizedMessage("{} takes one widget: {} KIND", name, name)};
    if (isSingleWidget(command) && line.families.size() > 1)
        throw Failure{
            localizedMessage("{} takes at most one --family; use render to draw several families", name)};
}

void checkFormat(const CommandLine& line) {
    if (line.format == OutputFormat::automatic) return;
    const auto allowed = formatsOf(*line.command);
    if (std::any_of(allowed.begin(), allowed.end(), [&](const auto& f) { return f.format == line.format; }))
        return;
    auto current =
        std::find_if(formats.begin(), formats.end(), [&](const auto& f) { return f.format == line.format; });
    throw Failure{localizedMessage("{} cannot print --format {}; use {}", commandName(*line.command),
                                   current->name, formatNames(allowed))};
}

CommandLine parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::vector<std::pair<const OptionDefinition*, std::string>> given;
    bool helpCommand = false;  // `help [COMMAND]`, the same as `[COMMAND] --help`
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& token = arguments[i];
        if (token == "-h") {
            line.help = true;
            continue;
        }
        if (token == "--version") {
            line.version = true;
            continue;
        }
        if (token.size() > 1 && token.front() == '-') {
            const auto equals = token.find('=');
            const std::string option = token.substr(0, equals);
            const auto& definitions = optionDefinitions();
            auto definition = std::find_if(definitions.begin(), definitions.end(),
                                           [&](const auto& s) { return s.name == option; });
            if (definition == definitions.end())
                throw Failure{localizedMessage("unknown option {}; see --help for the options",
                                               quotedForMessage(option))};
            std::string value;
            if (equals != std::string::npos) {
                if (!definition->takesValue) throw Failure{localizedMessage("{} takes no value", option)};
                value = token.substr(equals + 1);
            } else if (definition->takesValue) {
                if (i + 1 >= arguments.size()) throw Failure{localizedMessage("{} needs a value", option)};
                value = arguments[++i];
            }
            given.emplace_back(&*definition, value);
            continue;
        }
        if (!line.command && token == "help" && !helpCommand) {
            helpCommand = true;
            continue;
        }
        if (!line.command) {
            auto found = std::find_if(commands.begin(), commands.end(),
                                      [&](const auto& c) { return c.name == token; });
            if (found == commands.end())
                throw Failure{
                    localizedMessage("unknown command {}; use {}", quotedForMessage(token), commandList())};
            line.command = found->command;
        } else if (helpCommand) {
            throw Failure{localizedMessage("help takes at most one command: help COMMAND")};
        } else {
            line.arguments.push_back(token);
        }
    }
    const bool wantsHelp =
        std::any_of(given.begin(), given.end(), [](const auto& g) { return g.first->name == "--help"; }) ||
        line.help || helpCommand;
    if (wantsHelp) {
        line.help = true;
        return line;
    }
    if (line.version) {
        if (line.command)
            throw Failure{localizedMessage("--version takes no command; run quillbrook-widgets --version")};
        return line;
    }
    if (!line.command) throw Failure{localizedMessage("no command given; use {}", commandList())};
    for (const auto& [definition, value] : given) {
        if (!definition->commands.empty() &&
            std::find(definition->commands.begin(), definition->commands.end(), *line.command) ==
                definition->commands.end())
            throw Failure{localizedMessage("{} does not take {}; see {} --help", commandName(*line.command),
                                           definition->name, commandName(*line.command))};
        apply(line, definition->name, value);
    }
    checkArgumentCount(line);
    checkFormat(line);
    return line;
}

}  // namespace

std::optional<WidgetFamily> familyNamed(std::string_view text) {
    const auto family = widgetFamilyNamed(text);
    const auto all = systemFamilies();
    if (!family || std::find(all.begin(), all.end(), *family) == all.end()) return std::nullopt;
    return family;
}

const CommandRow& commandRow(Command command) {
    for (const auto& row : commands)
        if (row.command == command) return row;
    return commands.front();
}

std::string_view commandName(Command command) {
    return commandRow(command).name;
}

std::string shortName(std::string_view kind) {
    std::string lower = comparableName(kind);
    constexpr std::string_view suffix = "widget";
    if (lower.size() > suffix.size() && lower.ends_with(suffix)) lower.resize(lower.size() - suffix.size());
    return lower;
}

bool isValidFeedBase(std::string_view text) {
    static const std::regex pattern(
        R"(^[Hh][Tt][Tt][Pp][Ss]?://([A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?|\[[0-9A-Fa-f:.]+\])(:([0-9]{1,5}))?/?$)");
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_match(text.begin(), text.end(), match, pattern)) return false;
    if (match[4].matched) {
        const int port = std::stoi(match[4].str());
        if (port < 1 || port > 65535) return false;
    }
    return true;
}

std::vector<Command> allCommands() {
    std::vector<Command> all;
    for (const auto& row : commands) all.push_back(row.command);
    return all;
}

std::vector<OptionRow> optionsOf(Command command) {
    std::vector<OptionRow> options;
    for (const auto& definition : optionDefinitions())
        if (definition.commands.empty() || std::find(definition.commands.begin(), definition.commands.end(),
                                                     command) != definition.commands.end())
            options.push_back({definition.name, definition.takesValue});
    return options;
}

std::vector<FormatRow> formatsOf(std::optional<Command> command) {
    if (!command) return {formats.begin(), formats.end()};
    std::vector<FormatRow> rows;
    for (auto format : formatsFor(*command))
        for (const auto& row : formats)
            if (row.format == format) rows.push_back(row);
    return rows;
}

std::vector<std::string> familyWords() {
    std::vector<std::string> words;
    for (auto family : systemFamilies()) words.emplace_back(name(family));
    for (auto family : systemFamilies()) words.emplace_back(shortName(family));
    return words;
}

std::vector<std::string_view> completionShells() {
    return {shells.begin(), shells.end()};
}

std::variant<CommandLine, UsageError> parseCommandLine(const std::vector<std::string>& arguments) {
    try {
        return parse(arguments);
    } catch (const Failure& failure) {
        return UsageError{failure.message};
    }
}

}  // namespace qb::host
