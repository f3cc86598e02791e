#pragma once

#include <optional>
#include <string>

#include "platform/date.hpp"

namespace qb {

// Calendar arithmetic in the Gregorian calendar of a time zone. A zone is named by its IANA id
// ("Europe/Berlin"); none means the user's zone (TZ, else the system's).

struct YearMonthDay {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    friend bool operator==(const YearMonthDay&, const YearMonthDay&) = default;
};

// The calendar day on which the moment falls in the zone; none if the calendar cannot say.
std::optional<YearMonthDay> yearMonthDay(Date date, const std::optional<std::string>& zoneId = std::nullopt);

// The start of the day after the moment's day in the zone: one calendar day is added, then the time of
// day is set to midnight. Where midnight does not exist (a daylight-saving change at 00:00), the day
// starts at its first existing moment. Falls back to the moment plus 86400 seconds should the calendar
// fail.
Date startOfNextDay(Date date, const std::optional<std::string>& zoneId = std::nullopt);

// The date as the locale writes it with an abbreviated month, the day and the year ("Dec 4, 2026" in
// US English), on the calendar day of the zone. The locale is a language tag ("de-DE"); none means the
// user's first preferred language, else US English.
std::string formatMediumDate(Date date, const std::optional<std::string>& zoneId = std::nullopt,
                             const std::optional<std::string>& localeTag = std::nullopt);

}  // namespace qb
