#pragma once

// When each widget instance is reloaded next, and which are due now. Pure: the caller passes the current
// time from its clock, so that a resume, a clock change or a day's end is a matter of the `now` given.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/date.hpp"

namespace qb::engine {

using InstanceId = std::uint64_t;

class Schedule {
  public:
    // A new instance, due at `due`. Instances that use the network reload one at a time, so that two
    // downloads of the same feed never run at once. Instances of one lane (a widget kind) also reload one
    // at a time, so that a provider that hangs holds up only its own lane; an empty lane limits nothing.
    void add(InstanceId id, Date due, bool usesNetwork, std::string lane = {});
    void remove(InstanceId id);

    // Reload no later than `at`. While the instance reloads, it reloads once more after that (what it
    // is reading may be out of date already).
    void requestBy(InstanceId id, Date at);
    // A hidden instance is never due; shown again, it is due at once if its date passed meanwhile.
    void setVisible(InstanceId id, bool visible);

    // A reload started; it is not due again until it finished.
    void started(InstanceId id);
    // A reload finished and asked to be reloaded at `next` (or earlier, if asked while it ran).
    void finished(InstanceId id, Date next);

    // The instances to reload now, earliest date first: shown, not reloading, with a date at or before
    // `now`; of those that use the network, and of those in one lane, only the earliest and only while
    // none of them reloads.
    std::vector<InstanceId> due(Date now) const;
    // The earliest date after `now` at which an instance falls due; none when nothing waits.
    std::optional<Date> nextWake(Date now) const;

    std::optional<Date> dateOf(InstanceId id) const;
    bool isRunning(InstanceId id) const;

  private:
    struct Slot {
        Date due;
        bool usesNetwork = false;
        std::string lane;
        bool visible = true;
        bool running = false;
        std::optional<Date> askedWhileRunning;
    };
    bool eligible(const Slot& slot) const { return slot.visible && !slot.running; }

    std::map<InstanceId, Slot> slots_;
};

}  // namespace qb::engine
