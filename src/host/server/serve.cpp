#include "host/server/serve.hpp"

#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

#include <fmt/format.h>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "host/demo_setup.hpp"
#include "host/engine/engine.hpp"
#include "host/engine/glib_source.hpp"
#include "host/output.hpp"
#include "host/server/dashboard_server.hpp"
#include "host/server/url_file.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

// The address with the secret, on the terminal and, for the desktop host and scripts, in a file.
std::unique_ptr<UrlFile> announce(int port, const std::string& url) {
    // The file first: whoever waits for the printed line finds it there too.
    const auto path = UrlFile::pathFor(port);
    auto file = path ? std::make_unique<UrlFile>(*path, url) : nullptr;
    writeOutput(localizedMessage("Quillbrook widgets dashboard on {} (Ctrl-C stops it)", url) + "\n");
    if (!path)
        fmt::print(stderr, "quillbrook-widgets: {}\n",
                   localized("XDG_RUNTIME_DIR is not set, so the address is written nowhere but above"));
    else if (file->problem())
        fmt::print(stderr, "quillbrook-widgets: {}\n",
                   localizedMessage("the address is written nowhere but above: {}", *file->problem()));
    return file;
}

// Runs the dashboard until SIGINT or SIGTERM: the engine on this thread's GLib main loop, the HTTP
// server on a thread of its own. Changes cross between them through the engine's mailbox one way and
// the server's io_context the other.
int runDashboard(std::vector<AnyWidget> widgets, SiteOptions site, int port, const std::string& url,
                 const std::function<void()>& cancelProviders) {
    // The choices made in the page on an earlier run, with a line for each that is ignored or no longer
    // suggested.
    Dashboard::StartingInstances starting;
    if (site.settings) {
        auto saved = site.settings->read();
        for (const auto& message : saved.messages) fmt::print(stderr, "quillbrook-widgets: {}\n", message);
        starting = std::move(saved.instances);
    }
    GMainContext* context = g_main_context_default();
    const std::unique_ptr<GMainLoop, decltype(&g_main_loop_unref)> loop(g_main_loop_new(context, FALSE),
                                                                        &g_main_loop_unref);
    const auto quit = [&loop] { g_main_loop_quit(loop.get()); };
    // Before anyone knows the address: a signal from now on stops the dashboard cleanly, and one that
    // comes before the loop runs waits for it.
    auto interrupted = engine::watchSignal(context, SIGINT, quit);
    auto terminated = engine::watchSignal(context, SIGTERM, quit);
    engine::Engine engine(context);
    WorkLanes lanes(widgets.size() + 1);  // a lane per widget kind for requests, and one for the page
    Dashboard dashboard(std::move(widgets), engine, context, std::move(starting));
    DashboardServer server(dashboard, lanes, std::move(site));
    if (auto problem = server.listen(port)) {
        fmt::print(
            stderr,
            "quillbrook-widgets: cannot listen on 127.0.0.1:{}: {}; choose another port with --port N\n",
            port, *problem);
        return 2;
    }
    const auto file = announce(port, url);
    std::thread serving([&server] { server.run(); });
    g_main_loop_run(loop.get());
    // Nothing may keep the program: connections close, waiting requests end, downloads are cancelled
    // (the engine and the lanes wait for their running providers as they go).
    server.stop();
    cancelProviders();
    serving.join();
    lanes.stop();
    return 0;
}

}  // namespace

int serveWidgets(const ServeOptions& options, WidgetServices services,
                 const std::function<std::vector<AnyWidget>(const WidgetServices&)>& makeWidgets) {
    if (options.port < 1 || options.port > 65535) {
        fmt::print(stderr, "quillbrook-widgets: the port {} is not a TCP port; choose one from 1 to 65535\n",
                   options.port);
        return 2;
    }
    std::string error;
    auto secret = OwnerSecret::generate(error);
    if (!secret) {
        fmt::print(stderr, "quillbrook-widgets: cannot serve the dashboard: {}\n", error);
        return 1;
    }
    std::unique_ptr<DemoSetup> demo;
    if (options.demo && !(demo = DemoSetup::start(error))) {
        fmt::print(stderr, "quillbrook-widgets: cannot serve the demo: {}\n", error);
        return 1;
    }
    if (demo) services = demo->services(std::move(services));
    const auto cancelProviders = [http = services.http] { http->cancelAll(); };
    const auto url = fmt::format("http://127.0.0.1:{}/?token={}", options.port, secret->text());
    auto widgets = makeWidgets(services);
    SiteOptions site{.secret = std::move(*secret), .opener = LinkOpener::fromEnvironment()};
    // The demo leaves the person's files alone: its choices last as long as it runs.
    if (!demo)
        site.settings = std::make_shared<DashboardSettingsFile>(DesktopConfigFile::defaultPath(), widgets);
    const int status = runDashboard(std::move(widgets), std::move(site), options.port, url, cancelProviders);
    if (status == 0) writeOutput(localized("Dashboard stopped.") + "\n");
    return status;
}

int serve(const ServeOptions& options, WidgetServices services) {
    return serveWidgets(options, std::move(services), [](const WidgetServices& widgetServices) {
        return QuillbrookWidgetBundle{widgetServices}.body();
    });
}

}  // namespace qb::host
