#pragma once

// The text forms of the XML format's scalar elements.

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

namespace qb::plist {

// <integer>: decimal with an optional sign ("010" is 10) or hexadecimal "0x1F"; surrounding whitespace
// is ignored. Values above 2^63-1 come back unsigned; values outside 64 bits are nothing.
std::optional<std::variant<std::int64_t, std::uint64_t>> parseXmlInteger(std::string_view text);

// <real>: a decimal number, "nan", "inf", "-inf", "infinity" (any letter case); out-of-range values
// become infinity or zero as in C.
std::optional<double> parseXmlReal(std::string_view text);

// <date>: "2020-01-02T03:04:05Z", seconds since 2001-01-01 UTC.
std::optional<double> parseXmlDate(std::string_view text);

// Whitespace as XML defines it.
constexpr bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
std::string_view trimXmlSpace(std::string_view text);

}  // namespace qb::plist
