#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "host/commands.hpp"
#include "host/engine/engine.hpp"
#include "host/engine/glib_source.hpp"
#include "host/live_commands.hpp"
#include "host/output.hpp"
#include "host/watch_output.hpp"
#include "host/widget_catalog.hpp"

namespace qb::host {
namespace {

// Runs the engine with one instance until a signal, or until the reader of stdout goes.
int watch(const AnyWidget& widget, WidgetInstance instance, WidgetFamily family, OutputFormat format) {
    GMainContext* context = g_main_context_default();
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    const auto quit = [loop] { g_main_loop_quit(loop); };
    std::string last;
    {
        engine::Engine engine(context);
        auto interrupted = engine::watchSignal(context, SIGINT, quit);
        auto terminated = engine::watchSignal(context, SIGTERM, quit);
        // A pipe's writer sees an error condition once the reader has gone, even before writing again.
        auto readerGone =
            engine::watchDescriptor(context, STDOUT_FILENO, static_cast<GIOCondition>(G_IO_ERR | G_IO_HUP),
                                    [&](GIOCondition) { quit(); });
        engine::InstanceSetup setup{widget, std::move(instance), family, true};
        engine.add(std::move(setup), [&](const engine::EntryUpdate& update) {
            std::string text = watchOutput(format, WatchedEntry{widget, family, update.entry, update.policy});
            if (text == last) return;               // a change that does not show in this format
            if (!writeOutput(text)) return quit();  // the reader went, or the output failed
            last = std::move(text);
        });
        g_main_loop_run(loop);
        // A provider still running (a download may take a minute to time out) is not waited for: every line
        // is written already, and the tips cache is only ever replaced whole.
        if (engine.reloadsRunning() > 0) std::_Exit(checkedStatus(0, 0));
    }
    g_main_loop_unref(loop);
    return 0;
}

}  // namespace

int watchCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    auto chosen = chosenWidget(widgets, line);
    if (auto* error = std::get_if<UsageError>(&chosen)) return usageFailure(error->message);
    auto& [widget, instance, family] = std::get<ChosenWidget>(chosen);
    const OutputFormat format = line.format == OutputFormat::automatic ? OutputFormat::json : line.format;
    return watch(*widget, std::move(instance), family, format);
}

}  // namespace qb::host
