#pragma once

// What the program logs about a run of its own, beside what the widgets log.

#include "core/widget_services.hpp"

namespace qb::host {

// A sink that passes each distinct record (level, category and message) to `next` once and drops its
// repeats: a command that draws one widget in four families says each problem once, not four times.
LogSink eachOnce(LogSink next);

// Logs at debug level, to the services' sink, the state of each file the widgets read under their home and
// of the tips cache: read (with its size and, for a list, how many entries it holds), missing, or
// unreadable and why; so that a person running with --verbose can tell a missing file from an unreadable
// one and from an empty list.
void logDataFiles(const WidgetServices& services);

}  // namespace qb::host
