#include <algorithm>

#include <fmt/format.h>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "host/cli.hpp"
#include "platform/localization.hpp"

// The help: the usage lines, the kinds, the families and the formats are made from the command line's and
// the bundle's tables, and every sentence is a key of the string table.

namespace qb::host {
namespace {

constexpr std::string_view program = "quillbrook-widgets";

std::string joined(const std::vector<std::string>& words, std::string_view separator, std::string_view last) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) text += i + 1 == words.size() ? last : separator;
        text += words[i];
    }
    return text;
}

// "  --home DIR           read ...", the description starting in the same column on every line.
std::string optionLine(std::string_view option, std::string_view description) {
    return fmt::format("  {:<19}  {}\n", option, localized(description));
}

std::string formatChoices(std::optional<Command> command, bool withMeanings) {
    std::vector<std::string> names;
    for (const auto& row : formatsOf(command))
        names.push_back(withMeanings && !row.meaning.empty()
                            ? fmt::format("{} ({})", row.name, localized(row.meaning))
                            : std::string(row.name));
    return joined(names, withMeanings ? ", " : "|", withMeanings ? localized(" or ") : "|");
}

std::string commonOptions() {
    return optionLine("--home DIR", "read the Quillbrook files of another home folder") +
           optionLine("--feed-base URL", "download the tips feed from scheme://host[:port]") +
           optionLine("--verbose", "also write the widgets' log messages and the files read to stderr") +
           optionLine("--help", "show this help");
}

std::string instanceOptions() {
    return optionLine("--set NAME=VALUE", "set a parameter of the widget (see list and options)") +
           optionLine("--family F",
                      localizedMessage("{} (or systemSmall, ...)", familyChoices(localized(" or "))));
}

std::string drawingOptions() {
    return instanceOptions() + optionLine("--rendering-mode M", "fullColor, accented or vibrant");
}

// The widgets' kinds and short names, from the bundle.
std::string kindsParagraph() {
    std::vector<std::string> kinds, shortNames;
    for (const auto& widget : QuillbrookWidgetBundle{WidgetServices{}}.body()) {
        kinds.push_back(widget.kind());
        shortNames.push_back(shortName(widget.kind()));
    }
    return localizedMessage("KIND is a widget's kind ({}) or its\nshort name ({}).",
                            joined(kinds, ", ", ", "), joined(shortNames, ", ", ", "));
}

std::string programHelp() {
    std::vector<std::pair<std::string, std::string>> usages;
    for (auto command : allCommands()) {
        const auto& row = commandRow(command);
        usages.push_back(
            {fmt::format("{} {}{}{}", program, row.name, row.synopsis.empty() ? "" : " ", row.synopsis),
             localized(row.summary)});
    }
    usages.push_back({fmt::format("{} help [COMMAND]", program), localized("this help, or a command's")});
    std::size_t width = 0;
    for (const auto& [usage, summary] : usages) width = std::max(width, usage.size());
    std::string text = localized(
                           "quillbrook-widgets: the Quillbrook desktop widgets, in the terminal, as JSON "
                           "or in the browser") +
                       "\n\n" + localized("usage:") + "\n";
    for (const auto& [usage, summary] : usages) text += fmt::format("  {:<{}}  {}\n", usage, width, summary);
    text += "\n" + kindsParagraph() + "\n\n" + localized("options:") + "\n" + drawingOptions() +
            commonOptions() + optionLine("--format FORMAT", formatChoices(std::nullopt, true)) +
            optionLine("--version", "print the program's name and version") + "\n" +
            localizedMessage("Run {} help COMMAND (or COMMAND --help) for a command's options.", program) +
            "\n";
    return text;
}

// What a command does, in a paragraph of its own help.
std::string description(Command command) {
    switch (command) {
        case Command::list:
            return localized("The widgets: kind, name, description, families and parameters.");
        case Command::options:
            return localized(
                "The choices of a widget's parameter: an enumeration's cases, or the entities its query\n"
                "suggests; with --search, the entities whose name contains TEXT.");
        case Command::placeholder:
        case Command::snapshot:
        case Command::timeline:
            return localizedMessage(
                "Asks the widget's provider once, for the family (medium unless given), and prints the\n"
                "answer: a summary and the widget (text, ansi), {} (json), the view\n"
                "tree (tree) or a page (html).",
                command == Command::timeline ? R"({"kind", "entries", "policy"})" : R"({"kind", "entries"})");
        case Command::render:
            return localizedMessage(
                "Draws the widgets (all of them unless named) in the families given (all of their families\n"
                "unless given) from their current timelines. FORMAT: {}.",
                joined(
                    [] {
                        std::vector<std::string> names;
                        for (const auto& row : formatsOf(Command::render)) names.emplace_back(row.name);
                        return names;
                    }(),
                    ", ", localized(" or ")));
        case Command::demo:
            return localized(
                "Draws every widget in every family from the sample home folder and tips feed in examples/\n"
                "(QUILLBROOK_EXAMPLES_DIR overrides where they are) and writes the same widgets as an HTML "
                "page.");
        case Command::watch:
            return localized(
                "Keeps the widget up to date and prints it each time its entry changes, the first time at "
                "once:\n"
                "one JSON object a line (json, as timeline prints it; the default), the object a status "
                "bar's\n"
                "custom module reads (waybar: text, tooltip, class, alt), or the widget drawn as text "
                "followed by\n"
                "a blank line (text). Stops on SIGINT or SIGTERM, or when whoever reads it goes.");
        case Command::open:
            return localized(
                "Opens what a click on the widget would: its own link, or with --row the link of row N (from "
                "1,\n"
                "as the widget shows its rows in the family, medium unless given).");
        case Command::serve:
            return localized(
                "Serves a live dashboard on http://127.0.0.1:N (8642 unless given): every widget in every\n"
                "family, refreshed as each asks. With --demo, from the sample files in examples/.\n"
                "Only the account that started it may use it: open the address it prints, whose secret\n"
                "the browser then keeps; scripts find the address in\n"
                "$XDG_RUNTIME_DIR/quillbrook-widgets/dashboard-N.url while it runs.");
        case Command::desktop:
            return localized(
                "Places the widgets on the desktop and keeps them current: on Wayland compositors with the\n"
                "layer-shell protocol as surfaces below the windows, on X11 as desktop windows. The widgets\n"
                "and their places are in $XDG_CONFIG_HOME/quillbrook-widgets/desktop.ini (or FILE), which a\n"
                "right click on a widget changes and which may be edited by hand while the widgets run;\n"
                "without it, one medium widget of each kind stands at the top right.");
        case Command::completions:
            return localized(
                "Prints the completion script of the shell, which completes the commands, options, widget\n"
                "kinds, parameters, families and formats, and a parameter's values from options KIND PARAM\n"
                "(with the --home given on the line). The installed program puts them where the shells\n"
                "look; elsewhere, e.g. source <(quillbrook-widgets completions bash).");
    }
    return {};
}

// What follows the command's name in its own usage line.
std::string usageOf(Command command) {
    const std::string formatted = fmt::format("[--format {}]", formatChoices(command, false));
    switch (command) {
        case Command::list:
            return formatted;
        case Command::options:
            return "KIND PARAM [--search TEXT] " + formatted;
        case Command::placeholder:
        case Command::snapshot:
        case Command::timeline:
            return "KIND [--family F] [--set NAME=VALUE]... [--format FORMAT]";
        case Command::render:
            return "[KIND...] [--family F]... [--set NAME=VALUE]... [--format FORMAT]";
        case Command::demo:
            return formatted + " [--rendering-mode M]";
        case Command::watch:
            return "KIND [--family F] [--set NAME=VALUE]... " + formatted;
        case Command::open:
            return "KIND [--family F] [--set NAME=VALUE]... [--row N]";
        default:
            return std::string(commandRow(command).synopsis);
    }
}

// The options a command's help lists besides the common ones.
std::string ownOptions(Command command) {
    switch (command) {
        case Command::placeholder:
        case Command::snapshot:
        case Command::timeline:
        case Command::render:
            return drawingOptions();
        case Command::watch:
        case Command::open:
            return instanceOptions();
        case Command::desktop:
            return optionLine("--config FILE", "read and write the widgets from FILE");
        default:
            return {};
    }
}

}  // namespace

std::string helpText(std::optional<Command> command) {
    if (!command) return programHelp();
    return fmt::format("{} {} {} {}\n\n{}\n\n{}\n{}{}", localized("usage:"), program, commandName(*command),
                       usageOf(*command), description(*command), localized("options:"), ownOptions(*command),
                       commonOptions());
}

}  // namespace qb::host
