#pragma once

// Opening a link that a widget shows, as a click would, and saying so when it cannot be done: the link
// policy first, then the program that $QUILLBROOK_WIDGETS_OPENER names (a stand-in that tests use), or
// else the application that the desktop registered for the link's scheme. No GUI toolkit is needed, so
// the dashboard, `open` and the desktop host share it.

#include <optional>
#include <string>
#include <string_view>

typedef struct _GAppLaunchContext GAppLaunchContext;

namespace qb::host {

// Who opens links.
struct LinkOpener {
    // Run with the link as its one argument; empty: the desktop's application for the link's scheme.
    std::string program;
    // The display's launch context, for startup notification (the desktop host's); may be null.
    GAppLaunchContext* launchContext = nullptr;

    // The program $QUILLBROOK_WIDGETS_OPENER names, else the desktop's application.
    static LinkOpener fromEnvironment();
};

// Why a link was not opened, in one line for a person: "no application opens x-quillbrook-item links".
struct OpenError {
    std::string message;
};

// Hands `url` to `opener` without a shell, when a click may open it (isOpenableUrl). Nothing on success.
// The launched program gets none of the caller's descriptors beyond the standard three (a server's
// listening socket would otherwise outlive the server). It may read files: keep it off threads that
// must answer at once.
std::optional<OpenError> openLink(std::string_view url,
                                  const LinkOpener& opener = LinkOpener::fromEnvironment());

}  // namespace qb::host
