#include "tips/feed_text.hpp"

#include <cstring>
#include <memory>

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace qb::tips::feedtext {

namespace {

bool isAsciiWhitespace(unsigned char byte) {
    return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}

// The length in bytes of the whitespace character at `index`, or 0 when none starts there.
std::size_t whitespaceLength(std::string_view text, std::size_t index) {
    auto byte = static_cast<unsigned char>(text[index]);
    if (byte < 0x80) return isAsciiWhitespace(byte) ? 1 : 0;
    auto length = static_cast<std::int32_t>(text.size());
    auto offset = static_cast<std::int32_t>(index);
    UChar32 character = 0;
    U8_NEXT(text.data(), offset, length, character);
    if (character < 0) return 0;  // not UTF-8: kept as it is
    return isWhitespace(static_cast<char32_t>(character)) ? static_cast<std::size_t>(offset) - index : 0;
}

// The length of the whitespace character that ends just before `end`, or 0.
std::size_t whitespaceLengthBefore(std::string_view text, std::size_t end) {
    std::size_t start = end - 1;
    // Back over continuation bytes to the start of the character (at most four bytes in all).
    while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    std::size_t length = whitespaceLength(text, start);
    return start + length == end ? length : 0;
}

}  // namespace

bool isWhitespace(char32_t character) {
    if (character < 0x80) return isAsciiWhitespace(static_cast<unsigned char>(character));
    if (character == 0x85) return true;
    switch (u_charType(static_cast<UChar32>(character))) {
        case U_SPACE_SEPARATOR:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
            return true;
        default:
            return false;
    }
}

std::string_view leadingCharacters(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    // A byte 10xxxxxx continues a character; the character starts at most three bytes before it.
    std::size_t end = maxBytes;
    for (int step = 0; step < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++step)
        --end;
    return text.substr(0, end);
}

void limitLength(std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    std::string_view kept = leadingCharacters(text, maxBytes);
    while (!kept.empty()) {
        std::size_t length = whitespaceLengthBefore(kept, kept.size());
        if (length == 0) break;
        kept.remove_suffix(length);
    }
    text.resize(kept.size());  // the kept text is the start of the text
}

std::string_view trimmed(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t length = whitespaceLength(text, begin);
        if (length == 0) break;
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t length = whitespaceLengthBefore(text, end);
        if (length == 0) break;
        end -= length;
    }
    return text.substr(begin, end - begin);
}

void collapseWhitespace(std::string& text) {
    std::size_t read = 0;
    std::size_t write = 0;
    while (read < text.size()) {
        // A run of characters other than whitespace, kept in one piece.
        std::size_t start = read;
        while (read < text.size()) {
            auto byte = static_cast<unsigned char>(text[read]);
            if (byte > ' ') {
                if (byte >= 0x80 && whitespaceLength(text, read) != 0) break;
            } else if (isAsciiWhitespace(byte)) {
                break;
            }
            ++read;  // continuation bytes are never whitespace and go along with their character
        }
        if (read > start) {
            if (write > 0) text[write++] = ' ';
            std::memmove(&text[write], text.data() + start, read - start);
            write += read - start;
        }
        // The run of whitespace after it, dropped.
        while (read < text.size()) {
            auto byte = static_cast<unsigned char>(text[read]);
            std::size_t length =
                byte < 0x80 ? (isAsciiWhitespace(byte) ? 1 : 0) : whitespaceLength(text, read);
            if (length == 0) break;
            read += length;
        }
    }
    text.resize(write);
}

std::string collapsedWhitespace(std::string_view text) {
    std::string result(text);
    collapseWhitespace(result);
    return result;
}

std::optional<Date> parseFeedDateWithPattern(std::string_view text) {
    if (text.empty()) return std::nullopt;
    // Date formats are costly to make and not safe to share while parsing: one per thread. With
    // leniency off, ICU wants as many digits as the pattern letters, so the day is "d" to let a
    // one-digit day pass.
    thread_local std::unique_ptr<icu::SimpleDateFormat> format = [] {
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"EEE, d MMM yyyy HH:mm:ss Z"),
                                                            icu::Locale("en_US_POSIX"), status);
        if (U_FAILURE(status)) return std::unique_ptr<icu::SimpleDateFormat>();
        made->setLenient(false);
        return made;
    }();
    if (!format) return std::nullopt;
    auto unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    icu::ParsePosition position(0);
    UDate millis = format->parse(unicode, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != unicode.length()) return std::nullopt;
    return Date::fromUnixSeconds(millis / 1000.0);
}

namespace {

// Reads the canonical form "Tue, 03 Dec 2024 10:00:00 +0100" (weekday and month names as written
// here, a one- or two-digit day, a year from 1900, the zones +hhmm, -hhmm, GMT, UTC, UT and Z) without
// the cost of a date format. Anything else is left to the pattern, which gives the same result for
// every text read here.
class CanonicalDateReader {
  public:
    explicit CanonicalDateReader(std::string_view text) : text_(text) {}

    std::optional<Date> read() {
        if (!weekday() || !literal(", ")) return std::nullopt;
        auto day = number(1, 2);
        if (!day || !literal(" ")) return std::nullopt;
        auto month = monthNumber();
        if (!month || !literal(" ")) return std::nullopt;
        auto year = number(4, 4);
        if (!year || *year < 1900 || !literal(" ")) return std::nullopt;
        auto hour = number(2, 2);
        if (!hour || *hour > 23 || !literal(":")) return std::nullopt;
        auto minute = number(2, 2);
        if (!minute || *minute > 59 || !literal(":")) return std::nullopt;
        auto second = number(2, 2);
        if (!second || *second > 59 || !literal(" ")) return std::nullopt;
        auto offset = zoneOffsetSeconds();
        if (!offset || index_ != text_.size()) return std::nullopt;
        if (*day < 1 || *day > daysInMonth(*year, *month)) return std::nullopt;
        double unix = static_cast<double>(daysFromCivil(*year, *month, *day)) * 86400.0 + *hour * 3600 +
                      *minute * 60 + *second - *offset;
        return Date::fromUnixSeconds(unix);
    }

  private:
    bool literal(std::string_view expected) {
        if (text_.substr(index_, expected.size()) != expected) return false;
        index_ += expected.size();
        return true;
    }

    std::optional<int> number(std::size_t minDigits, std::size_t maxDigits) {
        int value = 0;
        std::size_t digits = 0;
        while (digits < maxDigits && index_ < text_.size() && text_[index_] >= '0' && text_[index_] <= '9') {
            value = value * 10 + (text_[index_] - '0');
            ++index_;
            ++digits;
        }
        if (digits < minDigits) return std::nullopt;
        if (index_ < text_.size() && text_[index_] >= '0' && text_[index_] <= '9') return std::nullopt;
        return value;
    }

    bool weekday() {
        static constexpr std::string_view names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        for (auto name : names)
            if (literal(name)) return true;
        return false;
    }

    std::optional<int> monthNumber() {
        static constexpr std::string_view names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        for (int month = 0; month < 12; ++month)
            if (literal(names[month])) return month + 1;
        return std::nullopt;
    }

    std::optional<int> zoneOffsetSeconds() {
        for (std::string_view name : {"GMT", "UTC", "UT", "Z"}) {
            if (text_.substr(index_) == name) {
                index_ += name.size();
                return 0;
            }
        }
        if (index_ >= text_.size() || (text_[index_] != '+' && text_[index_] != '-')) return std::nullopt;
        int sign = text_[index_++] == '-' ? -1 : 1;
        auto hhmm = number(4, 4);
        if (!hhmm || *hhmm / 100 > 14 || *hhmm % 100 > 59) return std::nullopt;
        return sign * (*hhmm / 100 * 3600 + *hhmm % 100 * 60);
    }

    static bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
    static int daysInMonth(int year, int month) {
        static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
    }
    // Days from 1970-01-01 to the date in the proleptic Gregorian calendar.
    static long long daysFromCivil(int year, int month, int day) {
        year -= month <= 2;
        const long long era = year / 400;
        const long long yearOfEra = year - era * 400;
        const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
        const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
        return era * 146097 + dayOfEra - 719468;
    }

    std::string_view text_;
    std::size_t index_ = 0;
};

}  // namespace

std::optional<Date> parseFeedDate(std::string_view text) {
    if (auto date = CanonicalDateReader(text).read()) return date;
    return parseFeedDateWithPattern(text);
}

}  // namespace qb::tips::feedtext
