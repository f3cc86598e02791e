#pragma once

// The live dashboard: every widget in every family on 127.0.0.1, refreshed as their reload policies ask.

namespace qb::host {

struct ServeOptions {
    int port = 8642;
    bool demo = false;  // serve the sample home and feed in examples/, as `demo` does
};

// Serves until interrupted; returns the program's exit status.
int serve(const ServeOptions& options);

}  // namespace qb::host
