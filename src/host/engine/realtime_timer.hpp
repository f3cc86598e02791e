#pragma once

// One timer on the real-time clock, armed at an absolute wall-clock date (a timerfd on CLOCK_REALTIME).
// Unlike a countdown on the monotonic clock, which stops while the machine sleeps, the date holds across a
// suspend; and since the timer is cancelled whenever the clock is set (TFD_TIMER_CANCEL_ON_SET, which the
// kernel also does on resume), a clock change or a resume wakes it at once.

#include <functional>
#include <optional>

#include "host/engine/glib_source.hpp"
#include "platform/date.hpp"

namespace qb::engine {

class RealtimeTimer {
  public:
    // `woke(clockChanged)`: the armed date came (false), or the clock was set or the machine resumed
    // (true). Either way the owner arms the timer again.
    RealtimeTimer(GMainContext* context, std::function<void(bool clockChanged)> woke);
    ~RealtimeTimer();
    RealtimeTimer(const RealtimeTimer&) = delete;
    RealtimeTimer& operator=(const RealtimeTimer&) = delete;

    // Wakes at the wall-clock date (a date already past wakes at once); none disarms the timer.
    void arm(std::optional<Date> date);

  private:
    void readable();

    int fd_ = -1;
    std::function<void(bool)> woke_;
    AttachedSource source_;
};

}  // namespace qb::engine
