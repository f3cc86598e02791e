#include "host/cli.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <regex>
#include <system_error>

#include <fmt/format.h>

#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

constexpr std::array commands{
    std::pair{Command::list, std::string_view("list")},
    std::pair{Command::options, std::string_view("options")},
    std::pair{Command::placeholder, std::string_view("placeholder")},
    std::pair{Command::snapshot, std::string_view("snapshot")},
    std::pair{Command::timeline, std::string_view("timeline")},
    std::pair{Command::render, std::string_view("render")},
    std::pair{Command::demo, std::string_view("demo")},
    std::pair{Command::serve, std::string_view("serve")},
    std::pair{Command::watch, std::string_view("watch")},
    std::pair{Command::open, std::string_view("open")},
    std::pair{Command::desktop, std::string_view("desktop")},
    std::pair{Command::completions, std::string_view("completions")},
};

constexpr std::array shells{std::string_view("bash"), std::string_view("zsh"), std::string_view("fish")};

constexpr std::array formats{
    std::pair{OutputFormat::text, std::string_view("text")},
    std::pair{OutputFormat::ansi, std::string_view("ansi")},
    std::pair{OutputFormat::json, std::string_view("json")},
    std::pair{OutputFormat::tree, std::string_view("tree")},
    std::pair{OutputFormat::html, std::string_view("html")},
    std::pair{OutputFormat::waybar, std::string_view("waybar")},
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

std::string lowercase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string joined(const std::vector<std::string>& names, std::string_view last = " or ") {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? last : ", ";
        text += names[i];
    }
    return text;
}

std::optional<WidgetRenderingMode> renderingModeFrom(std::string_view text) {
    for (auto mode :
         {WidgetRenderingMode::fullColor, WidgetRenderingMode::accented, WidgetRenderingMode::vibrant})
        if (lowercase(name(mode)) == lowercase(text)) return mode;
    return std::nullopt;
}

// "list, options, ... or completions", for the messages that say which commands there are.
std::string commandList() {
    std::vector<std::string> names;
    for (const auto& [command, name] : commands) names.emplace_back(name);
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
            throw Failure{
                fmt::format("--home {} is not an existing folder; give the home folder to read the "
                            "Quillbrook files from",
                            quotedForMessage(value))};
        line.home = value;
    } else if (option == "--feed-base") {
        if (!isValidFeedBase(value))
            throw Failure{
                fmt::format("--feed-base {} is not a feed server address; give scheme://host[:port] "
                            "with the scheme http or https, e.g. https://feeds.example.org",
                            quotedForMessage(value))};
        line.feedBase = value;
    } else if (option == "--format") {
        auto found =
            std::find_if(formats.begin(), formats.end(), [&](const auto& f) { return f.second == value; });
        if (found == formats.end())
            throw Failure{fmt::format("unknown format {}; use text, ansi, json, tree, html or waybar",
                                      quotedForMessage(value))};
        line.format = found->first;
    } else if (option == "--set") {
        const auto equals = value.find('=');
        if (equals == std::string::npos || equals == 0)
            throw Failure{fmt::format("--set {} is not NAME=VALUE; write e.g. --set filter=unread",
                                      quotedForMessage(value))};
        line.settings.push_back({value.substr(0, equals), value.substr(equals + 1)});
    } else if (option == "--family") {
        auto family = familyNamed(value);
        if (!family)
            throw Failure{
                fmt::format("unknown family {}; use systemSmall, systemMedium, systemLarge or "
                            "systemExtraLarge",
                            quotedForMessage(value))};
        // A family named again adds nothing: repeating one never multiplies the work.
        if (std::find(line.families.begin(), line.families.end(), *family) == line.families.end())
            line.families.push_back(*family);
    } else if (option == "--rendering-mode") {
        auto mode = renderingModeFrom(value);
        if (!mode)
            throw Failure{fmt::format("unknown rendering mode {}; use fullColor, accented or vibrant",
                                      quotedForMessage(value))};
        line.renderingMode = *mode;
    } else if (option == "--search") {
        line.search = value;
    } else if (option == "--port") {
        int port = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
        if (error != std::errc() || end != value.data() + value.size() || port < 1 || port > 65535)
            throw Failure{fmt::format("--port {} is not a port number; give a number from 1 to 65535",
                                      quotedForMessage(value))};
        line.port = port;
    } else if (option == "--row") {
        int row = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), row);
        if (error != std::errc() || end != value.data() + value.size() || row < 1)
            throw Failure{fmt::format("--row {} is not a row number; give 1 for the first row",
                                      quotedForMessage(value))};
        line.row = row;
    } else if (option == "--config") {
        if (value.empty()) throw Failure{"--config needs a file name, e.g. --config ~/widgets.ini"};
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
        throw Failure{
            fmt::format("{} takes no arguments, but got {}", name, quotedForMessage(line.arguments.front()))};
    if (command == Command::completions &&
        (count != 1 || std::find(shells.begin(), shells.end(), line.arguments.front()) == shells.end()))
        throw Failure{"completions takes a shell: completions bash, completions zsh or completions fish"};
    if (command == Command::options && count != 2)
        throw Failure{"options takes a widget and a parameter: options KIND PARAM [--search TEXT]"};
    if (isSingleWidget(command) && count != 1)
        throw Failure{fmt::format("{} takes one widget: {} KIND", name, name)};
    if (isSingleWidget(command) && line.families.size() > 1)
        throw Failure{
            fmt::format("{} takes at most one --family; use render to draw several families", name)};
}

void checkFormat(const CommandLine& line) {
    if (line.format == OutputFormat::automatic) return;
    const auto allowed = formatsFor(*line.command);
    if (std::find(allowed.begin(), allowed.end(), line.format) != allowed.end()) return;
    std::vector<std::string> names;
    for (auto format : allowed)
        for (const auto& [f, n] : formats)
            if (f == format) names.emplace_back(n);
    auto current =
        std::find_if(formats.begin(), formats.end(), [&](const auto& f) { return f.first == line.format; });
    throw Failure{fmt::format("{} cannot print --format {}; use {}", commandName(*line.command),
                              current->second, joined(names))};
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
                throw Failure{
                    fmt::format("unknown option {}; see --help for the options", quotedForMessage(option))};
            std::string value;
            if (equals != std::string::npos) {
                if (!definition->takesValue) throw Failure{fmt::format("{} takes no value", option)};
                value = token.substr(equals + 1);
            } else if (definition->takesValue) {
                if (i + 1 >= arguments.size()) throw Failure{fmt::format("{} needs a value", option)};
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
                                      [&](const auto& c) { return c.second == token; });
            if (found == commands.end())
                throw Failure{
                    fmt::format("unknown command {}; use {}", quotedForMessage(token), commandList())};
            line.command = found->first;
        } else if (helpCommand) {
            throw Failure{"help takes at most one command: help COMMAND"};
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
        if (line.command) throw Failure{"--version takes no command; run quillbrook-widgets --version"};
        return line;
    }
    if (!line.command) throw Failure{fmt::format("no command given; use {}", commandList())};
    for (const auto& [definition, value] : given) {
        if (!definition->commands.empty() &&
            std::find(definition->commands.begin(), definition->commands.end(), *line.command) ==
                definition->commands.end())
            throw Failure{fmt::format("{} does not take {}; see {} --help", commandName(*line.command),
                                      definition->name, commandName(*line.command))};
        apply(line, definition->name, value);
    }
    checkArgumentCount(line);
    checkFormat(line);
    return line;
}

}  // namespace

std::optional<WidgetFamily> familyNamed(std::string_view text) {
    const std::string lower = lowercase(text);
    for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                        WidgetFamily::systemExtraLarge}) {
        const std::string full = lowercase(name(family));
        if (lower == full || lower == full.substr(6)) return family;  // "systemSmall" or "small"
    }
    return std::nullopt;
}

std::string_view commandName(Command command) {
    for (const auto& [c, n] : commands)
        if (c == command) return n;
    return {};
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
    for (const auto& [command, name] : commands) all.push_back(command);
    return all;
}

std::vector<OptionSpec> optionsOf(Command command) {
    std::vector<OptionSpec> options;
    for (const auto& definition : optionDefinitions())
        if (definition.commands.empty() || std::find(definition.commands.begin(), definition.commands.end(),
                                                     command) != definition.commands.end())
            options.push_back({definition.name, definition.takesValue});
    return options;
}

std::vector<std::string_view> formatsOf(Command command) {
    std::vector<std::string_view> names;
    for (auto format : formatsFor(command))
        for (const auto& [f, n] : formats)
            if (f == format) names.push_back(n);
    return names;
}

std::vector<std::string> familyWords() {
    static constexpr std::array families{WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                         WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};
    std::vector<std::string> words;
    for (auto family : families) words.emplace_back(name(family));
    for (auto family : families) {
        std::string shortName(name(family).substr(6));  // "systemExtraLarge" as "extraLarge"
        shortName.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(shortName.front())));
        words.push_back(std::move(shortName));
    }
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

std::string helpText(std::optional<Command> command) {
    static constexpr std::string_view common =
        "  --home DIR           read the Quillbrook files of another home folder\n"
        "  --feed-base URL      download the tips feed from scheme://host[:port]\n"
        "  --verbose            also write the widgets' log messages to stderr\n"
        "  --help               show this help\n";
    static constexpr std::string_view drawing =
        "  --set NAME=VALUE     set a parameter of the widget (see list and options)\n"
        "  --family F           systemSmall, systemMedium, systemLarge or systemExtraLarge (or small, ...)\n"
        "  --rendering-mode M   fullColor, accented or vibrant\n";
    static constexpr std::string_view instance =
        "  --set NAME=VALUE     set a parameter of the widget (see list and options)\n"
        "  --family F           systemSmall, systemMedium, systemLarge or systemExtraLarge (or small, ...)\n";
    if (!command) {
        return fmt::format(
            "quillbrook-widgets: the Quillbrook desktop widgets, in the terminal, as JSON or in the "
            "browser\n\n"
            "usage:\n"
            "  quillbrook-widgets list                                the widgets with their families and "
            "parameters\n"
            "  quillbrook-widgets options KIND PARAM [--search TEXT]  the choices of a parameter\n"
            "  quillbrook-widgets placeholder|snapshot|timeline KIND  one request, as the widget's provider "
            "answers it\n"
            "  quillbrook-widgets render [KIND...] [--family F]...    draw widgets (all, in all families, by "
            "default)\n"
            "  quillbrook-widgets serve [--port N] [--demo]           a live dashboard on 127.0.0.1\n"
            "  quillbrook-widgets demo                                every widget from the sample files in "
            "examples/\n"
            "  quillbrook-widgets watch KIND [--format json|waybar|text]  a line each time the widget "
            "changes\n"
            "  quillbrook-widgets open KIND [--row N]                 open the widget's link, or row N's\n"
            "  quillbrook-widgets desktop [--config FILE]             the widgets on the desktop\n"
            "  quillbrook-widgets completions bash|zsh|fish           the shell's completion script\n"
            "  quillbrook-widgets help [COMMAND]                      this help, or a command's\n\n"
            "KIND is a widget's kind (ReadingListWidget, FavoritesWidget, WorkspacesWidget, TipsWidget) or "
            "its\n"
            "short name (readinglist, favorites, workspaces, tips).\n\n"
            "options:\n{}{}"
            "  --format FORMAT      text, ansi (text with colours and links), json, tree (the view tree) or "
            "html\n"
            "  --version            print the program's name and version\n\n"
            "Run quillbrook-widgets help COMMAND (or COMMAND --help) for a command's options.\n",
            drawing, common);
    }
    switch (*command) {
        case Command::list:
            return fmt::format(
                "usage: quillbrook-widgets list [--format text|json]\n\n"
                "The widgets: kind, name, description, families and parameters.\n\noptions:\n{}",
                common);
        case Command::options:
            return fmt::format(
                "usage: quillbrook-widgets options KIND PARAM [--search TEXT] [--format text|json]\n\n"
                "The choices of a widget's parameter: an enumeration's cases, or the entities its query\n"
                "suggests; with --search, the entities whose name contains TEXT.\n\noptions:\n{}",
                common);
        case Command::placeholder:
        case Command::snapshot:
        case Command::timeline:
            return fmt::format(
                "usage: quillbrook-widgets {} KIND [--family F] [--set NAME=VALUE]... [--format FORMAT]\n\n"
                "Asks the widget's provider once, for the family (systemMedium unless given), and prints "
                "the\n"
                "answer: a summary and the widget (text, ansi), {{\"kind\", \"entries\"{}}} (json), the "
                "view\n"
                "tree (tree) or a page (html).\n\noptions:\n{}{}",
                commandName(*command), *command == Command::timeline ? ", \"policy\"" : "", drawing, common);
        case Command::render:
            return fmt::format(
                "usage: quillbrook-widgets render [KIND...] [--family F]... [--set NAME=VALUE]... [--format "
                "FORMAT]\n\n"
                "Draws the widgets (all of them unless named) in the families given (all of their families\n"
                "unless given) from their current timelines. FORMAT: text, ansi, json, tree or html.\n\n"
                "options:\n{}{}",
                drawing, common);
        case Command::demo:
            return fmt::format(
                "usage: quillbrook-widgets demo [--format text|ansi] [--rendering-mode M]\n\n"
                "Draws every widget in every family from the sample home folder and tips feed in examples/\n"
                "(QUILLBROOK_EXAMPLES_DIR overrides where they are) and writes the same widgets as an HTML "
                "page.\n\n"
                "options:\n{}",
                common);
        case Command::watch:
            return fmt::format(
                "usage: quillbrook-widgets watch KIND [--family F] [--set NAME=VALUE]... [--format "
                "json|waybar|text]\n\n"
                "Keeps the widget up to date and prints it each time its entry changes, the first time at "
                "once:\n"
                "one JSON object a line (json, as timeline prints it; the default), the object a status "
                "bar's\n"
                "custom module reads (waybar: text, tooltip, class, alt), or the widget drawn as text "
                "followed "
                "by\n"
                "a blank line (text). Stops on SIGINT or SIGTERM, or when whoever reads it goes.\n\n"
                "options:\n{}{}",
                instance, common);
        case Command::open:
            return fmt::format(
                "usage: quillbrook-widgets open KIND [--family F] [--set NAME=VALUE]... [--row N]\n\n"
                "Opens what a click on the widget would: its own link, or with --row the link of row N "
                "(from 1,\n"
                "as the widget shows its rows in the family, systemMedium unless given).\n\n"
                "options:\n{}{}",
                instance, common);
        case Command::serve:
            return fmt::format(
                "usage: quillbrook-widgets serve [--port N] [--demo]\n\n"
                "Serves a live dashboard on http://127.0.0.1:N (8642 unless given): every widget in every\n"
                "family, refreshed as each asks. With --demo, from the sample files in examples/.\n"
                "Only the account that started it may use it: open the address it prints, whose secret\n"
                "the browser then keeps; scripts find the address in\n"
                "$XDG_RUNTIME_DIR/quillbrook-widgets/dashboard-N.url while it runs.\n\n"
                "options:\n{}",
                common);
        case Command::desktop:
            return fmt::format(
                "usage: quillbrook-widgets desktop [--config FILE]\n\n"
                "Places the widgets on the desktop and keeps them current: on Wayland compositors with the\n"
                "layer-shell protocol as surfaces below the windows, on X11 as desktop windows. The widgets\n"
                "and their places are in $XDG_CONFIG_HOME/quillbrook-widgets/desktop.ini (or FILE), which a\n"
                "right click on a widget changes and which may be edited by hand while the widgets run;\n"
                "without it, one medium widget of each kind stands at the top right.\n\n"
                "options:\n"
                "  --config FILE        read and write the widgets from FILE\n{}",
                common);
        case Command::completions:
            return fmt::format(
                "usage: quillbrook-widgets completions bash|zsh|fish\n\n"
                "Prints the completion script of the shell, which completes the commands, options, widget\n"
                "kinds, parameters, families and formats, and a parameter's values from options KIND PARAM\n"
                "(with the --home given on the line). The installed program puts them where the shells\n"
                "look; elsewhere, e.g. source <(quillbrook-widgets completions bash).\n\n"
                "options:\n{}",
                common);
    }
    return {};
}

}  // namespace qb::host
