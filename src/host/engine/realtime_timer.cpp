#include "host/engine/realtime_timer.hpp"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace qb::engine {

RealtimeTimer::RealtimeTimer(GMainContext* context, std::function<void(bool clockChanged)> woke)
    : fd_(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)), woke_(std::move(woke)) {
    if (fd_ < 0) throw std::runtime_error(std::string("no real-time timer: ") + std::strerror(errno));
    source_ = watchDescriptor(context, fd_, G_IO_IN, [this](GIOCondition) { readable(); });
}

RealtimeTimer::~RealtimeTimer() {
    source_.reset();
    ::close(fd_);
}

void RealtimeTimer::arm(std::optional<Date> date) {
    itimerspec when{};
    if (date) {
        // Rounded up to the next millisecond, so that the timer never wakes before the date it stands for.
        const double millis = std::ceil(date->unixSeconds() * 1000.0);
        const auto whole = static_cast<std::int64_t>(std::floor(millis / 1000.0));
        when.it_value.tv_sec = static_cast<time_t>(std::max<std::int64_t>(whole, 0));
        when.it_value.tv_nsec =
            static_cast<long>((millis - static_cast<double>(whole) * 1000.0) * 1'000'000.0);
        // A zero value would disarm the timer; the earliest date stands for "at once".
        if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
    }
    timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

void RealtimeTimer::readable() {
    std::uint64_t expirations = 0;
    const ssize_t count = ::read(fd_, &expirations, sizeof expirations);
    if (count == sizeof expirations) {
        woke_(false);
    } else if (count < 0 && errno == ECANCELED) {
        woke_(true);
    }
    // Anything else (EAGAIN after a re-arm raced the wakeup) leaves the timer as it is.
}

}  // namespace qb::engine
