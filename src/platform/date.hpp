#pragma once

#include <chrono>
#include <compare>
#include <functional>
#include <string>

namespace qb {

// A moment in time: seconds since 2001-01-01 00:00:00 UTC, as the data files and the tips cache store it.
struct Date {
    double sinceReferenceDate = 0;

    static Date now();
    // 0001-01-01 00:00:00 UTC in the proleptic Gregorian calendar: the "no date" value of the readers.
    static constexpr Date distantPast() { return Date{-63113904000.0}; }
    // Seconds between 1970-01-01 and 2001-01-01 (UTC).
    static constexpr double unixEpochOffset = 978307200.0;

    static constexpr Date fromUnixSeconds(double unix) { return Date{unix - unixEpochOffset}; }
    constexpr double unixSeconds() const { return sinceReferenceDate + unixEpochOffset; }
    constexpr Date addingTimeInterval(double seconds) const { return Date{sinceReferenceDate + seconds}; }
    template <class Rep, class Period>
    constexpr Date addingTimeInterval(std::chrono::duration<Rep, Period> interval) const {
        return addingTimeInterval(std::chrono::duration<double>(interval).count());
    }

    friend constexpr auto operator<=>(const Date&, const Date&) = default;
};

// ISO 8601 in UTC with milliseconds: "2026-12-06T07:51:03.120Z"; any year from 0001 to 9999.
std::string iso8601(Date date);

// Where the current time comes from; tests pass a fixed one.
using Clock = std::function<Date()>;
inline Clock systemClock() {
    return [] { return Date::now(); };
}

}  // namespace qb
