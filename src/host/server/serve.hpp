#pragma once

// The live dashboard: every widget in every family on 127.0.0.1, refreshed as their reload policies ask,
// for the account that started it only.

#include <functional>
#include <vector>

#include "widgetkit/widget.hpp"

namespace qb::host {

struct ServeOptions {
    int port = 8642;
    bool demo = false;  // serve the sample home and feed in examples/, as `demo` does
};

// Serves the bundle's widgets until interrupted (SIGINT, SIGTERM); returns the program's exit status:
// 0 after an interruption, 2 when the port cannot be had.
int serve(const ServeOptions& options);

// The same for the widgets `makeWidgets` returns, called once the demo (if any) is set up.
// `cancelProviders` ends what the providers may wait for (downloads) when the dashboard stops.
int serveWidgets(const ServeOptions& options, const std::function<std::vector<AnyWidget>()>& makeWidgets,
                 const std::function<void()>& cancelProviders);

}  // namespace qb::host
