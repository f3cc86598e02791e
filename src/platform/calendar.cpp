#include "platform/calendar.hpp"

#include <memory>

#include <unicode/datefmt.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include "platform/localization.hpp"

namespace qb {

namespace {

constexpr double millisPerSecond = 1000.0;

std::unique_ptr<icu::TimeZone> makeZone(const std::optional<std::string>& zoneId) {
    if (!zoneId) return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createDefault());
    return std::unique_ptr<icu::TimeZone>(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(icu::StringPiece(*zoneId))));
}

// A Gregorian calendar in the zone, set to the moment; none if ICU cannot make one.
std::unique_ptr<icu::Calendar> calendarAt(Date date, const std::optional<std::string>& zoneId) {
    UErrorCode status = U_ZERO_ERROR;
    auto calendar = std::make_unique<icu::GregorianCalendar>(makeZone(zoneId).release(), status);
    if (U_FAILURE(status)) return nullptr;
    // A wall time that a daylight-saving change skips means the first moment after the gap.
    calendar->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
    calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    calendar->setTime(date.unixSeconds() * millisPerSecond, status);
    if (U_FAILURE(status)) return nullptr;
    return calendar;
}

icu::Locale localeFor(const std::optional<std::string>& localeTag) {
    std::string tag = "en-US";
    if (localeTag) {
        tag = *localeTag;
    } else if (auto languages = preferredLanguages(); !languages.empty()) {
        tag = languages.front();
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
    if (U_FAILURE(status) || locale.isBogus() || std::string(locale.getLanguage()).empty())
        return icu::Locale("en", "US");
    return locale;
}

}  // namespace

std::optional<YearMonthDay> yearMonthDay(Date date, const std::optional<std::string>& zoneId) {
    auto calendar = calendarAt(date, zoneId);
    if (!calendar) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    YearMonthDay result;
    result.year = calendar->get(UCAL_YEAR, status);
    result.month = calendar->get(UCAL_MONTH, status) + 1;
    result.day = calendar->get(UCAL_DATE, status);
    if (U_FAILURE(status)) return std::nullopt;
    return result;
}

Date startOfNextDay(Date date, const std::optional<std::string>& zoneId) {
    Date fallback = date.addingTimeInterval(86400);
    auto calendar = calendarAt(date, zoneId);
    if (!calendar) return fallback;
    UErrorCode status = U_ZERO_ERROR;
    calendar->add(UCAL_DATE, 1, status);
    calendar->set(UCAL_HOUR_OF_DAY, 0);
    calendar->set(UCAL_MINUTE, 0);
    calendar->set(UCAL_SECOND, 0);
    calendar->set(UCAL_MILLISECOND, 0);
    UDate millis = calendar->getTime(status);
    if (U_FAILURE(status)) return fallback;
    return Date::fromUnixSeconds(millis / millisPerSecond);
}

std::string formatMediumDate(Date date, const std::optional<std::string>& zoneId,
                             const std::optional<std::string>& localeTag) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createInstanceForSkeleton("yMMMd", localeFor(localeTag), status));
    if (U_FAILURE(status) || !format) return {};
    format->adoptTimeZone(makeZone(zoneId).release());
    icu::UnicodeString text;
    format->format(date.unixSeconds() * millisPerSecond, text);
    std::string result;
    text.toUTF8String(result);
    return result;
}

}  // namespace qb
