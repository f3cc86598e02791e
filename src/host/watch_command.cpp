#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "host/commands.hpp"
#include "host/engine/engine.hpp"
#include "host/engine/glib_source.hpp"
#include "host/live_commands.hpp"
#include "host/watch_output.hpp"
#include "host/widget_catalog.hpp"

namespace qb::host {
namespace {

// Writes everything, unbuffered; false once nobody reads (EPIPE) or the output failed otherwise.
bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Runs the engine with one instance until a signal, or until the reader of stdout goes.
int watch(const AnyWidget& widget, WidgetInstance instance, WidgetFamily family, OutputFormat format) {
    // A reader that goes shows as EPIPE on the next write (and as an error on stdout), not as a signal.
    std::signal(SIGPIPE, SIG_IGN);
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
        engine::InstanceSpec spec{widget, std::move(instance), family, true};
        engine.add(std::move(spec), [&](const engine::EntryUpdate& update) {
            std::string text = watchOutput(format, WatchedEntry{widget, family, update.entry, update.policy});
            if (text == last) return;  // a change that does not show in this format
            if (!writeAll(STDOUT_FILENO, text)) return quit();
            last = std::move(text);
        });
        g_main_loop_run(loop);
        // A provider still running (a download may take a minute to time out) is not waited for: every line
        // is written already, and the tips cache is only ever replaced whole.
        if (engine.reloadsRunning() > 0) std::_Exit(0);
    }
    g_main_loop_unref(loop);
    return 0;
}

}  // namespace

int watchCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    const AnyWidget* widget = findWidget(widgets, line.arguments[0]);
    if (!widget) return usageFailure(unknownWidget(widgets, line.arguments[0]).message);
    const WidgetFamily family = line.families.empty() ? WidgetFamily::systemMedium : line.families.front();
    if (auto families = familiesFor(*widget, {family}); auto* error = std::get_if<UsageError>(&families))
        return usageFailure(error->message);
    auto instances = configuredInstances({widget}, line.settings);
    if (auto* error = std::get_if<UsageError>(&instances)) return usageFailure(error->message);
    const OutputFormat format = line.format == OutputFormat::automatic ? OutputFormat::json : line.format;
    return watch(*widget, std::move(std::get<std::vector<WidgetInstance>>(instances).front()), family,
                 format);
}

}  // namespace qb::host
