#include "platform/plist/xml_values.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/date.hpp"

namespace qb::plist {
namespace {

std::optional<std::uint64_t> parseDigits(std::string_view digits, int base) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

bool isLeap(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

}  // namespace

std::string_view trimXmlSpace(std::string_view text) {
    while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::variant<std::int64_t, std::uint64_t>> parseXmlInteger(std::string_view text) {
    text = trimXmlSpace(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // from_chars takes no sign for unsigned types, so "0x-1" is rejected there.
        auto value = parseDigits(text.substr(2), 16);
        if (!value) return std::nullopt;
        if (*value > static_cast<std::uint64_t>(INT64_MAX)) return *value;
        return static_cast<std::int64_t>(*value);
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    auto magnitude = parseDigits(text, 10);
    if (!magnitude) return std::nullopt;
    constexpr auto maxSigned = static_cast<std::uint64_t>(INT64_MAX);
    if (negative) {
        if (*magnitude > maxSigned + 1) return std::nullopt;
        return static_cast<std::int64_t>(0 - *magnitude);
    }
    if (*magnitude > maxSigned) return *magnitude;
    return static_cast<std::int64_t>(*magnitude);
}

std::optional<double> parseXmlReal(std::string_view text) {
    text = trimXmlSpace(text);
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    double value = 0;
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(text.data(), last, value, std::chars_format::general);
    if (end != last) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: infinity or zero, with the sign.
        const bool negative = text[0] == '-';
        const auto exponent = text.find_first_of("eE");
        const bool tiny =
            exponent != std::string_view::npos && exponent + 1 < text.size() && text[exponent + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        return negative ? -value : value;
    }
    if (error != std::errc()) return std::nullopt;
    return value;
}

std::optional<double> parseXmlDate(std::string_view text) {
    text = trimXmlSpace(text);
    constexpr std::string_view pattern = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != pattern.size()) return std::nullopt;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == 'd' ? text[i] < '0' || text[i] > '9' : text[i] != pattern[i]) return std::nullopt;
    }
    auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    static constexpr int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    if (day < 1 || day > monthDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0)) return std::nullopt;
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const std::int64_t unix = days * 86400 + hour * 3600 + minute * 60 + second;
    return Date::fromUnixSeconds(static_cast<double>(unix)).sinceReferenceDate;
}

}  // namespace qb::plist
