#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/date.hpp"

namespace qb::tips::feedtext {

// Whitespace here is U+0009 to U+000D, U+0085 and the characters of the categories Zs, Zl and Zp
// (U+00A0 and U+2028 included).
bool isWhitespace(char32_t character);

// The text without leading and trailing whitespace.
std::string_view trimmed(std::string_view text);

// The longest start of the text of at most `maxBytes` bytes that does not end inside a UTF-8 sequence.
std::string_view leadingCharacters(std::string_view text, std::size_t maxBytes);
// Cuts a text longer than `maxBytes` to its leading characters, without whitespace at the new end;
// leaves a shorter one as it is.
void limitLength(std::string& text, std::size_t maxBytes);

// The pieces between runs of whitespace, joined by single blanks.
std::string collapsedWhitespace(std::string_view text);
void collapseWhitespace(std::string& text);  // the same, in place

// An RFC 822 date as feeds write it, "Tue, 03 Dec 2024 10:00:00 +0100" (a one-digit day, and the zones
// GMT, UTC, UT and Z, pass too); none when the text is anything else or has text left over.
std::optional<Date> parseFeedDate(std::string_view text);

// The same by the date pattern "EEE, d MMM yyyy HH:mm:ss Z" (en_US_POSIX, not lenient) alone;
// parseFeedDate takes a faster road for the common form with the same outcome.
std::optional<Date> parseFeedDateWithPattern(std::string_view text);

}  // namespace qb::tips::feedtext
