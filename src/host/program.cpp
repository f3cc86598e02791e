#include "host/program.hpp"

#include <exception>
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "core/quillbrook_paths.hpp"
#include "core/quillbrook_widget_bundle.hpp"
#include "host/cli.hpp"
#include "host/commands.hpp"
#include "host/demo_setup.hpp"
#include "host/live_commands.hpp"
#include "host/server/serve.hpp"
#include "platform/http.hpp"
#include "platform/log.hpp"
#include "tips/tip_store.hpp"

namespace qb::host {
namespace {

int dispatch(const CommandLine& line) {
    if (line.help) {
        std::cout << helpText(line.command);
        return 0;
    }
    if (line.verbose) setLogEcho(true);
    const bool usesSamples = *line.command == Command::demo || (*line.command == Command::serve && line.demo);
    if (usesSamples && (line.home || line.feedBase))
        return usageFailure(
            "the demo reads the sample home and feed in examples/; leave out --home and --feed-base");
    if (line.home) QuillbrookPaths::useHome(*line.home);
    if (line.feedBase) TipStore::useFeedBase(*line.feedBase);
    TipStore::useHttpClient(std::make_shared<CurlHttpClient>());

    if (*line.command == Command::serve) return serve(ServeOptions{line.port, line.demo});
    if (*line.command == Command::desktop) return desktopCommand(line);

    std::unique_ptr<DemoSetup> demo;
    if (*line.command == Command::demo) {
        std::string error;
        demo = DemoSetup::start(error);
        if (!demo) return runFailure(error);
    }
    const auto widgets = QuillbrookWidgetBundle{}.body();
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
        return dispatch(std::get<CommandLine>(parsed));
    } catch (const std::exception& error) {
        return runFailure(fmt::format(
            "stopped by an unexpected error: {}; run again with --verbose and report it", error.what()));
    } catch (...) {
        return runFailure("stopped by an unexpected error; run again with --verbose and report it");
    }
}

}  // namespace qb::host
