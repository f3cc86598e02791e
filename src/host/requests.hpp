#pragma once

// The host's requests to the widgets' providers, run on a few worker threads, several at once.

#include <optional>
#include <string>
#include <vector>

#include "widgetkit/widget.hpp"

namespace qb::host {

enum class RequestKind { placeholder, snapshot, timeline };

struct Request {
    const AnyWidget* widget = nullptr;
    WidgetInstance instance;
    WidgetFamily family = WidgetFamily::systemMedium;
    RequestKind kind = RequestKind::timeline;
};

struct Answer {
    const AnyWidget* widget = nullptr;
    WidgetFamily family = WidgetFamily::systemMedium;
    RequestKind kind = RequestKind::timeline;
    std::vector<ErasedEntry> entries;
    std::optional<TimelineReloadPolicy> policy;  // timelines only
    std::optional<std::string> failure;          // a provider that broke its promise not to throw
};

// Asks every request's provider, a few at a time on worker threads (at most four, and no more than the
// machine's cores), however many requests there are; the answers come in the order of the requests.
std::vector<Answer> runRequests(std::vector<Request> requests);

}  // namespace qb::host
