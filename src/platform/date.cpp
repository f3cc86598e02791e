#include "platform/date.hpp"

#include <algorithm>
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
    // Years outside 0001...9999 have no four-digit form: such dates print as the nearest end.
    constexpr double first = Date::distantPast().unixSeconds() * 1000.0;
    constexpr double last = 253402300799999.0;  // 9999-12-31T23:59:59.999Z
    double millis = std::floor(date.unixSeconds() * 1000.0);
    if (std::isnan(millis)) millis = first;
    millis = std::clamp(millis, first, last);
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
