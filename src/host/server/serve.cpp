#include "host/server/serve.hpp"

#include <cstdio>

#include <fmt/format.h>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "host/demo_setup.hpp"
#include "host/server/dashboard_server.hpp"
#include "host/server/open_url.hpp"
#include "host/server/stop_signals.hpp"
#include "host/server/url_file.hpp"

namespace qb::host {
namespace {

// The address with the secret, on the terminal and, for the desktop host and scripts, in a file.
std::unique_ptr<UrlFile> announce(int port, const std::string& url) {
    // The file first: whoever waits for the printed line finds it there too.
    const auto path = UrlFile::pathFor(port);
    auto file = path ? std::make_unique<UrlFile>(*path, url) : nullptr;
    fmt::print("Quillbrook widgets dashboard on {} (Ctrl-C stops it)\n", url);
    std::fflush(stdout);
    if (!path)
        fmt::print(stderr,
                   "quillbrook-widgets: XDG_RUNTIME_DIR is not set, so the address is written nowhere but "
                   "above\n");
    else if (file->problem())
        fmt::print(stderr, "quillbrook-widgets: the address is written nowhere but above: {}\n",
                   *file->problem());
    return file;
}

}  // namespace

int serveWidgets(const ServeOptions& options, WidgetServices services,
                 const std::function<std::vector<AnyWidget>(const WidgetServices&)>& makeWidgets) {
    if (options.port < 1 || options.port > 65535) {
        fmt::print(stderr, "quillbrook-widgets: the port {} is not a TCP port; choose one from 1 to 65535\n",
                   options.port);
        return 2;
    }
    StopSignals signals;  // before any other thread starts
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
    auto widgets = makeWidgets(services);
    WorkLanes lanes(widgets.size() + 1);  // a lane per widget kind, and one for the page
    Dashboard dashboard(std::move(widgets), lanes);
    const auto url = fmt::format("http://127.0.0.1:{}/?token={}", options.port, secret->text());
    DashboardServer server(dashboard, lanes,
                           SiteOptions{.secret = std::move(*secret), .opener = desktopOpener()});
    if (auto problem = server.listen(options.port)) {
        fmt::print(
            stderr,
            "quillbrook-widgets: cannot listen on 127.0.0.1:{}: {}; choose another port with --port N\n",
            options.port, *problem);
        return 2;
    }
    signals.onSignal([&] {
        // Nothing may keep the program: connections close, waiting requests end, downloads are cancelled.
        server.stop();
        cancelProviders();
    });
    {
        const auto file = announce(options.port, url);
        server.run();
    }
    cancelProviders();
    lanes.stop();
    fmt::print("Dashboard stopped.\n");
    return 0;
}

int serve(const ServeOptions& options, WidgetServices services) {
    return serveWidgets(options, std::move(services), [](const WidgetServices& widgetServices) {
        return QuillbrookWidgetBundle{widgetServices}.body();
    });
}

}  // namespace qb::host
