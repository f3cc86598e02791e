#include "host/program.hpp"

#include <csignal>
#include <exception>
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "core/widget_services.hpp"
#include "host/cli.hpp"
#include "host/commands.hpp"
#include "host/completion_scripts.hpp"
#include "host/demo_setup.hpp"
#include "host/live_commands.hpp"
#include "host/output.hpp"
#include "host/run_log.hpp"
#include "host/server/serve.hpp"
#include "platform/localization.hpp"
#include "platform/log.hpp"

namespace qb::host {
namespace {

int dispatch(const CommandLine& line) {
    if (line.help) {
        writeOutput(helpText(line.command));
        return 0;
    }
    if (line.version) {
        writeOutput("quillbrook-widgets " QB_VERSION "\n");
        return 0;
    }
    if (line.verbose) setLogEcho(true);
    const bool usesSamples = *line.command == Command::demo || (*line.command == Command::serve && line.demo);
    if (usesSamples && (line.home || line.feedBase))
        return usageFailure(localized(
            "the demo reads the sample home and feed in examples/; leave out --home and --feed-base"));
    auto services = withCommandLine(WidgetServices::system(), line);

    if (*line.command == Command::serve)
        return serve(ServeOptions{line.port, line.demo}, std::move(services));
    if (*line.command == Command::desktop) return desktopCommand(line);

    std::unique_ptr<DemoSetup> demo;
    if (*line.command == Command::demo) {
        std::string error;
        demo = DemoSetup::start(error);
        if (!demo) return runFailure(error);
        services = demo->services(std::move(services));
    }
    // A command that runs once says each problem once, however many families it draws; `serve` and
    // `watch` run on and say a problem each time it recurs.
    if (*line.command != Command::watch) services.log = eachOnce(systemLogSink());
    if (line.verbose) logDataFiles(services);
    const auto widgets = QuillbrookWidgetBundle{services}.body();
    switch (*line.command) {
        case Command::list:
            return listCommand(line, widgets);
        case Command::options:
            return optionsCommand(line, widgets);
        case Command::placeholder:
        case Command::snapshot:
        case Command::timeline:
            return requestCommand(line, widgets);
        case Command::render:
            return renderCommand(line, widgets);
        case Command::demo:
            return demoCommand(line, widgets);
        case Command::watch:
            return watchCommand(line, widgets);
        case Command::open:
            return openCommand(line, widgets);
        case Command::completions:
            writeOutput(completionScript(line.arguments.front(), widgets));
            return 0;
        case Command::serve:
        case Command::desktop:
            break;
    }
    return 0;
}

}  // namespace

int run(const std::vector<std::string>& arguments) {
    // Run bare, the program answers with what it can do, as an error: the help goes to stderr.
    if (arguments.empty()) {
        std::cerr << helpText(std::nullopt);
        return exitUsage;
    }
    try {
        auto parsed = parseCommandLine(arguments);
        if (auto* error = std::get_if<UsageError>(&parsed)) return usageFailure(error->message);
        const auto& line = std::get<CommandLine>(parsed);
        catchBrokenPipes();
        // A reader that goes ends `watch` as it is meant to end; any other command was cut short, and
        // ends as a program stopped by a closed pipe does (128 + SIGPIPE), without a word.
        return checkedStatus(dispatch(line), line.command == Command::watch ? 0 : 128 + SIGPIPE);
    } catch (const std::exception& error) {
        return runFailure(localizedMessage(
            "stopped by an unexpected error: {}; run again with --verbose and report it", error.what()));
    } catch (...) {
        return runFailure(
            localized("stopped by an unexpected error; run again with --verbose and report it"));
    }
}

}  // namespace qb::host
