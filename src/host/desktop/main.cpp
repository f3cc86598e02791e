// quillbrook-widgets-desktop: the widgets on the desktop. `quillbrook-widgets desktop` runs this
// program, which alone loads GTK. It takes the same options as that command.

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <gtk/gtk.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/main.h>
#include <gtkmm/stylecontext.h>

#include <fmt/format.h>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "core/widget_services.hpp"
#include "host/cli.hpp"
#include "host/desktop/download/helper_client.hpp"
#include "host/desktop/gtk_desktop.hpp"
#include "host/desktop/render/widget_view.hpp"
#include "host/desktop/single_instance.hpp"
#include "host/desktop_session/desktop_session.hpp"
#include "host/engine/glib_source.hpp"
#include "host/live_commands.hpp"
#include "host/opener.hpp"
#include "host/program.hpp"
#include "platform/log.hpp"
#include "platform/terminal_text.hpp"

namespace {

using namespace qb;
using namespace qb::host;

// One line on stderr, as the program writes it, and the exit status (2: bad input, 1: a failure).
// The program's own helpers would bring its every command into this one.
int failWith(std::string_view message, int status = 1) {
    std::cerr << "quillbrook-widgets: " << inertText(message) << '\n';
    return status;
}

// The windows themselves draw nothing: the widget draws its own rounded background, and where the
// display blends, the desktop shows around it.
void installWindowStyles() {
    auto provider = Gtk::CssProvider::create();
    provider->load_from_data("window.quillbrook-translucent { background-color: transparent; }");
    Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

int runDesktop(const CommandLine& line) {
    if (!gtk_init_check(nullptr, nullptr))
        return failWith(
            "cannot open a display; run the desktop host inside a graphical session (WAYLAND_DISPLAY or "
            "DISPLAY names its display)");
    Gtk::Main::init_gtkmm_internals();
    const auto config = line.config.value_or(DesktopConfigFile::defaultPath());
    desktop::SingleInstance instance(gdk_display_get_name(gdk_display_get_default()), config);
    if (!instance.held()) {
        Logger(logSubsystem, "DesktopHost")
            .info(fmt::format("the widgets of {} are on this display already (see {}); leaving",
                              config.string(), instance.path().string()));
        return 0;
    }
    desktop::installWidgetStyles();
    installWindowStyles();

    GMainContext* context = g_main_context_default();
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    const auto quit = [loop] { g_main_loop_quit(loop); };
    bool reloading = false;
    {
        desktop::GtkDesktop desktop;
        GAppLaunchContext* launch =
            G_APP_LAUNCH_CONTEXT(gdk_display_get_app_launch_context(gdk_display_get_default()));
        DesktopSessionOptions options{config,
                                      [launch](const Url& url) -> std::optional<std::string> {
                                          auto opener = LinkOpener::fromEnvironment();
                                          opener.launchContext = launch;
                                          if (auto error = openLink(url.string(), opener))
                                              return error->message;
                                          return std::nullopt;
                                      },
                                      {},
                                      {}};
        // Downloads run in the helper program: the host never loads the download libraries.
        const auto http = std::make_shared<desktop::HelperHttpClient>();
        DesktopSession session(
            context, QuillbrookWidgetBundle{withCommandLine(WidgetServices::user(http), line)}.body(),
            desktop, std::move(options));
        desktop.onOutputsChanged([&session] { session.outputsChanged(); });
        auto interrupted = engine::watchSignal(context, SIGINT, quit);
        auto terminated = engine::watchSignal(context, SIGTERM, quit);
        g_main_loop_run(loop);
        // A download still running ends with its helper process.
        http->cancelAll();
        reloading = session.reloadsRunning() > 0;
        g_object_unref(launch);
    }
    g_main_loop_unref(loop);
    // A download still running is not waited for: the tips cache is only ever replaced whole.
    if (reloading) std::_Exit(0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // `quillbrook-widgets desktop` set G_SLICE for this process alone (GLib has read it by now); the
    // programs the host starts, such as a browser for a clicked link, get the environment as it was.
    if (std::getenv(desktopSliceMarker)) {
        ::unsetenv("G_SLICE");
        ::unsetenv(desktopSliceMarker);
    }
    std::vector<std::string> arguments{"desktop"};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    try {
        auto parsed = parseCommandLine(arguments);
        if (auto* error = std::get_if<UsageError>(&parsed)) return failWith(error->message, 2);
        const auto& line = std::get<CommandLine>(parsed);
        if (line.help) {
            std::cout << helpText(Command::desktop);
            return 0;
        }
        if (line.verbose) setLogEcho(true);
        return runDesktop(line);
    } catch (const std::exception& error) {
        return failWith(fmt::format(
            "stopped by an unexpected error: {}; run again with --verbose and report it", error.what()));
    }
}
