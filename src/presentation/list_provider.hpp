#pragma once

#include <chrono>
#include <utility>

#include "platform/date.hpp"
#include "widgetkit/timeline.hpp"

namespace qb {

// What the providers of the three list widgets share: the snapshot and the timeline read the list anew
// (`Provider::makeEntry(intent)`, which the provider lets this base call), and the host asks for the
// next timeline five minutes after the entry was made. The provider adds its placeholder.
template <class Provider, class IntentType, class EntryType>
class ListProvider {
  public:
    using Intent = IntentType;
    using Entry = EntryType;

    // How long the host waits before it asks for the next timeline.
    static constexpr std::chrono::seconds reloadInterval{300};

    Entry snapshot(const Intent& intent, const TimelineContext&) const {
        return provider().makeEntry(intent);
    }

    Timeline<Entry> timeline(const Intent& intent, const TimelineContext&) const {
        auto entry = provider().makeEntry(intent);
        // Taken once the entry is made, so the reload never comes earlier than five minutes after it.
        const auto reload = clock_().addingTimeInterval(reloadInterval);
        return Timeline<Entry>{{std::move(entry)}, TimelineReloadPolicy::after(reload)};
    }

  protected:
    explicit ListProvider(Clock clock) : clock_(std::move(clock)) {}
    Date now() const { return clock_(); }

  private:
    const Provider& provider() const { return static_cast<const Provider&>(*this); }

    Clock clock_;
};

}  // namespace qb
