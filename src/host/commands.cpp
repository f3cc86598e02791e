#include "host/commands.hpp"

#include <cstdio>
#include <iostream>

#include <fmt/format.h>

#include "host/demo_setup.hpp"
#include "host/json_output.hpp"
#include "host/output.hpp"
#include "host/program.hpp"
#include "host/render/html.hpp"
#include "host/render/terminal.hpp"
#include "host/requests.hpp"
#include "host/text_output.hpp"
#include "host/widget_catalog.hpp"
#include "platform/files.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

void write(std::string_view text) {
    writeOutput(text);
}

// Said once for the run, before any request, however many families are drawn.
void noteUnsuggestedChoices(const std::vector<const AnyWidget*>& widgets,
                            const std::vector<Setting>& settings) {
    for (const auto& notice : unsuggestedChoiceNotices(widgets, settings))
        std::cerr << "quillbrook-widgets: " << notice << '\n';
}

RequestKind requestKindFor(Command command) {
    switch (command) {
        case Command::placeholder:
            return RequestKind::placeholder;
        case Command::snapshot:
            return RequestKind::snapshot;
        default:
            return RequestKind::timeline;
    }
}

std::vector<TerminalTile> tilesFor(const std::vector<Answer>& answers, WidgetRenderingMode mode) {
    std::vector<TerminalTile> tiles;
    for (const auto& answer : answers)
        if (auto tile = tileFor(answer, mode)) tiles.push_back(std::move(*tile));
    return tiles;
}

std::vector<HtmlTile> htmlTilesFor(const std::vector<Answer>& answers, WidgetRenderingMode mode) {
    std::vector<HtmlTile> tiles;
    for (const auto& answer : answers) {
        if (answer.entries.empty()) continue;
        const ui::Environment environment{answer.family, mode};
        tiles.push_back({answer.widget->kind(), answer.widget->displayName(), answer.family, mode,
                         answer.entries.front().view(environment)});
    }
    return tiles;
}

// The requests for every widget in every family asked for (all of its families when none is).
std::variant<std::vector<Request>, UsageError> renderRequests(const CommandLine& line,
                                                              const std::vector<AnyWidget>& widgets) {
    auto selected = selectWidgets(widgets, line.arguments);
    if (auto* error = std::get_if<UsageError>(&selected)) return *error;
    const auto& chosen = std::get<std::vector<const AnyWidget*>>(selected);
    auto instances = configuredInstances(chosen, line.settings);
    if (auto* error = std::get_if<UsageError>(&instances)) return *error;
    noteUnsuggestedChoices(chosen, line.settings);
    std::vector<Request> requests;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        auto families = familiesFor(*chosen[i], line.families);
        if (auto* error = std::get_if<UsageError>(&families)) return *error;
        for (auto family : std::get<std::vector<WidgetFamily>>(families))
            requests.push_back({chosen[i], std::get<std::vector<WidgetInstance>>(instances)[i], family,
                                RequestKind::timeline});
    }
    return requests;
}

// Prints the answers in the format asked for; `summaries` adds what each provider answered above its
// widget (the single requests), otherwise the widgets stand side by side where they fit.
int printAnswers(const CommandLine& line, const std::vector<Answer>& answers, bool summaries) {
    for (const auto& answer : answers)
        if (answer.failure)
            return runFailure(
                localizedMessage("the {} provider failed: {}; run with --verbose to see its log",
                                 answer.widget->kind(), *answer.failure));
    switch (line.format) {
        case OutputFormat::json: {
            if (summaries) {
                write(printedJson(answerJson(answers.front())));
            } else {
                auto list = nlohmann::ordered_json::array();
                for (const auto& answer : answers) list.push_back(answerJson(answer, true));
                write(printedJson(list));
            }
            return 0;
        }
        case OutputFormat::tree:
            for (const auto& answer : answers) {
                const ui::Environment environment{answer.family, line.renderingMode};
                for (const auto& entry : answer.entries)
                    write(fmt::format("# {} {}\n{}", answer.widget->kind(), name(answer.family),
                                      ui::dump(entry.view(environment))));
            }
            return 0;
        case OutputFormat::html:
            write(renderHtmlPage(htmlTilesFor(answers, line.renderingMode), "Quillbrook widgets"));
            return 0;
        default:
            break;
    }
    const Styling styling = outputStyling(line.format);
    const std::optional<int> columns = outputColumns();
    const auto tiles = tilesFor(answers, line.renderingMode);
    if (auto notice = cutNotice(tiles, columns)) std::cerr << "quillbrook-widgets: " << *notice << '\n';
    if (summaries) {
        for (const auto& answer : answers) {
            write(answerSummary(answer));
            write(arrangeTiles(tilesFor({answer}, line.renderingMode), styling, columns));
        }
    } else {
        write(arrangeTiles(tiles, styling, columns));
    }
    return 0;
}

}  // namespace

// Every value a message echoes is quoted with its controls escaped where the message is made; a control
// that reaches this line all the same (from a library's error text, say) is dropped.
int usageFailure(std::string_view message) {
    std::cerr << "quillbrook-widgets: " << inertText(message) << '\n';
    return exitUsage;
}

int runFailure(std::string_view message) {
    std::cerr << "quillbrook-widgets: " << inertText(message) << '\n';
    return exitFailure;
}

int listCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    write(line.format == OutputFormat::json ? printedJson(widgetsJson(widgets)) : widgetsText(widgets));
    return 0;
}

int optionsCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    const AnyWidget* widget = findWidget(widgets, line.arguments[0]);
    if (!widget) return usageFailure(unknownWidget(widgets, line.arguments[0]).message);
    auto options = widget->options(line.arguments[1], line.search);
    if (!options) {
        std::string names;
        for (const auto& parameter : widget->parameters())
            names += (names.empty() ? "" : ", ") + parameter.name;
        return usageFailure(names.empty() ? localizedMessage("{} has no parameters", widget->kind())
                                          : localizedMessage("unknown parameter {} of {}; use {}",
                                                             quotedForMessage(line.arguments[1]),
                                                             widget->kind(), names));
    }
    write(line.format == OutputFormat::json ? printedJson(optionsJson(*options)) : optionsText(*options));
    return 0;
}

int requestCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    auto chosen = chosenWidget(widgets, line);
    if (auto* error = std::get_if<UsageError>(&chosen)) return usageFailure(error->message);
    auto& [widget, instance, family] = std::get<ChosenWidget>(chosen);
    noteUnsuggestedChoices({widget}, line.settings);
    std::vector<Request> requests;
    requests.push_back({widget, std::move(instance), family, requestKindFor(*line.command)});
    return printAnswers(line, runRequests(std::move(requests)), true);
}

int renderCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    auto requests = renderRequests(line, widgets);
    if (auto* error = std::get_if<UsageError>(&requests)) return usageFailure(error->message);
    return printAnswers(line, runRequests(std::move(std::get<std::vector<Request>>(requests))), false);
}

int demoCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    CommandLine all = line;
    all.arguments.clear();
    auto requests = renderRequests(all, widgets);
    if (auto* error = std::get_if<UsageError>(&requests)) return usageFailure(error->message);
    const auto answers = runRequests(std::move(std::get<std::vector<Request>>(requests)));
    if (int status = printAnswers(all, answers, false); status != 0) return status;

    const auto page = std::filesystem::temp_directory_path() / "quillbrook-widgets-demo.html";
    if (auto error = writeFileAtomically(
            page, renderHtmlPage(htmlTilesFor(answers, line.renderingMode), "Quillbrook widgets demo")))
        return runFailure(
            localizedMessage("the demo page could not be written to {}: {}; check that the folder is "
                             "writable",
                             quotedForMessage(page.string()), *error));
    write("\n" + localizedMessage("The same widgets as a web page: {}", escapedText(page.string())) + "\n");
    return 0;
}

}  // namespace qb::host
