#pragma once

#include <concepts>
#include <vector>

#include "platform/date.hpp"
#include "environment/family.hpp"

namespace qb {

// What the host tells a provider about the instance it asks for.
struct TimelineContext {
    WidgetFamily family = WidgetFamily::systemMedium;
    bool isPreview = false;
};

// When the host asks for a new timeline: at or after `date`.
struct TimelineReloadPolicy {
    Date date;
    static TimelineReloadPolicy after(Date date) { return TimelineReloadPolicy{date}; }
    friend bool operator==(const TimelineReloadPolicy&, const TimelineReloadPolicy&) = default;
};

// A timeline entry has the date at which it becomes current, plus the widget's payload.
template <class E>
concept TimelineEntry = std::copyable<E> && requires(const E& e) {
    { e.date } -> std::convertible_to<Date>;
};

// Exactly the entries given, with a reload policy.
template <TimelineEntry Entry>
struct Timeline {
    std::vector<Entry> entries;
    TimelineReloadPolicy policy;
};

// A provider answers the host's three requests for one widget. Providers are synchronous and safe to
// call from several threads at once; the host runs them on worker threads.
template <class P>
concept AppIntentTimelineProvider = requires(const P& p, const typename P::Intent& intent,
                                             const TimelineContext& context) {
    requires TimelineEntry<typename P::Entry>;
    { p.placeholder(context) } -> std::same_as<typename P::Entry>;
    { p.snapshot(intent, context) } -> std::same_as<typename P::Entry>;
    { p.timeline(intent, context) } -> std::same_as<Timeline<typename P::Entry>>;
};

}  // namespace qb
