#pragma once

// The live dashboard: every widget in every family on 127.0.0.1, refreshed as their reload policies ask,
// for the account that started it only.

#include <functional>
#include <vector>

#include "core/widget_services.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

struct ServeOptions {
    int port = 8642;
    bool demo = false;  // serve the sample home and feed in examples/, as `demo` does
};

// Serves the bundle's widgets on the services (the demo's with options.demo) until interrupted (SIGINT,
// SIGTERM); returns the program's exit status: 0 after an interruption, 2 when the port cannot be had.
int serve(const ServeOptions& options, WidgetServices services);

// The same for the widgets `makeWidgets` makes from the services, called once the demo (if any) is set
// up. The services' downloads are cancelled when the dashboard stops.
int serveWidgets(const ServeOptions& options, WidgetServices services,
                 const std::function<std::vector<AnyWidget>(const WidgetServices&)>& makeWidgets);

}  // namespace qb::host
