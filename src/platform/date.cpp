#include "platform/date.hpp"

#include <chrono>
#include <cmath>

#include <fmt/format.h>

namespace qb {

Date Date::now() {
    using namespace std::chrono;
    auto since = duration<double>(system_clock::now().time_since_epoch()).count();
    return fromUnixSeconds(since);
}

std::string iso8601(Date date) {
    using namespace std::chrono;
    // Milliseconds, rounded down so that a moment never prints as a later one.
    double millis = std::floor(date.unixSeconds() * 1000.0);
    if (!std::isfinite(millis)) return "0001-01-01T00:00:00.000Z";
    auto total = milliseconds(static_cast<long long>(millis));
    auto day = floor<days>(total);
    year_month_day ymd{sys_days{day}};
    hh_mm_ss time{total - day};
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}.{:03}Z", static_cast<int>(ymd.year()),
                       static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                       time.hours().count(), time.minutes().count(), time.seconds().count(),
                       time.subseconds().count());
}

}  // namespace qb
