#pragma once

// Opening a link that a click on a desktop widget asks for, as the dashboard does: only a link the
// link policy allows, handed to the program in $QUILLBROOK_WIDGETS_OPENER when that is set (tests
// record the links with it), else to the desktop's application for the link's scheme through GIO.

#include <optional>
#include <string>

#include "platform/url.hpp"

typedef struct _GAppLaunchContext GAppLaunchContext;

namespace qb::host {

// Returns why the link was not opened ("no application opens x-quillbrook-item links"); nothing when it
// was. The launch context (the display's, for startup notification) may be null.
std::optional<std::string> openDesktopLink(const Url& url, GAppLaunchContext* context = nullptr);

}  // namespace qb::host
